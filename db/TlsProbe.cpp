#include "db/TlsProbe.h"

#include "db/DbLogin.h"
#include "db/ServerGreeting.h"

#include <QFile>

#include <mysql.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds cancelCheckEvery{50};
// The capability bits of the protocol that the probe reads and asks for.
constexpr unsigned capLongPassword = 0x1, capProtocol41 = 0x200, capSsl = 0x800, capSecureConnection = 0x8000,
                   capPluginAuth = 0x80000;
// A greeting is some 100 bytes; a larger first packet is no server's.
constexpr unsigned greetingLimit = 4096;

QString noTlsText()
{
    return u"Сервер не предлагает TLS, а соединение требует шифрования: имя и пароль не отправлены"_s;
}

struct Fd
{
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

struct SslFree
{
    void operator()(SSL *ssl) const { SSL_free(ssl); }
    void operator()(SSL_CTX *ctx) const { SSL_CTX_free(ctx); }
    void operator()(X509 *cert) const { X509_free(cert); }
    void operator()(X509_STORE *store) const { X509_STORE_free(store); }
    void operator()(X509_STORE_CTX *ctx) const { X509_STORE_CTX_free(ctx); }
};

enum class Wait { Ready, TimedOut, Cancelled };

class Waiter
{
public:
    Waiter(unsigned seconds, const std::atomic<bool> *cancel)
        : m_deadline(Clock::now() + std::chrono::seconds(seconds == 0 ? 10 : seconds)), m_cancel(cancel)
    {
    }

    Wait wait(int fd, short events) const
    {
        pollfd entry{fd, events, 0};
        for (;;) {
            if (m_cancel && m_cancel->load())
                return Wait::Cancelled;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
            if (left.count() <= 0)
                return Wait::TimedOut;
            if (::poll(&entry, 1, int(std::min(left, cancelCheckEvery).count()) + 1) > 0)
                return Wait::Ready;
        }
    }

private:
    Clock::time_point m_deadline;
    const std::atomic<bool> *m_cancel;
};

// Thrown inside the probe: the outcome to hand back.
struct ProbeEnd
{
    TlsProbe outcome;
};

[[noreturn]] void fail(const QString &problem)
{
    throw ProbeEnd{{problem, {}, false}};
}

void check(Wait waited)
{
    if (waited == Wait::Cancelled)
        throw ProbeEnd{{{}, {}, true}};
    if (waited == Wait::TimedOut)
        fail(u"Сервер не ответил вовремя на проверку TLS"_s);
}

QString systemText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The library's default socket, as it takes it for "localhost" without a port.
QByteArray defaultSocket()
{
    if (const QByteArray fromEnv = qgetenv("MYSQL_UNIX_PORT"); !fromEnv.isEmpty())
        return fromEnv;
    return QByteArray(MARIADB_UNIX_ADDR);
}

void connectSocket(Fd &socket, const sockaddr *address, socklen_t length, const Waiter &waiter)
{
    if (::connect(socket.fd, address, length) == 0)
        return;
    if (errno != EINPROGRESS && errno != EAGAIN)
        fail(u"Нет связи с сервером для проверки TLS: "_s + systemText());
    check(waiter.wait(socket.fd, POLLOUT));
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) {
        errno = error;
        fail(u"Нет связи с сервером для проверки TLS: "_s + systemText());
    }
}

// Opens the way the library takes for the address (see ServerAddress::needsTcp).
void openLink(Fd &socket, const DbLogin &login, const Waiter &waiter)
{
    const ServerAddress &address = login.address;
    const bool local = address.host.isEmpty() || address.host.compare(u"localhost"_s, Qt::CaseInsensitive) == 0;
    if (!address.socket.isEmpty() || (local && !address.needsTcp())) {
        const QByteArray path = address.socket.isEmpty() ? defaultSocket() : QFile::encodeName(address.socket);
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof where.sun_path)
            fail(u"Путь сокета слишком длинный: "_s + QFile::decodeName(path));
        std::memcpy(where.sun_path, path.constData(), size_t(path.size()));
        socket.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        connectSocket(socket, reinterpret_cast<const sockaddr *>(&where), sizeof where, waiter);
        return;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const QByteArray port = QByteArray::number(address.port != 0 ? address.port : 3306u);
    if (::getaddrinfo(login.host.isEmpty() ? "localhost" : login.host.constData(), port.constData(), &hints, &found)
        != 0)
        fail(u"Сервер «%1» не найден: имя не разрешается в адрес"_s.arg(address.host));
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);
    QString lastProblem;
    for (const addrinfo *each = found; each; each = each->ai_next) {
        Fd attempt;
        attempt.fd = ::socket(each->ai_family, each->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, each->ai_protocol);
        try {
            connectSocket(attempt, each->ai_addr, each->ai_addrlen, waiter);
        } catch (const ProbeEnd &end) {
            if (end.outcome.cancelled)
                throw;
            lastProblem = end.outcome.problem;
            continue;
        }
        std::swap(socket.fd, attempt.fd);
        return;
    }
    fail(lastProblem);
}

void readExactly(int fd, char *into, size_t size, const Waiter &waiter)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::recv(fd, into + done, size - done, 0);
        if (n > 0) {
            done += size_t(n);
        } else if (n == 0) {
            fail(u"Сервер закрыл соединение, не поздоровавшись"_s);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            check(waiter.wait(fd, POLLIN));
        } else {
            fail(u"Ошибка чтения приветствия сервера: "_s + systemText());
        }
    }
}

void writeAll(int fd, const QByteArray &bytes, const Waiter &waiter)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0)
            done += n;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            check(waiter.wait(fd, POLLOUT));
        else
            fail(u"Ошибка отправки запроса TLS: "_s + systemText());
    }
}

// Reads the greeting; true when the server offers TLS. A server that greets
// with an error is refused with its words.
bool offersTls(int fd, const Waiter &waiter)
{
    unsigned char header[4];
    readExactly(fd, reinterpret_cast<char *>(header), sizeof header, waiter);
    const unsigned length = header[0] | (header[1] << 8) | (header[2] << 16);
    if (length < 1 || length > greetingLimit)
        fail(u"Сервер прислал не приветствие протокола MySQL (%1 байт)"_s.arg(length));
    QByteArray payload(qsizetype(length), '\0');
    readExactly(fd, payload.data(), length, waiter);
    const ServerGreeting greeting = readServerGreeting(payload);
    if (!greeting.problem.isEmpty())
        fail(greeting.problem);
    return greeting.offersTls;
}

QByteArray sslRequest()
{
    QByteArray packet(4 + 32, '\0');
    packet[0] = 32; // length, then sequence number 1
    packet[3] = 1;
    const unsigned flags = capLongPassword | capProtocol41 | capSsl | capSecureConnection | capPluginAuth;
    for (int i = 0; i < 4; ++i)
        packet[4 + i] = char((flags >> (8 * i)) & 0xFF);
    packet[8 + 3] = 1; // the largest packet: 16 MiB
    packet[12] = 51; // cp1251_general_ci
    return packet;
}

QString opensslText()
{
    const unsigned long code = ERR_get_error();
    char text[256] = "";
    if (code != 0)
        ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

void handshake(SSL *ssl, int fd, const Waiter &waiter)
{
    for (;;) {
        const int result = SSL_connect(ssl);
        if (result == 1)
            return;
        const int error = SSL_get_error(ssl, result);
        if (error == SSL_ERROR_WANT_READ)
            check(waiter.wait(fd, POLLIN));
        else if (error == SSL_ERROR_WANT_WRITE)
            check(waiter.wait(fd, POLLOUT));
        else
            fail(u"Не удалось установить TLS с сервером: "_s + opensslText());
    }
}

void verifyChain(SSL *ssl, X509 *cert, const QString &caFile)
{
    const std::unique_ptr<X509_STORE, SslFree> store(X509_STORE_new());
    const bool loaded = caFile.isEmpty() ? X509_STORE_set_default_paths(store.get()) == 1
                                         : X509_STORE_load_file(store.get(), QFile::encodeName(caFile).constData()) == 1;
    if (!loaded)
        fail(caFile.isEmpty() ? u"Системные сертификаты ЦС не загрузились: "_s + opensslText()
                              : u"В файле сертификата ЦС «%1» нет сертификатов ЦС (%2)"_s.arg(caFile, opensslText()));
    const std::unique_ptr<X509_STORE_CTX, SslFree> context(X509_STORE_CTX_new());
    X509_STORE_CTX_init(context.get(), store.get(), cert, SSL_get_peer_cert_chain(ssl));
    X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER);
    if (X509_verify_cert(context.get()) == 1)
        return;
    const QString reason =
        QString::fromLatin1(X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get())));
    fail(caFile.isEmpty()
             ? u"Сертификат сервера не подписан ни одним системным ЦС (%1)"_s.arg(reason)
             : u"Сертификат сервера не подписан ЦС из файла «%1» (%2)"_s.arg(caFile, reason));
}

void verifyName(X509 *cert, const QString &name)
{
    const QByteArray bytes = name.toUtf8();
    if (X509_check_host(cert, bytes.constData(), size_t(bytes.size()), 0, nullptr) == 1
        || X509_check_ip_asc(cert, bytes.constData(), 0) == 1)
        return;
    fail(u"Сертификат сервера выдан не на имя «%1»: соединение не установлено. Если у сервера другое имя в "
         "сертификате, укажите его в поле «Имя в сертификате»"_s.arg(name));
}

QByteArray fingerprintOf(X509 *cert)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(cert, EVP_sha1(), digest, &length) != 1)
        fail(u"Отпечаток сертификата сервера не вычислить: "_s + opensslText());
    return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex(':').toUpper();
}

TlsProbe probe(const DbLogin &login, const Waiter &waiter)
{
    Fd socket;
    openLink(socket, login, waiter);
    if (!offersTls(socket.fd, waiter))
        fail(noTlsText());
    writeAll(socket.fd, sslRequest(), waiter);

    ERR_clear_error();
    const std::unique_ptr<SSL_CTX, SslFree> context(SSL_CTX_new(TLS_client_method()));
    if (!context)
        fail(u"TLS недоступен: "_s + opensslText());
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    const std::unique_ptr<SSL, SslFree> ssl(SSL_new(context.get()));
    SSL_set_fd(ssl.get(), socket.fd);
    handshake(ssl.get(), socket.fd, waiter);
    const std::unique_ptr<X509, SslFree> cert(SSL_get1_peer_certificate(ssl.get()));
    if (!cert)
        fail(u"Сервер не предъявил сертификат"_s);
    if (login.tls.mode == TlsMode::Verified) {
        verifyChain(ssl.get(), cert.get(), login.tls.caFile);
        verifyName(cert.get(), expectedCertificateName(login));
    }
    return {{}, fingerprintOf(cert.get()), false};
}

} // namespace

TlsProbe probeServerTls(const DbLogin &login, unsigned timeoutSeconds, const std::atomic<bool> *cancel)
{
    try {
        return probe(login, Waiter(timeoutSeconds, cancel));
    } catch (const ProbeEnd &end) {
        return end.outcome;
    }
}

QString explainTlsRefusal(const QString &libraryText)
{
    if (libraryText.contains(u"SSL is required, but the server does not support it"_s))
        return noTlsText();
    if (libraryText.contains(u"Fingerprint verification of server certificate failed"_s))
        return u"Сервер предъявил не тот сертификат, что при проверке: имя и пароль не отправлены"_s;
    if (libraryText.contains(u"restricted_auth"_s))
        return u"Сервер просит способ входа, который может раскрыть пароль (%1): вход не выполнен"_s.arg(libraryText);
    return libraryText;
}

QString expectedCertificateName(const DbLogin &login)
{
    if (!login.tls.certificateName.isEmpty())
        return login.tls.certificateName;
    if (!login.certificateName.isEmpty())
        return login.certificateName;
    if (!login.address.socket.isEmpty() || login.address.host.isEmpty())
        return u"localhost"_s;
    return login.address.host;
}
