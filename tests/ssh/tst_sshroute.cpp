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
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTcpServer>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

using Action = std::function<void(QWidget *)>;

// Answers the modal dialogs that open, one after another, each with the next
// action; keeps each one's name, texts and number of buttons.
class Modals : public QObject
{
public:
    explicit Modals(QList<Action> actions) : m_actions(std::move(actions))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
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
    const QString agent = u"sshAgentButton"_s, key = u"sshKeyButton"_s;
    QTest::newRow("config alias, defaults") << QStringList{u"tunnel"_s, {}, agent, {}, {}, {}} << QString() << 0 << 3306;
    QTest::newRow("key file, ports typed") << QStringList{u"db.example.org"_s, u"2222"_s, key,
                                                          m_server.file(u"user_key"_s), u"10.0.0.5"_s, u"3307"_s}
                                           << QString() << 2222 << 3307;
    QTest::newRow("socket on the SSH server") << QStringList{u"h"_s, {}, u"sshPasswordButton"_s, {},
                                                             u"/run/mysqld/mysqld.sock"_s, u"x"_s}
                                              << QString() << 0 << 3306;
    QTest::newRow("SSH port not a number") << QStringList{u"h"_s, u"22a"_s, agent, {}, {}, {}}
                                           << u"Порт SSH «22a»"_s << -1 << 3306;
    QTest::newRow("database port too big") << QStringList{u"h"_s, {}, agent, {}, {}, u"70000"_s}
                                           << u"Порт БД на SSH-сервере «70000»"_s << 0 << -1;
    QTest::newRow("host read as an option") << QStringList{u"-oProxyCommand=x"_s, {}, agent, {}, {}, {}}
                                            << u"недопустим"_s << 0 << 3306;
    QTest::newRow("key file missing") << QStringList{u"h"_s, {}, key, u"/nonexistent/key"_s, {}, {}}
                                      << u"не найден"_s << 0 << 3306;
}

void tst_SshRoute::groupGivesAndTakesSettings()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, problem);
    QFETCH(int, port);
    QFETCH(int, databasePort);
    SshGroup group;
    SshTunnelSettings kept;
    kept.configFile = m_server.file(u"config"_s);
    group.setSettings(kept);
    group.setOn(true);
    group.show();
    click(find(&group, typed[2]));
    const QStringList boxes{u"sshHostEdit"_s, u"sshPortEdit"_s, {}, u"sshKeyFileEdit"_s, u"sshDatabaseHostEdit"_s,
                            u"sshDatabasePortEdit"_s};
    for (int i : {0, 1, 3, 4, 5})
        typeInto(find(&group, boxes[i]), typed[i]);
    const QString said = group.problem();
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
    const SshTunnelSettings given = group.settings();
    QCOMPARE(given.host, typed[0]);
    QCOMPARE(given.port, port);
    QCOMPARE(given.databaseHost, typed[4].isEmpty() ? u"127.0.0.1"_s : typed[4]);
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
    QCOMPARE(store.last(), live);
    // What no tunnel can take falls back to the defaults.
    QSettings file(path, QSettings::IniFormat);
    file.setValue(u"last/sshLogin"_s, u"bogus"_s);
    file.setValue(u"last/sshPort"_s, 70000);
    file.setValue(u"last/sshDatabasePort"_s, 0);
    file.sync();
    const SshTunnelSettings read = store.last()->sshTunnel;
    QCOMPARE(read.login, SshLogin::Agent);
    QCOMPARE(read.port, 0);
    QCOMPARE(read.databasePort, 3306);

    // The database password of a tunnelled connection is kept apart from a
    // direct one's and from another SSH server's, though all say 127.0.0.1.
    ConnectionSettings direct = live, otherServer = live;
    direct.ssh = false;
    otherServer.sshTunnel.host = u"10.0.0.9"_s;
    QCOMPARE(QSet<QString>({passwordAccountOf(live), passwordAccountOf(direct), passwordAccountOf(otherServer)}).size(), 3);
}

void tst_SshRoute::unknownHostKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("connect once") << u"connectOnceButton"_s;
    QTest::newRow("trust and remember") << u"trustButton"_s;
    QTest::newRow("cancel") << u"cancelButton"_s;
}

void tst_SshRoute::unknownHostKey()
{
    QFETCH(QString, button);
    knowHostKey({});
    TestShell shell;
    Modals asked({press(button)});
    QString socket;
    try {
        socket = shell.route.open(settings());
    } catch (const QmCancelled &) {
    }
    QCOMPARE(asked.shown, QStringList{u"SshUnknownHostKeyDialog"_s});
    const QString fingerprint = SshTestServer::fingerprint(m_server.file(u"host_key.pub"_s));
    for (const QString &part : {u"[127.0.0.1]:%1"_s.arg(m_server.port()), fingerprint})
        QVERIFY2(asked.texts[0].contains(part), qPrintable(asked.texts[0]));
    QCOMPARE(socket.isEmpty(), button == u"cancelButton"_s);
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
