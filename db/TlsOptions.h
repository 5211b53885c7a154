#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct st_mysql;

// How the link to the server is protected.
//   Off:       clear text, even when the server offers TLS.
//   Preferred: TLS when the server offers it, clear text otherwise.
//   Required:  TLS or no connection; the certificate is not checked.
//   Verified:  TLS with the server's certificate checked against the CA file
//              (the system's CAs when none is given) and the name expected
//              (see expectedCertificateName).
// Under Required and Verified no account or password leaves the machine
// unless the link is TLS (see probeServerTls).
enum class TlsMode { Off, Preferred, Required, Verified };

struct TlsOptions
{
    TlsMode mode = TlsMode::Preferred;
    QString caFile;
    // The compressed protocol, for slow links.
    bool compressed = false;
    // The name the server's certificate must carry under Verified, when it is
    // not the host connected to; empty: that host's (or the tunnel's target's).
    QString certificateName;

    bool operator==(const TlsOptions &) const = default;
};

// The mode's name in settings files ("off", "preferred", "required",
// "verified") and back; nullopt for a name that is none of these.
QString tlsModeName(TlsMode mode);
std::optional<TlsMode> tlsModeFromName(const QString &name);

// Sets the record's TLS, compression and login-method options before
// mysql_real_connect, on the thread that will connect. fingerprint (of the
// certificate a probe checked) is insisted on under Required and Verified:
// the library then refuses before the login a link without TLS or with
// another certificate. The login methods are those that never send the
// password itself, and under Verified also the ones that send it over TLS.
void applyTlsOptions(st_mysql *mysql, const TlsOptions &options, const QByteArray &fingerprint = {});

// After a successful connect: why the link must not be used under the mode
// (Required or Verified, and the link is not encrypted), or an empty text.
// The caller closes the record when there is a reason. The pinned
// fingerprint already makes the library refuse such a link before the login;
// this check stays as the last word.
QString tlsShortfall(st_mysql *mysql, const TlsOptions &options);

// The protection of a connected link: "TLSv1.3, TLS_AES_256_GCM_SHA384", or
// "без шифрования".
QString linkDescription(st_mysql *mysql);

// Whether the connected link uses the compressed protocol.
bool linkCompressed(st_mysql *mysql);
