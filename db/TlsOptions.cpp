#include "db/TlsOptions.h"

#include <QFile>

#include <mysql.h>
#include <openssl/err.h>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct ModeName
{
    TlsMode mode;
    const char16_t *name;
};

constexpr std::array modeNames{ModeName{TlsMode::Off, u"off"}, ModeName{TlsMode::Preferred, u"preferred"},
                               ModeName{TlsMode::Required, u"required"}, ModeName{TlsMode::Verified, u"verified"}};

} // namespace

QString tlsModeName(TlsMode mode)
{
    for (const ModeName &entry : modeNames)
        if (entry.mode == mode)
            return QString::fromUtf16(entry.name);
    return {};
}

std::optional<TlsMode> tlsModeFromName(const QString &name)
{
    for (const ModeName &entry : modeNames)
        if (name == QStringView(entry.name))
            return entry.mode;
    return std::nullopt;
}

void applyTlsOptions(st_mysql *mysql, const TlsOptions &options, const QByteArray &fingerprint)
{
    // The library words a failed TLS handshake with the oldest entry of this
    // thread's OpenSSL error queue, which an earlier failed connect may have
    // left there: without this, a CA file that holds no certificate was
    // reported as "no such file" after a connect with a missing one.
    ERR_clear_error();
    // Connector/C 3.3: MYSQL_OPT_SSL_ENFORCE asks for TLS but goes on in
    // clear text when the server has none, and its own certificate check
    // takes the name "localhost" for a socket and a tunnel. A pinned
    // fingerprint makes it refuse both a link without TLS and any other
    // certificate before it sends the login; the certificate itself was
    // checked by the probe, against the name the operator meant.
    const my_bool useTls = options.mode != TlsMode::Off;
    mysql_optionsv(mysql, MYSQL_OPT_SSL_ENFORCE, &useTls);
    const bool needsTls = options.mode == TlsMode::Required || options.mode == TlsMode::Verified;
    if (needsTls && !fingerprint.isEmpty())
        mysql_optionsv(mysql, MARIADB_OPT_TLS_PEER_FP, fingerprint.constData());
    // The clear-text and dialog methods send the password itself; the SHA-2
    // ones send it over TLS or under a key the server hands out, which only a
    // checked certificate vouches for.
    mysql_optionsv(mysql, MARIADB_OPT_RESTRICTED_AUTH,
                   options.mode == TlsMode::Verified
                       ? "mysql_native_password,client_ed25519,caching_sha2_password,sha256_password"
                       : "mysql_native_password,client_ed25519");
    if (options.compressed)
        mysql_optionsv(mysql, MYSQL_OPT_COMPRESS, nullptr);
}

QString tlsShortfall(st_mysql *mysql, const TlsOptions &options)
{
    const bool needsTls = options.mode == TlsMode::Required || options.mode == TlsMode::Verified;
    if (needsTls && !mysql_get_ssl_cipher(mysql))
        return u"Сервер не предлагает TLS, а соединение требует шифрования: соединение закрыто"_s;
    return {};
}

QString linkDescription(st_mysql *mysql)
{
    const char *cipher = mysql_get_ssl_cipher(mysql);
    if (!cipher)
        return u"без шифрования"_s;
    const char *version = nullptr;
    if (mariadb_get_infov(mysql, MARIADB_CONNECTION_TLS_VERSION, &version) != 0 || !version)
        return QString::fromLatin1(cipher);
    return QString::fromLatin1(version) + u", "_s + QString::fromLatin1(cipher);
}

bool linkCompressed(st_mysql *mysql)
{
    unsigned long capabilities = 0;
    if (mariadb_get_infov(mysql, MARIADB_CONNECTION_CLIENT_CAPABILITIES, &capabilities) != 0)
        return false;
    return (capabilities & CLIENT_COMPRESS) != 0;
}
