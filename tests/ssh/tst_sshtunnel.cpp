#include "DbTestSupport.h"
#include "SshTestServer.h"

#include "ssh/AskpassClient.h"
#include "ssh/SshTunnel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <mysql.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kReady = -1;

// Answers the tunnel's questions as an operator would, and keeps them.
struct Operator
{
    Operator(SshTunnel &tunnel, SshHostKeyChoice choice, const QString &secret = {})
    {
        QObject::connect(&tunnel, &SshTunnel::hostKeyQuestion, &tunnel, [this, choice, &tunnel](const SshHostKeyQuestion &q) {
            hostKeys.append(q);
            tunnel.answerHostKey(choice);
        });
        QObject::connect(&tunnel, &SshTunnel::secretQuestion, &tunnel, [this, secret, &tunnel](const SshSecretQuestion &q) {
            secrets.append(q);
            tunnel.answerSecret(secret);
        });
    }
    QList<SshHostKeyQuestion> hostKeys;
    QList<SshSecretQuestion> secrets;
};

// The shared server's socket as the server names it, asked through the
// tunnel, or the client's error number.
QString askThrough(const QString &socket, const char *query = "SELECT @@socket")
{
    MYSQL *mysql = mysql_init(nullptr);
    QString answer = u"error "_s;
    if (mysql_real_connect(mysql, "localhost", "root", "kelp", nullptr, 0, socket.toLocal8Bit().constData(), 0)
        && mysql_query(mysql, query) == 0) {
        MYSQL_RES *result = mysql_store_result(mysql);
        answer = QString::fromUtf8(mysql_fetch_row(result)[0]);
        mysql_free_result(result);
    }
    if (mysql_errno(mysql) != 0)
        answer += QString::number(mysql_errno(mysql));
    mysql_close(mysql);
    return answer;
}

// Opens and waits for ready() or failed(): the failure's kind, or kReady.
int openAndWait(SshTunnel &tunnel, const SshTunnelSettings &settings, SshTunnelFailure *failure = nullptr)
{
    QSignalSpy ready(&tunnel, &SshTunnel::ready);
    QSignalSpy failed(&tunnel, &SshTunnel::failed);
    tunnel.open(settings);
    if (!QTest::qWaitFor([&] { return ready.size() + failed.size() > 0; }, 30000))
        return -2;
    if (failed.isEmpty())
        return kReady;
    if (failure)
        *failure = failed.constFirst().constFirst().value<SshTunnelFailure>();
    return int(failed.constFirst().constFirst().value<SshTunnelFailure>().kind);
}

// Neither the private folder nor a process that names it is left.
bool nothingLeft(const QString &socketPath)
{
    const QString folder = QFileInfo(socketPath).path();
    return !socketPath.isEmpty() && !QFileInfo::exists(folder) && SshTestServer::processesNaming(folder).isEmpty();
}

} // namespace

class tst_SshTunnel : public QObject
{
    Q_OBJECT

    SshTestServer m_server;
    QString m_knownHosts;

    SshTunnelSettings settings(const QString &host = u"127.0.0.1"_s) const
    {
        SshTunnelSettings s;
        s.host = host;
        // An alias brings its host name, port and account from the config.
        const bool alias = host.startsWith(u"tunnel"_s);
        s.port = alias ? 0 : m_server.port();
        s.account = alias ? QString() : u"root"_s;
        s.login = SshLogin::KeyFile;
        s.keyFile = m_server.file(u"user_key"_s);
        s.databaseHost = QString::fromLocal8Bit(sharedSocket());
        s.configFile = m_server.file(u"config"_s);
        s.knownHostsFile = m_knownHosts;
        return s;
    }

    void writeKnownHosts(const QByteArray &lines)
    {
        QFile file(m_knownHosts);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lines) == lines.size());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!sharedSocket().isEmpty(), "MYSQL_UNIX_PORT is not set; start the server with scripts/db");
        QString error;
        QVERIFY2(m_server.start(&error), qPrintable(error));
        m_knownHosts = m_server.file(u"known_hosts"_s);
        qunsetenv("SSH_AUTH_SOCK");
        QVERIFY(QDir().mkdir(m_server.file(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", m_server.file(u"runtime"_s).toLocal8Bit());
    }
    void init() { writeKnownHosts(m_server.knownHostsLine(u"host_key.pub"_s)); }

    void logins_data();
    void logins();
    void unknownHostKey_data();
    void unknownHostKey();
    void changedHostKeyIsRefused();
    void failures_data();
    void failures();
    void serverKilledDuringQuery();
    void cancelDuringHandshake();
};

void tst_SshTunnel::logins_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<SshLogin>("login");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("secret");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("secretsAsked");
    const QString password = QString::fromLatin1(SshTestServer::kPassword);
    const int denied = int(SshTunnelFailure::Kind::Login);
    QTest::newRow("agent, config alias") << u"tunnel"_s << SshLogin::Agent << QString() << QString() << kReady << 0;
    QTest::newRow("key file of the config") << u"tunnel-key"_s << SshLogin::KeyFile << QString() << QString() << kReady << 0;
    QTest::newRow("key with passphrase") << u"127.0.0.1"_s << SshLogin::KeyFile << u"pass_key"_s
                                         << QString::fromLatin1(SshTestServer::kPassphrase) << kReady << 1;
    QTest::newRow("password") << u"127.0.0.1"_s << SshLogin::Password << QString() << password << kReady << 1;
    QTest::newRow("wrong key") << u"127.0.0.1"_s << SshLogin::KeyFile << u"other_key"_s << QString() << denied << 0;
    QTest::newRow("wrong password") << u"127.0.0.1"_s << SshLogin::Password << QString() << u"wrong"_s << denied << 3;
}

void tst_SshTunnel::logins()
{
    QFETCH(QString, host);
    QFETCH(SshLogin, login);
    QFETCH(QString, key);
    QFETCH(QString, secret);
    QFETCH(int, outcome);
    QFETCH(int, secretsAsked);
    if (login == SshLogin::Agent)
        qputenv("SSH_AUTH_SOCK", m_server.startAgent().toLocal8Bit());
    SshTunnelSettings s = settings(host);
    s.login = login;
    s.keyFile = key.isEmpty() ? QString() : m_server.file(key);
    // A folder that a killed program left goes at the next open.
    QProcess gone;
    gone.start(u"true"_s);
    QVERIFY(gone.waitForStarted());
    const QString stale = m_server.file(u"runtime/quenmark-ssh-%1-left"_s.arg(gone.processId()));
    QVERIFY(gone.waitForFinished());
    QVERIFY(QDir().mkpath(stale));
    SshTunnel tunnel;
    Operator asked(tunnel, SshHostKeyChoice::Cancel, secret);
    SshTunnelFailure failure;
    QCOMPARE(openAndWait(tunnel, s, &failure), outcome);
    QVERIFY(!QFileInfo::exists(stale));
    qunsetenv("SSH_AUTH_SOCK");
    QCOMPARE(asked.hostKeys.size(), 0);
    QCOMPARE(asked.secrets.size(), secretsAsked);
    if (secretsAsked > 0)
        QCOMPARE(asked.secrets.last().attempt, secretsAsked);
    const QString socket = tunnel.socketPath();
    if (outcome == kReady) {
        QVERIFY2(socket.startsWith(m_server.file(u"runtime/quenmark-ssh-"_s)), qPrintable(socket));
        QCOMPARE(QFileInfo(QFileInfo(socket).path()).permissions() & 0x0077, 0); // nothing for group and others
        QCOMPARE(askThrough(socket), QString::fromLocal8Bit(sharedSocket()));
        tunnel.close();
        QVERIFY(nothingLeft(socket));
    } else {
        QVERIFY2(failure.message.contains(u"Permission denied"_s), qPrintable(failure.message));
    }
}

void tst_SshTunnel::unknownHostKey_data()
{
    QTest::addColumn<SshHostKeyChoice>("choice");
    QTest::newRow("connect once") << SshHostKeyChoice::ConnectOnce;
    QTest::newRow("trust and remember") << SshHostKeyChoice::TrustAndRemember;
    QTest::newRow("cancel") << SshHostKeyChoice::Cancel;
}

void tst_SshTunnel::unknownHostKey()
{
    QFETCH(SshHostKeyChoice, choice);
    const bool remembered = choice == SshHostKeyChoice::TrustAndRemember;
    writeKnownHosts({});
    SshTunnel tunnel;
    Operator asked(tunnel, choice);
    QSignalSpy outcomes(&tunnel, &SshTunnel::ready);
    QSignalSpy failed(&tunnel, &SshTunnel::failed);
    tunnel.open(settings());
    const QString socket = tunnel.socketPath();
    QTRY_COMPARE_WITH_TIMEOUT(asked.hostKeys.size(), 1, 20000);
    QCOMPARE(asked.hostKeys.constFirst().host, u"[127.0.0.1]:%1"_s.arg(m_server.port()));
    QCOMPARE(asked.hostKeys.constFirst().fingerprint, SshTestServer::fingerprint(m_server.file(u"host_key.pub"_s)));
    QTest::qWait(300);
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), choice == SshHostKeyChoice::Cancel ? 0 : 1, 20000);
    QCOMPARE(failed.size(), 0);
    tunnel.close();
    QVERIFY(nothingLeft(socket));

    // Only a remembered key is in the known hosts file (hashed, as the config
    // asks), and then the next connect asks nothing.
    QCOMPARE(SshTestServer::fingerprint(m_knownHosts), remembered ? asked.hostKeys.constFirst().fingerprint : QString());
    SshTunnel second;
    Operator askedAgain(second, SshHostKeyChoice::ConnectOnce);
    QCOMPARE(openAndWait(second, settings()), kReady);
    QCOMPARE(askedAgain.hostKeys.size(), remembered ? 0 : 1);
}

void tst_SshTunnel::changedHostKeyIsRefused()
{
    writeKnownHosts("# the key before\n" + m_server.knownHostsLine(u"other_key.pub"_s));
    SshTunnel tunnel;
    Operator asked(tunnel, SshHostKeyChoice::ConnectOnce);
    SshTunnelFailure failure;
    QCOMPARE(openAndWait(tunnel, settings(), &failure), int(SshTunnelFailure::Kind::HostKeyChanged));
    QCOMPARE(asked.hostKeys.size(), 0);
    QCOMPARE(failure.host, u"[127.0.0.1]:%1"_s.arg(m_server.port()));
    QCOMPARE(failure.knownFingerprint, SshTestServer::fingerprint(m_server.file(u"other_key.pub"_s)));
    QCOMPARE(failure.offeredFingerprint, SshTestServer::fingerprint(m_server.file(u"host_key.pub"_s)));
    QCOMPARE(failure.knownEntry, m_knownHosts + u":2"_s);
    for (const QString &part : {failure.host, failure.knownFingerprint, failure.offeredFingerprint})
        QVERIFY2(failure.message.contains(part), qPrintable(failure.message));
}

void tst_SshTunnel::failures_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("databaseHost");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("sshWords");
    using Kind = SshTunnelFailure::Kind;
    QTest::newRow("database port closed") << u"127.0.0.1"_s << u"127.0.0.1"_s << int(Kind::Forwarding) << u"open failed"_s;
    QTest::newRow("unknown host name") << u"no-such-host.invalid"_s << QString() << int(Kind::Unreachable)
                                       << u"Could not resolve hostname"_s;
    QTest::newRow("host read as an option") << u"-oProxyCommand=true"_s << QString() << int(Kind::Settings) << QString();
    QTest::newRow("sshd stopped") << QString() << QString() << int(Kind::Unreachable) << u"Connection refused"_s;
}

void tst_SshTunnel::failures()
{
    QFETCH(QString, host);
    QFETCH(QString, databaseHost);
    QFETCH(int, kind);
    QFETCH(QString, sshWords);
    if (host.isEmpty())
        m_server.kill();
    SshTunnelSettings s = settings(host.isEmpty() ? u"127.0.0.1"_s : host);
    if (!databaseHost.isEmpty()) {
        s.databaseHost = databaseHost;
        s.databasePort = 1;
    }
    SshTunnel tunnel;
    SshTunnelFailure failure;
    QCOMPARE(openAndWait(tunnel, s, &failure), kind);
    QVERIFY2(failure.message.contains(sshWords), qPrintable(failure.message));
    QCOMPARE(tunnel.socketPath(), QString());
}

void tst_SshTunnel::serverKilledDuringQuery()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    init();
    SshTunnel tunnel;
    QSignalSpy ended(&tunnel, &SshTunnel::ended);
    QCOMPARE(openAndWait(tunnel, settings()), kReady);
    const QString socket = tunnel.socketPath();
    QString answer;
    QElapsedTimer clock;
    clock.start();
    std::thread query([&] { answer = askThrough(socket, "SELECT SLEEP(30)"); });
    QTest::qWait(700);
    m_server.kill();
    query.join();
    QCOMPARE(answer, u"error 2013"_s); // lost connection, long before the query's end
    QVERIFY(clock.elapsed() < 10000);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QVERIFY(nothingLeft(socket));

    // Once sshd is back, the same object opens again.
    QVERIFY2(m_server.start(&error), qPrintable(error));
    init();
    QCOMPARE(openAndWait(tunnel, settings()), kReady);
    QCOMPARE(askThrough(tunnel.socketPath()), QString::fromLocal8Bit(sharedSocket()));
}

void tst_SshTunnel::cancelDuringHandshake()
{
    QTcpServer silent; // takes the connection and never says a word
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    SshTunnelSettings s = settings();
    s.port = silent.serverPort();
    SshTunnel tunnel;
    QSignalSpy failed(&tunnel, &SshTunnel::failed);
    tunnel.open(s);
    const QString socket = tunnel.socketPath();
    QTRY_VERIFY(silent.hasPendingConnections());
    QElapsedTimer clock;
    clock.start();
    tunnel.close();
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(nothingLeft(socket));
    QTest::qWait(200);
    QCOMPARE(failed.size(), 0);
}

int main(int argc, char *argv[])
{
    // ssh runs this test as its askpass helper, as it runs the program.
    if (const std::optional<int> code = answerSshAskpass(argc, argv))
        return *code;
    QCoreApplication app(argc, argv);
    tst_SshTunnel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sshtunnel.moc"
