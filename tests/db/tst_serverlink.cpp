#include "DbTestSupport.h"
#include "TlsStripRelay.h"

#include "db/Connection.h"
#include "db/ServerAddress.h"
#include "db/TlsOptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <errmsg.h>
#include <mysql.h>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Where the connection goes and how it is protected, against real servers: one
// with TLS and a certificate for localhost, one whose certificate names
// another host, and one without TLS, each on a TCP port and a socket, and
// through a relay of ours that counts what goes to the server and may strip
// the server's TLS offer from its greeting.
class tst_ServerLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void parse_data();
    void parse();
    void modes_data();
    void modes();

private:
    QTemporaryDir m_certs;
    std::unique_ptr<ThrowawayServer> m_tls, m_otherHost, m_plain;
    ThrowawayServer *serverNamed(const QString &name) const;
};

ThrowawayServer *tst_ServerLink::serverNamed(const QString &name) const
{
    return name == u"tls"_s         ? m_tls.get()
           : name == u"otherhost"_s ? m_otherHost.get()
           : name == u"plain"_s     ? m_plain.get()
                                    : nullptr;
}

void tst_ServerLink::initTestCase()
{
    const QString certs = u"QM_DB_TLS_DIR="_s + m_certs.path();
    m_tls = std::make_unique<ThrowawayServer>(QStringList{u"QM_DB_PORT=free"_s, certs});
    m_otherHost = std::make_unique<ThrowawayServer>(
        QStringList{u"QM_DB_PORT=free"_s, certs, u"QM_DB_TLS_CERT=otherhost"_s});
    m_plain = std::make_unique<ThrowawayServer>(QStringList{u"QM_DB_PORT=free"_s});
    for (ThrowawayServer *each : {m_tls.get(), m_otherHost.get(), m_plain.get()}) {
        QString output;
        QVERIFY2(each->start(&output), qPrintable(output));
        QVERIFY(each->port() != 0);
    }
}

void tst_ServerLink::parse_data()
{
    QTest::addColumn<QString>("hostBox");
    QTest::addColumn<QString>("portBox");
    QTest::addColumn<QString>("host");
    QTest::addColumn<uint>("port");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("error"); // a part of the refusal; empty when accepted

    const QString sock = QString::fromLocal8Bit(sharedSocket());
    QTest::newRow("name") << u" db.example.org "_s << QString() << u"db.example.org"_s << 0u << false << QString();
    QTest::newRow("name:port") << u"db.example.org:3307"_s << QString() << u"db.example.org"_s << 3307u << false
                               << QString();
    QTest::newRow("port box") << u"db.example.org"_s << u"3307"_s << u"db.example.org"_s << 3307u << false << QString();
    QTest::newRow("same port twice") << u"10.0.0.5:3307"_s << u"3307"_s << u"10.0.0.5"_s << 3307u << false << QString();
    QTest::newRow("localhost with a port goes by TCP")
        << u"localhost"_s << u"3307"_s << u"localhost"_s << 3307u << true << QString();
    QTest::newRow("empty host with a port") << u":3307"_s << QString() << QString() << 3307u << true << QString();
    QTest::newRow("[IPv6]:port") << u"[::1]:3307"_s << QString() << u"::1"_s << 3307u << false << QString();
    QTest::newRow("[IPv6]") << u"[fe80::1]"_s << u"3308"_s << u"fe80::1"_s << 3308u << false << QString();
    QTest::newRow("bare IPv6") << u"2001:db8::7"_s << QString() << u"2001:db8::7"_s << 0u << false << QString();
    QTest::newRow("socket") << sock << QString() << QString() << 0u << false << QString();
    QTest::newRow("two ports") << u"db:3307"_s << u"3308"_s << QString() << 0u << false << u"указан дважды: 3307"_s;
    QTest::newRow("port 0") << u"db"_s << u"0"_s << QString() << 0u << false << u"от 1 до 65535, а не «0»"_s;
    QTest::newRow("port 65536") << u"db:65536"_s << QString() << QString() << 0u << false << u"а не «65536»"_s;
    QTest::newRow("port with a sign") << u"db"_s << u"+3307"_s << QString() << 0u << false << u"а не «+3307»"_s;
    QTest::newRow("port text") << u"db:http"_s << QString() << QString() << 0u << false << u"а не «http»"_s;
    QTest::newRow("colon without port") << u"db:"_s << QString() << QString() << 0u << false << u"нет порта"_s;
    QTest::newRow("bracket without port") << u"[::1]:"_s << QString() << QString() << 0u << false << u"нет порта"_s;
    QTest::newRow("bad IPv6") << u"[::zz]:1"_s << QString() << QString() << 0u << false << u"Неверный адрес IPv6"_s;
    QTest::newRow("colons, not IPv6") << u"a:b:c"_s << QString() << QString() << 0u << false << u"[адрес]:порт"_s;
    QTest::newRow("missing socket") << u"/nonexistent/mysqld.sock"_s << QString() << QString() << 0u << false
                                    << u"Сокет /nonexistent/mysqld.sock не найден"_s;
    QTest::newRow("file, not a socket") << QCoreApplication::applicationFilePath() << QString() << QString() << 0u
                                        << false << u"не сокет"_s;
    QTest::newRow("socket and port") << sock << u"3307"_s << QString() << 0u << false << u"не нужен при сокете"_s;
}

void tst_ServerLink::parse()
{
    QFETCH(QString, hostBox);
    QFETCH(QString, portBox);
    QFETCH(QString, host);
    QFETCH(uint, port);
    QFETCH(bool, tcp);
    QFETCH(QString, error);

    const ServerAddressParse parsed = parseServerAddress(hostBox, portBox);
    if (!error.isEmpty()) {
        QVERIFY(!parsed.address);
        QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
        return;
    }
    QVERIFY2(parsed.address, qPrintable(parsed.error));
    const bool isSocket = hostBox.startsWith(u'/');
    QCOMPARE(parsed.address->host, host);
    QCOMPARE(parsed.address->port, port);
    QCOMPARE(parsed.address->socket, isSocket ? hostBox : QString());
    QCOMPARE(parsed.address->needsTcp(), tcp);
}

void tst_ServerLink::modes_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("socket");
    QTest::addColumn<TlsMode>("mode");
    QTest::addColumn<QString>("ca");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<QString>("outcome"); // the link's description, or a part of the refusal
    // The name the certificate must carry, as the TLS group takes it;
    // "tunnel:" + name: as a connect through the tunnel gives it.
    QTest::addColumn<QString>("certName");
    // Through a relay of ours on 127.0.0.1 to the server's socket: "" none,
    // "count" as it is, "strip" with the TLS offer cleared from every
    // greeting, "strip later" from the second connection's on. A link refused
    // for want of TLS has sent the server nothing at all, or nothing on the
    // connections stripped.
    QTest::addColumn<QString>("relay");

    const QString tls13 = u"TLSv1.3, TLS_AES_256_GCM_SHA384"_s;
    const QString clear = u"без шифрования"_s;
    const QString noTls = u"Сервер не предлагает TLS, а соединение требует шифрования: имя и пароль не отправлены"_s;
    const QString none;
    // Connector/C 3.3 speaks TLS over the socket as over TCP when asked to.
    for (const bool socket : {false, true}) {
        const char *via = socket ? "socket" : "tcp";
        const auto row = [via](const char *what) -> QTestData & { return QTest::addRow("%s, %s", what, via); };
        row("off, tls server") << u"tls"_s << socket << TlsMode::Off << none << false << clear << none << none;
        row("off, plain server") << u"plain"_s << socket << TlsMode::Off << none << false << clear << none << none;
        row("preferred, tls server") << u"tls"_s << socket << TlsMode::Preferred << none << false << tls13 << none
                                     << none;
        row("preferred, plain server") << u"plain"_s << socket << TlsMode::Preferred << none << false << clear
                                       << none << none;
        row("required, tls server") << u"tls"_s << socket << TlsMode::Required << none << false << tls13 << none
                                    << none;
        row("required, plain server") << u"plain"_s << socket << TlsMode::Required << none << false << noTls << none
                                      << none;
        row("verified, tls server") << u"tls"_s << socket << TlsMode::Verified << u"ca"_s << false << tls13 << none
                                    << none;
        row("verified, plain server") << u"plain"_s << socket << TlsMode::Verified << u"ca"_s << false << noTls
                                      << none << none;
        row("verified, unrelated CA") << u"tls"_s << socket << TlsMode::Verified << u"other-ca"_s << false
                                      << u"Сертификат сервера не подписан ЦС из файла «"_s << none << none;
        row("verified, system CAs only") << u"tls"_s << socket << TlsMode::Verified << none << false
                                         << u"Сертификат сервера не подписан ни одним системным ЦС"_s << none << none;
        row("required, other host's certificate") << u"otherhost"_s << socket << TlsMode::Required << u"ca"_s
                                                  << false << tls13 << none << none;
        row("verified, missing CA file") << u"tls"_s << socket << TlsMode::Verified << u"missing"_s << false
                                         << u"Файл сертификата ЦС «%1» не найден"_s << none << none;
        row("verified, CA file not a certificate") << u"tls"_s << socket << TlsMode::Verified << u"port"_s << false
                                                   << u"В файле сертификата ЦС «%1» нет сертификатов ЦС"_s << none
                                                   << none;
        // A fifo would keep the connect reading for good.
        row("verified, CA file a fifo") << u"tls"_s << socket << TlsMode::Verified << u"fifo"_s << false
                                        << u"Файл сертификата ЦС «%1» не обычный файл"_s << none << none;
        row("compressed, tls server") << u"tls"_s << socket << TlsMode::Preferred << none << true << tls13 << none
                                      << none;
        row("compressed, plain server") << u"plain"_s << socket << TlsMode::Off << none << true << clear << none
                                        << none;
        // The name checked is the one the operator meant, however the link goes.
        row("verified, certificate for the name given") << u"otherhost"_s << socket << TlsMode::Verified << u"ca"_s
                                                        << false << tls13 << u"otherhost.invalid"_s << none;
        row("verified, localhost's certificate, other name given")
            << u"tls"_s << socket << TlsMode::Verified << u"ca"_s << false
            << u"Сертификат сервера выдан не на имя «otherhost.invalid»"_s << u"otherhost.invalid"_s << none;
        row("verified, tunnel to the certificate's host") << u"otherhost"_s << socket << TlsMode::Verified << u"ca"_s
                                                          << false << tls13 << u"tunnel:otherhost.invalid"_s << none;
        row("verified, tunnel to another host, localhost's certificate")
            << u"tls"_s << socket << TlsMode::Verified << u"ca"_s << false
            << u"Сертификат сервера выдан не на имя «db.example.org»"_s << u"tunnel:db.example.org"_s << none;
    }
    QTest::newRow("verified, other host's certificate, tcp")
        << u"otherhost"_s << false << TlsMode::Verified << u"ca"_s << false
        << u"Сертификат сервера выдан не на имя «localhost»"_s << none << none;
    QTest::newRow("verified, other host's certificate, socket")
        << u"otherhost"_s << true << TlsMode::Verified << u"ca"_s << false
        << u"Сертификат сервера выдан не на имя «localhost»"_s << none << none;
    // A man in the middle that hides the server's TLS offer gets no login.
    QTest::newRow("required, plain server, counted") << u"plain"_s << false << TlsMode::Required << none << false
                                                     << noTls << none << u"count"_s;
    QTest::newRow("required, TLS offer stripped") << u"tls"_s << false << TlsMode::Required << none << false << noTls
                                                  << none << u"strip"_s;
    // The first look goes through untouched, the connect that follows is stripped.
    QTest::newRow("required, TLS offer stripped after the first look")
        << u"tls"_s << false << TlsMode::Required << none << false << noTls << none << u"strip later"_s;
    QTest::newRow("verified, TLS offer stripped after the first look")
        << u"tls"_s << false << TlsMode::Verified << u"ca"_s << false << noTls << none << u"strip later"_s;
    QTest::newRow("verified, TLS offer stripped") << u"tls"_s << false << TlsMode::Verified << u"ca"_s << false
                                                  << noTls << none << u"strip"_s;
    QTest::newRow("required, through a relay as is") << u"tls"_s << false << TlsMode::Required << none << false
                                                     << tls13 << none << u"count"_s;
    QTest::newRow("host name that does not resolve")
        << u"unknown"_s << false << TlsMode::Preferred << none << false
        << u"Сервер «nosuch.invalid» не найден: имя не разрешается в адрес (Unknown server host"_s << none << none;
}

void tst_ServerLink::modes()
{
    QFETCH(QString, server);
    QFETCH(bool, socket);
    QFETCH(TlsMode, mode);
    QFETCH(QString, ca);
    QFETCH(bool, compressed);
    QFETCH(QString, outcome);
    QFETCH(QString, certName);
    QFETCH(QString, relay);

    ThrowawayServer *target = serverNamed(server);
    std::unique_ptr<TlsStripRelay> middle;
    if (!relay.isEmpty()) {
        middle = std::make_unique<TlsStripRelay>(target->socket(), relay == u"strip"_s         ? 0
                                                                   : relay == u"strip later"_s ? 1
                                                                                               : -1);
        QVERIFY(middle->start());
    }
    // By TCP the host is "localhost" with the port: the certificate's name,
    // and the case where the library would take its default socket.
    const ServerAddressParse parsed =
        !target  ? parseServerAddress(u"nosuch.invalid:3306"_s)
        : middle ? parseServerAddress(u"127.0.0.1"_s, QString::number(middle->port()))
        : socket ? parseServerAddress(QString::fromLocal8Bit(target->socket()))
                 : parseServerAddress(u"localhost"_s, QString::number(target->port()));
    QVERIFY2(parsed.address, qPrintable(parsed.error));
    const ServerAddress &address = *parsed.address;
    // "port" stands for a file that exists but holds no certificate.
    const QString caFile = ca.isEmpty() ? QString()
                           : ca == u"port"_s ? QString::fromLocal8Bit(target->socket()).replace(u"mysqld.sock"_s, u"port"_s)
                                             : m_certs.filePath(ca + u".pem"_s);
    if (ca == u"fifo"_s) {
        ::unlink(QFile::encodeName(caFile).constData());
        QCOMPARE(::mkfifo(QFile::encodeName(caFile).constData(), 0600), 0);
    }
    outcome.replace(u"%1"_s, caFile);

    // Through the program's own connect, as the page and the connection that
    // ends a query make it.
    const bool throughTunnel = certName.startsWith(u"tunnel:"_s);
    TlsOptions tls{mode, caFile, compressed, throughTunnel ? QString() : certName};
    QString refusal;
    std::optional<DbLogin> login = makeDbLogin(address, u"root"_s, u"kelp"_s, tls, &refusal);
    QVERIFY2(login, qPrintable(refusal));
    if (throughTunnel)
        login->certificateName = certName.mid(7);
    DbConnection connection;
    const ConnectOutcome made = connection.connect(*login);
    QString result = made.errorText;
    if (made.errorNumber == 0) {
        QVERIFY(result.isEmpty());
        // The link really goes where it was meant to, the way it was meant to.
        MYSQL *mysql = connection.handle();
        QCOMPARE(QByteArray(mysql_get_host_info(mysql)).contains("TCP/IP"), !socket || middle);
        QCOMPARE(linkCompressed(mysql), compressed);
        result = linkDescription(mysql);
    } else {
        // A refused link leaves nothing that a query could use.
        QVERIFY(!connection.handle());
        QCOMPARE(connection.Connected(), 0);
        // Refused for want of TLS: not one byte, so no account, no password.
        if (middle && relay == u"count"_s)
            QCOMPARE(middle->bytesToServer(), std::uint64_t(0));
        if (middle && relay != u"count"_s)
            QCOMPARE(middle->bytesAfterStripping(), std::uint64_t(0));
    }
    QVERIFY2(result.contains(outcome), qPrintable(result));
}

QTEST_GUILESS_MAIN(tst_ServerLink)
#include "tst_serverlink.moc"
