#include "DbTestSupport.h"

#include "db/Connection.h"
#include "db/ServerAddress.h"
#include "db/TlsOptions.h"

#include <QCoreApplication>
#include <QTest>

#include <errmsg.h>
#include <mysql.h>

#include <memory>

using namespace Qt::StringLiterals;

// Where the connection goes and how it is protected, against real servers: one
// with TLS and a certificate for localhost, one whose certificate names
// another host, and one without TLS, each on a TCP port and a socket.
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

    const QString tls13 = u"TLSv1.3, TLS_AES_256_GCM_SHA384"_s;
    const QString clear = u"без шифрования"_s;
    const QString noTls = u"Сервер не предлагает TLS"_s;
    const QString required = u"SSL is required, but the server does not support it"_s;
    // Connector/C 3.3 speaks TLS over the socket as over TCP when asked to.
    for (const bool socket : {false, true}) {
        const char *via = socket ? "socket" : "tcp";
        const auto row = [via](const char *what) -> QTestData & { return QTest::addRow("%s, %s", what, via); };
        row("off, tls server") << u"tls"_s << socket << TlsMode::Off << QString() << false << clear;
        row("off, plain server") << u"plain"_s << socket << TlsMode::Off << QString() << false << clear;
        row("preferred, tls server") << u"tls"_s << socket << TlsMode::Preferred << QString() << false << tls13;
        row("preferred, plain server") << u"plain"_s << socket << TlsMode::Preferred << QString() << false << clear;
        row("required, tls server") << u"tls"_s << socket << TlsMode::Required << QString() << false << tls13;
        row("required, plain server") << u"plain"_s << socket << TlsMode::Required << QString() << false << noTls;
        row("verified, tls server") << u"tls"_s << socket << TlsMode::Verified << u"ca"_s << false << tls13;
        row("verified, plain server") << u"plain"_s << socket << TlsMode::Verified << u"ca"_s << false << required;
        row("verified, unrelated CA") << u"tls"_s << socket << TlsMode::Verified << u"other-ca"_s << false
                                      << u"self-signed certificate in certificate chain"_s;
        row("verified, system CAs only") << u"tls"_s << socket << TlsMode::Verified << QString() << false
                                         << u"self-signed certificate in certificate chain"_s;
        row("verified, other host's certificate") << u"otherhost"_s << socket << TlsMode::Verified << u"ca"_s
                                                  << false << u"Validation of SSL server certificate failed"_s;
        row("required, other host's certificate") << u"otherhost"_s << socket << TlsMode::Required << u"ca"_s
                                                  << false << tls13;
        row("verified, missing CA file") << u"tls"_s << socket << TlsMode::Verified << u"missing"_s << false
                                         << u"No such file or directory"_s;
        row("verified, CA file not a certificate") << u"tls"_s << socket << TlsMode::Verified << u"port"_s << false
                                                   << u"no certificate or crl found"_s;
        row("compressed, tls server") << u"tls"_s << socket << TlsMode::Preferred << QString() << true << tls13;
        row("compressed, plain server") << u"plain"_s << socket << TlsMode::Off << QString() << true << clear;
    }
    QTest::newRow("host name that does not resolve")
        << u"unknown"_s << false << TlsMode::Preferred << QString() << false
        << u"Сервер «nosuch.invalid» не найден: имя не разрешается в адрес (Unknown server host"_s;
}

void tst_ServerLink::modes()
{
    QFETCH(QString, server);
    QFETCH(bool, socket);
    QFETCH(TlsMode, mode);
    QFETCH(QString, ca);
    QFETCH(bool, compressed);
    QFETCH(QString, outcome);

    ThrowawayServer *target = serverNamed(server);
    // By TCP the host is "localhost" with the port: the certificate's name,
    // and the case where the library would take its default socket.
    const ServerAddressParse parsed =
        !target ? parseServerAddress(u"nosuch.invalid:3306"_s)
        : socket ? parseServerAddress(QString::fromLocal8Bit(target->socket()))
                 : parseServerAddress(u"localhost"_s, QString::number(target->port()));
    QVERIFY2(parsed.address, qPrintable(parsed.error));
    const ServerAddress &address = *parsed.address;
    // "port" stands for a file that exists but holds no certificate.
    const QString caFile = ca.isEmpty() ? QString()
                           : ca == u"port"_s ? QString::fromLocal8Bit(target->socket()).replace(u"mysqld.sock"_s, u"port"_s)
                                             : m_certs.filePath(ca + u".pem"_s);

    // Through the program's own connect, as the page and the connection that
    // ends a query make it.
    QString refusal;
    const std::optional<DbLogin> login =
        makeDbLogin(address, u"root"_s, u"kelp"_s, {mode, caFile, compressed}, &refusal);
    QVERIFY2(login, qPrintable(refusal));
    DbConnection connection;
    const ConnectOutcome made = connection.connect(*login);
    QString result = made.errorText;
    if (made.errorNumber == 0) {
        QVERIFY(result.isEmpty());
        // The link really goes where it was meant to, the way it was meant to.
        MYSQL *mysql = connection.handle();
        QCOMPARE(QByteArray(mysql_get_host_info(mysql)).contains("TCP/IP"), !socket);
        QCOMPARE(linkCompressed(mysql), compressed);
        result = linkDescription(mysql);
    } else {
        // A refused link leaves nothing that a query could use.
        QVERIFY(!connection.handle());
        QCOMPARE(connection.Connected(), 0);
    }
    QVERIFY2(result.contains(outcome), qPrintable(result));
}

QTEST_GUILESS_MAIN(tst_ServerLink)
#include "tst_serverlink.moc"
