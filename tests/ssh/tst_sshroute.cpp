// The tunnel step of a connect as the operator meets it, against a private
// sshd, the shared database behind it and a secret service of the test's own.

#include "DbTestSupport.h"
#include "KeyringTestService.h"
#include "SshTestServer.h"
#include "TestShell.h"
#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/TextPane.h"
#include "base/Error.h"
#include "ssh/AskpassClient.h"
#include "connect/ConnectionSettings.h"
#include "db/GridLoad.h"
#include "connect/SshConnectRoute.h"
#include "connect/SshGroup.h"
#include "ssh/SshSecretAccount.h"
#include "grid/RecordGrid.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

using Action = std::function<void(QWidget *)>;

// The question on screen: a modal box, or a dialog of the tunnel's, which
// leaves the window free to be closed.
QWidget *shownQuestion()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QDialog *>(window) && window->objectName() != u"WorkProgressDialog"_s)
            return window;
    }
    return nullptr;
}

// Answers the dialogs that open, one after another, each with the next
// action; keeps each one's name, texts and number of buttons.
class Modals : public QObject
{
public:
    explicit Modals(QList<Action> actions) : m_actions(std::move(actions))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QWidget *modal = shownQuestion();
            if (!modal || !modal->isVisible() || modal == m_last)
                return;
            m_last = modal;
            QStringList labels;
            for (const QLabel *label : modal->findChildren<QLabel *>())
                labels << label->text();
            shown << modal->objectName();
            texts << labels.join(u'\n');
            buttons << modal->findChildren<QPushButton *>().size();
            if (!m_actions.isEmpty())
                m_actions.takeFirst()(modal);
        });
        m_poll.start(10);
    }
    QStringList shown, texts;
    QList<qsizetype> buttons;

private:
    QList<Action> m_actions;
    QTimer m_poll;
    QPointer<QWidget> m_last;
};

Action press(const QString &button)
{
    return [button](QWidget *dialog) { click(find(dialog, button)); };
}

Action answer(const QString &secret, bool remember)
{
    return [secret, remember](QWidget *dialog) {
        typeInto(find(dialog, u"sshSecretEdit"_s), secret);
        if (auto *box = find<QCheckBox>(dialog, u"sshRememberBox"_s); box->isChecked() != remember)
            click(box);
        click(find(dialog, u"okButton"_s));
    };
}

void connectThrough(DbConnection &db, const QString &socket)
{
    const ConnectOutcome outcome = db.connect(u"localhost"_s, u"root"_s, u"kelp"_s, DbEndpoint{0, socket.toLocal8Bit()});
    QCOMPARE(outcome.errorText, QString());
    QCOMPARE(db.selectDatabase(u"vosteldb"_s), 0);
}

// Neither the tunnel's private folder nor a process that names it is left.
bool nothingLeft(const QString &socketPath)
{
    const QString folder = QFileInfo(socketPath).path();
    return !socketPath.isEmpty() && !QFileInfo::exists(folder) && SshTestServer::processesNaming(folder).isEmpty();
}

// A slow link to the database: what either end sends arrives delayMs later.
// It runs on a thread of its own: a connect blocks the test's thread.
class SlowLink
{
public:
    SlowLink(const QString &databaseSocket, int delayMs)
    {
        m_home->moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(m_home, [&] {
            auto *server = new QTcpServer(m_home);
            server->listen(QHostAddress::LocalHost);
            m_port = server->serverPort();
            QObject::connect(server, &QTcpServer::newConnection, server, [server, databaseSocket, delayMs] {
                while (QTcpSocket *near = server->nextPendingConnection()) {
                    auto *far = new QLocalSocket(near);
                    const auto pass = [delayMs](QIODevice *from, QIODevice *to) {
                        QObject::connect(from, &QIODevice::readyRead, to, [=] {
                            const QByteArray bytes = from->readAll();
                            QTimer::singleShot(delayMs, to, [to, bytes] { to->write(bytes); });
                        });
                    };
                    pass(near, far);
                    pass(far, near);
                    QObject::connect(far, &QLocalSocket::disconnected, near, [near, delayMs] {
                        QTimer::singleShot(delayMs, near, [near] { near->disconnectFromHost(); });
                    });
                    QObject::connect(near, &QTcpSocket::disconnected, near, &QObject::deleteLater);
                    far->connectToServer(databaseSocket);
                }
            });
        }, Qt::BlockingQueuedConnection);
    }
    ~SlowLink()
    {
        QMetaObject::invokeMethod(m_home, [this] { delete m_home; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 port() const { return m_port; }

private:
    QThread m_thread;
    QObject *m_home = new QObject;
    quint16 m_port = 0;
};

} // namespace

class tst_SshRoute : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    SshTestServer m_server;
    KeyringTestService m_keyring;
    QString m_noKeyring;

    SshTunnelSettings settings(SshLogin login = SshLogin::KeyFile, const QString &key = u"user_key"_s) const
    {
        return {u"127.0.0.1"_s, m_server.port(), u"root"_s, login, key.isEmpty() ? QString() : m_server.file(key),
                QString::fromLocal8Bit(sharedSocket()), 3306, m_server.file(u"config"_s), m_server.file(u"known_hosts"_s)};
    }

    void knowHostKey(const QByteArray &lines)
    {
        QFile file(m_server.file(u"known_hosts"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lines) == lines.size());
    }

    void startServer()
    {
        QString error;
        QVERIFY2(m_server.start(&error), qPrintable(error));
        knowHostKey(m_server.knownHostsLine(u"host_key.pub"_s));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!sharedSocket().isEmpty(), "MYSQL_UNIX_PORT is not set; start the server with scripts/db");
        for (const char *folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
            const QString path = m_home.filePath(QString::fromLatin1(folder));
            QVERIFY(QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            qputenv(folder, path.toLocal8Bit());
        }
        qunsetenv("SSH_AUTH_SOCK");
        if (!m_keyring.start(&m_noKeyring))
            m_noKeyring.prepend(u"no secret service can run here: "_s);
        startServer();
    }
    void init() { knowHostKey(m_server.knownHostsLine(u"host_key.pub"_s)); }

    void groupGivesAndTakesSettings_data();
    void groupGivesAndTakesSettings();
    void sshPartIsRemembered();
    void unknownHostKey_data();
    void unknownHostKey();
    void changedHostKeyIsRefused();
    void secretsFromOperatorAndKeyring_data();
    void secretsFromOperatorAndKeyring();
    void cancelDuringHandshake();
    void cancelOverASlowLinkKeepsTheConnection();
    void tunnelEndLosesTheConnection_data();
    void tunnelEndLosesTheConnection();
    void pageConnectsThroughTheTunnel();
};

void tst_SshRoute::groupGivesAndTakesSettings_data()
{
    QTest::addColumn<QStringList>("typed"); // host, port, login button, key file, database host, database port
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("databasePort");
    QTest::addColumn<QString>("databaseHost"); // empty: as typed, or 127.0.0.1
    const QString agent = u"sshAgentButton"_s, key = u"sshKeyButton"_s;
    QTest::newRow("config alias, defaults") << QStringList{u"tunnel"_s, {}, agent, {}, {}, {}} << QString() << 0 << 3306 << QString();
    QTest::newRow("key file, ports typed") << QStringList{u"db.example.org"_s, u"2222"_s, key,
                                                          m_server.file(u"user_key"_s), u"10.0.0.5"_s, u"3307"_s}
                                           << QString() << 2222 << 3307 << QString();
    QTest::newRow("socket on the SSH server") << QStringList{u"h"_s, {}, u"sshPasswordButton"_s, {},
                                                             u"/run/mysqld/mysqld.sock"_s, u"x"_s}
                                              << QString() << 0 << 3306 << QString();
    QTest::newRow("SSH port not a number") << QStringList{u"h"_s, u"22a"_s, agent, {}, {}, {}}
                                           << u"Порт SSH «22a»"_s << -1 << 3306 << QString();
    QTest::newRow("database port too big") << QStringList{u"h"_s, {}, agent, {}, {}, u"70000"_s}
                                           << u"Порт БД на SSH-сервере «70000»"_s << 0 << -1 << QString();
    QTest::newRow("host read as an option") << QStringList{u"-oProxyCommand=x"_s, {}, agent, {}, {}, {}}
                                            << u"недопустим"_s << 0 << 3306 << QString();
    QTest::newRow("key file missing") << QStringList{u"h"_s, {}, key, u"/nonexistent/key"_s, {}, {}}
                                      << u"не найден"_s << 0 << 3306 << QString();
    QTest::newRow("database host typed with its port") << QStringList{u"h"_s, {}, agent, {}, u"127.0.0.1:3399"_s, {}}
                                                       << QString() << 0 << 3399 << u"127.0.0.1"_s;
    QTest::newRow("IPv6 database host with its port") << QStringList{u"h"_s, {}, agent, {}, u"[::1]:3399"_s, {}}
                                                      << QString() << 0 << 3399 << u"::1"_s;
    QTest::newRow("port after the database host not a number")
        << QStringList{u"h"_s, {}, agent, {}, u"10.0.0.5:x"_s, {}} << u"Порт БД на SSH-сервере «x»"_s << 0 << -1
        << u"10.0.0.5"_s;
    QTest::newRow("key file is a device") << QStringList{u"h"_s, {}, key, u"/dev/zero"_s, {}, {}}
                                          << u"не обычный файл"_s << 0 << 3306 << QString();
}

void tst_SshRoute::groupGivesAndTakesSettings()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, problem);
    QFETCH(int, port);
    QFETCH(int, databasePort);
    QFETCH(QString, databaseHost);
    SshGroup group;
    SshTunnelSettings kept;
    kept.configFile = m_server.file(u"config"_s);
    group.setSettings(kept);
    group.setOn(true);
    group.show();
    click(find(&group, typed[2]));
    const QStringList boxes{u"sshHostEdit"_s, u"sshPortEdit"_s, {}, u"sshKeyFileEdit"_s, u"sshDatabaseHostEdit"_s,
                            u"sshDatabasePortEdit"_s};
    // A box given no text ({}) is left as it is.
    for (int i : {0, 1, 3, 4, 5}) {
        if (!typed[i].isNull())
            typeInto(find(&group, boxes[i]), typed[i]);
    }
    const QString said = group.problem();
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
    const SshTunnelSettings given = group.settings();
    QCOMPARE(given.host, typed[0]);
    QCOMPARE(given.port, port);
    QCOMPARE(given.databaseHost, !databaseHost.isEmpty() ? databaseHost : typed[4].isEmpty() ? u"127.0.0.1"_s : typed[4]);
    QCOMPARE(given.databasePort, databasePort);
    QCOMPARE(given.configFile, kept.configFile);
    QCOMPARE(find(&group, u"sshKeyFileEdit"_s)->isEnabled(), given.login == SshLogin::KeyFile);
    SshGroup again;
    again.setSettings(given);
    QCOMPARE(again.settings(), given);
}

void tst_SshRoute::sshPartIsRemembered()
{
    const QString path = m_home.filePath(u"connections.ini"_s);
    ConnectionSettingsStore store(path);
    ConnectionSettings live;
    live.ssh = true;
    live.sshTunnel = settings(SshLogin::Password);
    live.sshTunnel.databaseHost = u"/run/mysqld/mysqld.sock"_s;
    QCOMPARE(store.saveLast(live), QString());
    // ssh's config and known-hosts files are never taken from the settings file.
    live.sshTunnel.configFile.clear();
    live.sshTunnel.knownHostsFile.clear();
    QCOMPARE(store.last(), live);
    // What no tunnel can take is refused, not replaced by a default.
    QSettings file(path, QSettings::IniFormat);
    file.setValue(u"last/sshLogin"_s, u"bogus"_s);
    file.setValue(u"last/sshPort"_s, 70000);
    file.setValue(u"last/sshDatabasePort"_s, 0);
    file.sync();
    const ConnectionSettingsStore reread(path);
    QVERIFY(!reread.last());
    QVERIFY2(reread.problem().contains(u"last/sshPort"_s), qPrintable(reread.problem()));

    // The database password of a tunnelled connection is kept apart from a
    // direct one's, from another SSH server's and from another database's
    // behind the same SSH server, though all say 127.0.0.1:3306.
    live.host = live.sshTunnel.databaseHost = u"127.0.0.1"_s;
    live.port = live.sshTunnel.databasePort = 3306;
    ConnectionSettings direct = live, otherServer = live, otherDatabase = live;
    direct.ssh = false;
    otherServer.sshTunnel.host = u"10.0.0.9"_s;
    otherDatabase.sshTunnel.databasePort = 3307;
    QCOMPARE(QSet<QString>({passwordAccountOf(live), passwordAccountOf(direct), passwordAccountOf(otherServer),
                            passwordAccountOf(otherDatabase)})
                 .size(),
             4);
}

void tst_SshRoute::unknownHostKey_data()
{
    QTest::addColumn<QString>("button"); // or the key pressed
    QTest::newRow("connect once") << u"connectOnceButton"_s;
    QTest::newRow("trust and remember") << u"trustButton"_s;
    QTest::newRow("cancel") << u"cancelButton"_s;
    // Neither key may accept the key unasked.
    QTest::newRow("Space on the focus cancels") << u"Space"_s;
    QTest::newRow("Enter cancels") << u"Enter"_s;
}

void tst_SshRoute::unknownHostKey()
{
    QFETCH(QString, button);
    knowHostKey({});
    TestShell shell;
    QString focused;
    const Action key = [&](QWidget *dialog) {
        focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
        if (button == u"Space"_s)
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Space);
        else
            QTest::keyClick(dialog, Qt::Key_Return);
    };
    const bool byKey = button == u"Space"_s || button == u"Enter"_s;
    Modals asked({byKey ? key : press(button)});
    QString socket;
    try {
        socket = shell.route.open(settings());
    } catch (const QmCancelled &) {
    }
    QCOMPARE(asked.shown, QStringList{u"SshUnknownHostKeyDialog"_s});
    const QString fingerprint = SshTestServer::fingerprint(m_server.file(u"host_key.pub"_s));
    for (const QString &part : {u"[127.0.0.1]:%1"_s.arg(m_server.port()), fingerprint})
        QVERIFY2(asked.texts[0].contains(part), qPrintable(asked.texts[0]));
    if (byKey)
        QCOMPARE(focused, u"cancelButton"_s);
    QCOMPARE(socket.isEmpty(), button != u"connectOnceButton"_s && button != u"trustButton"_s);
    QCOMPARE(shell.route.isOpen(), !socket.isEmpty());
    if (!socket.isEmpty())
        connectThrough(shell.db, socket);
    QCOMPARE(SshTestServer::fingerprint(m_server.file(u"known_hosts"_s)),
             button == u"trustButton"_s ? fingerprint : QString());
}

void tst_SshRoute::changedHostKeyIsRefused()
{
    knowHostKey(m_server.knownHostsLine(u"other_key.pub"_s));
    TestShell shell;
    Modals warned({[](QWidget *box) { readAndCloseMessageBox(box); }});
    QVERIFY_THROWS_EXCEPTION(QmError, shell.route.open(settings()));
    QCOMPARE(warned.shown, QStringList{u"SshChangedHostKeyWarning"_s});
    QCOMPARE(warned.buttons, QList<qsizetype>{1}); // it closes; nothing connects anyway
    for (const QString &part : {u"[127.0.0.1]:%1"_s.arg(m_server.port()), m_server.file(u"known_hosts"_s) + u":1"_s,
                                SshTestServer::fingerprint(m_server.file(u"host_key.pub"_s)),
                                SshTestServer::fingerprint(m_server.file(u"other_key.pub"_s))})
        QVERIFY2(warned.texts[0].contains(part), qPrintable(warned.texts[0]));
    QVERIFY(!shell.route.isOpen());
}

void tst_SshRoute::secretsFromOperatorAndKeyring_data()
{
    QTest::addColumn<SshLogin>("login");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("secret");
    QTest::newRow("passphrase") << SshLogin::KeyFile << u"pass_key"_s << QString::fromLatin1(SshTestServer::kPassphrase);
    QTest::newRow("password") << SshLogin::Password << QString() << QString::fromLatin1(SshTestServer::kPassword);
}

// Nothing kept: the operator is asked, and asked again when the answer did not
// fit; the right answer, with "remember", is kept, and the next connect asks
// nothing. A kept answer that no longer fits is said so; unticked, it goes.
void tst_SshRoute::secretsFromOperatorAndKeyring()
{
    QFETCH(SshLogin, login);
    QFETCH(QString, key);
    QFETCH(QString, secret);
    if (!m_noKeyring.isEmpty())
        QSKIP(qPrintable(m_noKeyring));
    const SshTunnelSettings s = settings(login, key);
    SshSecretQuestion question;
    question.kind = login == SshLogin::Password ? SshSecretQuestion::Kind::Password : SshSecretQuestion::Kind::Passphrase;
    const QString account = sshSecretAccount(s, question);
    const auto kept = [&] { return awaitKeyring([&](PasswordStore &k, PasswordStore::Done d) { k.read(account, d); }); };
    QVERIFY(awaitKeyring([&](PasswordStore &k, PasswordStore::Done d) { k.remove(account, d); }).ok);
    TestShell shell;
    const auto connectAnswering = [&](QList<Action> actions) {
        Modals asked(std::move(actions));
        connectThrough(shell.db, shell.route.open(s));
        return asked.texts;
    };
    QStringList asked = connectAnswering({answer(u"wrong"_s, true), answer(secret, true)});
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[1].contains(u"Ответ не подошёл"_s), qPrintable(asked[1]));
    QCOMPARE(kept().secret, secret);
    QCOMPARE(connectAnswering({}), QStringList());

    QVERIFY(awaitKeyring([&](PasswordStore &k, PasswordStore::Done d) { k.write(account, u"stale"_s, d); }).ok);
    asked = connectAnswering({answer(secret, false)});
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains(u"Ответ из хранилища паролей не подошёл"_s), qPrintable(asked[0]));
    QTRY_VERIFY(!kept().found);
}

void tst_SshRoute::cancelDuringHandshake()
{
    QTcpServer silent; // takes the connection and never says a word
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    SshTunnelSettings s = settings();
    s.port = silent.serverPort();
    TestShell shell;
    QElapsedTimer clock;
    qint64 shownAt = -1;
    QString socket;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == u"WorkProgressDialog"_s && window->isVisible() && shownAt < 0) {
                shownAt = clock.elapsed();
                socket = shell.route.tunnel().socketPath();
                click(find(window, u"cancelButton"_s));
            }
        }
    });
    watcher.start(20);
    clock.start();
    QVERIFY_THROWS_EXCEPTION(QmCancelled, shell.route.open(s));
    QVERIFY2(shownAt >= 450, qPrintable(QString::number(shownAt)));
    QVERIFY2(clock.elapsed() - shownAt < 1000, qPrintable(QString::number(clock.elapsed() - shownAt)));
    QVERIFY(silent.hasPendingConnections());
    QVERIFY(nothingLeft(socket));
}

// The query of a cancelled load is ended from a second connection through
// the tunnel, which over a slow link takes longer than a direct one: the
// connection is not cut meanwhile, and the next load works on it.
void tst_SshRoute::cancelOverASlowLinkKeepsTheConnection()
{
    SlowLink link(QString::fromLocal8Bit(sharedSocket()), 250);
    SshTunnelSettings s = settings();
    s.databaseHost = u"127.0.0.1"_s;
    s.databasePort = link.port();
    TestShell shell;
    connectThrough(shell.db, shell.route.open(s));
    RecordGrid grid;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget *progress : QApplication::topLevelWidgets()) {
            if (progress->objectName() == u"WorkProgressDialog"_s && progress->isVisible())
                click(find(progress, u"cancelButton"_s));
        }
    });
    watcher.start(50);
    QVERIFY_THROWS_EXCEPTION(QmCancelled, LoadTable(grid, shell, "SELECT seq, SLEEP(0.01) FROM seq_1_to_100000",
                                                    u"weapon"_s));
    watcher.stop();
    QVERIFY(!shell.db.lost());
    LoadTable(grid, shell, "SELECT item_id, weaponType, name, crystal_type, price, sellable FROM weapon", u"weapon"_s);
    QCOMPARE(grid.RowCount(), 1507);
}

void tst_SshRoute::tunnelEndLosesTheConnection_data()
{
    QTest::addColumn<bool>("loading");
    QTest::newRow("idle") << false;
    QTest::newRow("in the middle of a 1M-row load") << true;
}

// sshd dies: the tunnel's end is logged, and the load (the next one, or the
// one under way) ends as when the database server dies: the connection is
// said to be lost, the grid stays empty, nothing hangs. A new connect works.
void tst_SshRoute::tunnelEndLosesTheConnection()
{
    QFETCH(bool, loading);
    TestShell shell;
    // The connect's way through the tunnel is what takes the connection for lost.
    SshGroup group;
    const SshConnectRoute way(shell.route, group, shell.db);
    const QString socket = shell.route.open(settings());
    connectThrough(shell.db, socket);
    RecordGrid grid;
    grid.setColumns({{u"id"_s, 50}, {u"Type"_s, 50}, {u"Name"_s, 160}, {u"Grade"_s, 40}, {u"Price"_s, 60}, {u"Sell"_s, 40}});
    bool restarted = false;
    const auto restart = qScopeGuard([&] {
        if (!restarted)
            startServer(); // for the cases after a failed one
    });
    if (loading)
        QTimer::singleShot(1500, [this] { m_server.kill(); });
    else
        m_server.kill();
    QTRY_VERIFY(loading || shell.db.lost());
    QElapsedTimer clock;
    clock.start();
    // The rows come with a pause every 20,000: the load is under way when sshd dies.
    const QByteArray query = loading ? "SELECT seq, 'sword', CONCAT('Blade ', seq), NULL, seq * 10, 'true' FROM "
                                       "seq_1_to_1000000 WHERE seq % 20000 <> 0 OR SLEEP(0.1) = 0"
                                     : "SELECT item_id, weaponType, name, crystal_type, price, sellable FROM weapon";
    QString shown;
    try {
        LoadTable(grid, shell, query, u"weapon"_s);
    } catch (const QmError &error) {
        shown = error.text();
    }
    QVERIFY2(shown.startsWith(u"Соединение с сервером потеряно"_s), qPrintable(shown));
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(grid.RowCount(), 0);
    QTRY_COMPARE(shell.log.filter(u"  SSH-туннель к "_s).size(), 1);
    QVERIFY(nothingLeft(socket));

    startServer();
    restarted = true;
    connectThrough(shell.db, shell.route.open(settings()));
    LoadTable(grid, shell, "SELECT item_id, weaponType, name, crystal_type, price, sellable FROM weapon", u"weapon"_s);
    QCOMPARE(grid.RowCount(), 1507);
}

// The operator's way: the page's SSH group on, "Подключиться" pressed. The
// connection and the one that cancels its load both go to the tunnel's end;
// the window then closes with the tunnel up: the exit files are written, and
// neither ssh nor its folder outlives the close.
void tst_SshRoute::pageConnectsThroughTheTunnel()
{
    TestWindow window;
    auto *group = find<SshGroup>(window.form.get(), u"SshGroup"_s);
    group->setSettings(settings());
    group->setFocus();
    QTest::keyClick(group, Qt::Key_Space); // ticks the group's check box, as the keyboard does
    QVERIFY(group->isOn());
    QVERIFY(!find(window.form.get(), u"Edit1"_s)->isEnabled()); // the address is the tunnel's
    click(find(window.form.get(), u"Button1"_s));
    DbConnection &db = window.form->connection();
    const QString socket = db.login().address.socket;
    QCOMPARE(socket, window.form->sshRoute().tunnel().socketPath());
    QVERIFY(window.form->Memo1()->lines().last().endsWith(u"  База vosteldb открыта"_s));
    const QString state = find<QLabel>(window.form.get(), u"connectionState"_s)->text();
    QVERIFY2(state.contains(u"через SSH root@127.0.0.1"_s), qPrintable(state));
    QVERIFY2(state.endsWith(u"; канал: SSH-туннель"_s), qPrintable(state));

    RecordGrid grid;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget *progress : QApplication::topLevelWidgets()) {
            if (progress->objectName() == u"WorkProgressDialog"_s && progress->isVisible())
                click(find(progress, u"cancelButton"_s));
        }
    });
    watcher.start(50);
    QElapsedTimer clock;
    clock.start();
    QVERIFY_THROWS_EXCEPTION(QmCancelled, LoadTable(grid, *window.form, "SELECT seq, SLEEP(0.01) FROM seq_1_to_100000",
                                                    u"weapon"_s));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    watcher.stop();
    LoadTable(grid, *window.form, "SELECT item_id, weaponType, name, crystal_type, price, sellable FROM weapon",
              u"weapon"_s);
    QCOMPARE(grid.RowCount(), 1507);

    // sshd dies: the page no longer says the connection is there.
    m_server.kill();
    const auto restart = qScopeGuard([this] { startServer(); });
    QTRY_VERIFY_WITH_TIMEOUT(find<QLabel>(window.form.get(), u"connectionState"_s)->text().startsWith(
                                 u"Соединение потеряно: SSH-туннель к root@127.0.0.1:%1 закрыт"_s.arg(m_server.port())),
                             10000);

    window.form->close();
    QVERIFY(nothingLeft(socket));
    QCOMPARE(window.exitFiles(u"logs"_s).size(), 1);
    QCOMPARE(window.exitFiles(u"sql"_s).size(), 1);
}

int main(int argc, char *argv[])
{
    // ssh runs this test as its askpass helper, as it runs the program.
    if (const std::optional<int> code = answerSshAskpass(argc, argv))
        return *code;
    QApplication app(argc, argv);
    tst_SshRoute test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sshroute.moc"
