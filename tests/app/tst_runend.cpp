// The end of a run, on the real program and a display of the test's own: every
// way a run ends (a quit signal, the display going away, the window manager's
// close), idle and in the middle of a connect to a server that never answers,
// a long load or a script check against a throttled or frozen server, writes
// both exit files whole and ends the process with its status, without a
// sanitizer report.

#include "DbTestSupport.h"
#include "SshTestServer.h"
#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/BaseFont.h"
#include "app/runend/ExitFiles.h"
#include "editor/SqlEditor.h"
#include "base/Codepage.h"
#include "connect/ConnectionSettings.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

enum class Busy { Idle, Connect, SshConnect, SshHostKey, Load, Check, Generate, Type };
// How the run is ended: one of these, or the number of the signal sent.
enum End { WindowClose = -1, DisplayLost = 0, SigtermAtCloseBox = -2 };

// The statement typed into the editor before a check.
const QByteArray checkedStatement = "INSERT INTO merchant_shopids VALUES(7,1);";

// The boxes of the buylist entries made by Ctrl+A.
const std::pair<QString, QString> entryBoxes[] = {{u"shopEdit"_s, u"5"_s}, {u"priceEdit"_s, u"100"_s}, {u"itemidEdit"_s, u"7001"_s}};
constexpr int maxEntries = 8;
// Typed into the editor, where nothing indents it.
const QString typedScript = u"INSERT INTO merchant_shopids VALUES(7,1);\nSELECT 'typed last';"_s;

// Where the operator clicks, found in a window built here with the program's font.
struct Clicks
{
    QPoint host, connect, buylistPage, load, editorPage, editor, check, connectionPage, shop, price, item;
};

Clicks clicksOf(TForm1 &form)
{
    const auto centre = [&form](const QString &name) {
        QWidget *control = find(&form, name);
        return control->mapTo(&form, control->rect().center());
    };
    QTabBar *tabs = find<QTabWidget>(&form, u"PageControl1"_s)->tabBar();
    const auto tab = [&](int index) { return tabs->mapTo(&form, tabs->tabRect(index).center()); };
    return {centre(u"Edit1"_s), centre(u"Button1"_s), tab(3), centre(u"Button5"_s), tab(4), centre(u"SynMemo1"_s),
            centre(u"Button9"_s), tab(0), centre(u"shopEdit"_s), centre(u"priceEdit"_s), centre(u"itemidEdit"_s)};
}

QByteArray xdotool(const QString &display, const QStringList &args)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, display);
    tool.setProcessEnvironment(env);
    tool.start(u"xdotool"_s, args);
    tool.waitForFinished(30000);
    return tool.readAllStandardOutput();
}

// Sends WM_DELETE_WINDOW to the top-level window with this title (alone, or
// after the server it is connected to), as a window manager does when its
// close box is pressed.
bool askToClose(const QString &display, const QByteArray &title)
{
    xcb_connection_t *c = xcb_connect(display.toLatin1().constData(), nullptr);
    const auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    };
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), close = atom("WM_DELETE_WINDOW"), name = atom("_NET_WM_NAME");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    bool sent = false;
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t window = xcb_query_tree_children(tree)[i];
        xcb_get_property_reply_t *p = xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        const QByteArray shown = p ? QByteArray(static_cast<const char *>(xcb_get_property_value(p)), xcb_get_property_value_length(p)) : QByteArray();
        if (p && (shown == title || shown.endsWith(" \xe2\x80\x94 " + title))) {
            xcb_client_message_event_t event{XCB_CLIENT_MESSAGE, 32, 0, window, protocols, {}};
            event.data.data32[0] = close;
            xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
            sent = true;
        }
        std::free(p);
    }
    std::free(tree);
    xcb_flush(c);
    xcb_disconnect(c);
    return sent;
}

// A display server of the test's own (on the number in QM_XVFB_DISPLAY, else
// the first free one); returns its name once it is ready.
QString startXvfb(QProcess &server)
{
    const QByteArray fixed = qgetenv("QM_XVFB_DISPLAY").replace(':', "");
    QStringList args{u"-nolisten"_s, u"tcp"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s, u"-displayfd"_s, u"1"_s};
    if (!fixed.isEmpty())
        args.prepend(u':' + QString::fromLatin1(fixed));
    server.start(u"Xvfb"_s, args);
    if (!server.waitForStarted() || !server.waitForReadyRead(10000))
        return QString();
    return u':' + QString::fromLatin1(server.readAllStandardOutput().trimmed());
}

// The program on a display of the test's own, its window found. The program
// ends before the display (the members end in reverse order).
struct ProgramRun
{
    QProcess xvfb;
    QProcess program;
    QString display;
    QPoint origin;

    ~ProgramRun()
    {
        program.kill();
        program.waitForFinished();
        xvfb.terminate();
        xvfb.waitForFinished();
    }
    bool startDisplay()
    {
        display = startXvfb(xvfb);
        return !display.isEmpty();
    }
    // Once the main window is shown (its origin found) when findWindow, else once started.
    bool start(const QString &binary, QProcessEnvironment env, bool findWindow = true)
    {
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"DISPLAY"_s, display);
        program.setProcessEnvironment(env);
        program.start(binary, {});
        if (!program.waitForStarted())
            return false;
        if (!findWindow)
            return true;
        const QList<QByteArray> geometry =
            xdotool(display, {u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--name"_s, u"^Quenmark$"_s,
                              u"getwindowgeometry"_s, u"--shell"_s}).split('\n');
        for (const QByteArray &line : geometry) {
            if (line.startsWith("X="))
                origin.setX(line.mid(2).toInt());
            if (line.startsWith("Y="))
                origin.setY(line.mid(2).toInt());
        }
        return true;
    }
    void click(QPoint at)
    {
        at += origin;
        xdotool(display, {u"mousemove"_s, u"--sync"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s, u"1"_s});
        QTest::qWait(300);
    }
    void clickAndType(QPoint at, const QString &text)
    {
        click(at);
        xdotool(display, {u"type"_s, text});
    }
    bool windowShown(const QString &title)
    {
        return !xdotool(display, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, title}).trimmed().isEmpty();
    }
};

void blockFolder(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile blocker(path);
    if (!blocker.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class tst_RunEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyEndWritesTheExitFiles_data();
    void everyEndWritesTheExitFiles();
    void aKilledRunLosesNothing_data();
    void aKilledRunLosesNothing();

private:
    bool saveSilentSshConnection(const QString &configHome) const;

    ThrowawayServer m_server;
    SshTestServer m_sshd;
    Clicks m_clicks;
    // The editor's lines after each of the first buylist entries typed into the boxes below.
    QList<QStringList> m_scriptAfterEntries;
    // A server that takes a connection and never answers.
    int m_silent = -1;
    QString m_silentAddress;
};

void tst_RunEnd::initTestCase()
{
    QString output;
    QVERIFY2(m_server.start(&output), qPrintable(output));
    QVERIFY2(m_sshd.start(&output), qPrintable(output));
    // A catalogue of a million rows that the server sends slowly: a pause every 20,000 rows.
    QVERIFY(runAsRoot("DROP TABLE vosteldb.weapon", m_server.socket()));
    QVERIFY(runAsRoot("CREATE VIEW vosteldb.weapon AS SELECT seq AS item_id, 'sword' AS weaponType, "
                      "CONCAT('Blade ', seq) AS name, 'none' AS crystal_type, seq * 10 AS price, 'true' AS sellable "
                      "FROM vosteldb.seq_1_to_1000000 WHERE seq % 20000 <> 0 OR SLEEP(0.1) = 0",
                      m_server.socket()));
    m_silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(::bind(m_silent, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(m_silent, 16) == 0
            && ::getsockname(m_silent, reinterpret_cast<sockaddr *>(&address), &length) == 0);
    m_silentAddress = u"127.0.0.1:"_s + QString::number(ntohs(address.sin_port));
    QCOMPARE(useBaseFont(), QString());
    TestWindow window;
    m_clicks = clicksOf(*window.form);
    bringToFront(find(window.form.get(), u"shopEdit"_s));
    for (const auto &[box, text] : entryBoxes)
        typeInto(find(window.form.get(), box), text);
    m_scriptAfterEntries.append(window.form->SynMemo1()->lines());
    for (int i = 0; i < maxEntries; ++i) {
        QTest::keyClick(find(window.form.get(), u"itemidEdit"_s), Qt::Key_A, Qt::ControlModifier);
        m_scriptAfterEntries.append(window.form->SynMemo1()->lines());
    }
}

bool tst_RunEnd::saveSilentSshConnection(const QString &configHome) const
{
    ConnectionSettings ssh;
    ssh.ssh = true;
    ssh.sshTunnel.host = m_silentAddress.section(u':', 0, 0);
    ssh.sshTunnel.port = m_silentAddress.section(u':', 1).toInt();
    return ConnectionSettingsStore(configHome + u"/Quenmark/connections.ini"_s).saveLast(ssh).isEmpty();
}

void tst_RunEnd::everyEndWritesTheExitFiles_data()
{
    QTest::addColumn<Busy>("busy");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("frozen");
    QTest::addColumn<int>("refused"); // 0: nothing, 1: the logs folder, 2: every folder a log may go to
    QTest::newRow("idle, SIGTERM") << Busy::Idle << int(SIGTERM) << false << 0;
    QTest::newRow("idle, SIGHUP") << Busy::Idle << int(SIGHUP) << false << 0;
    QTest::newRow("idle, SIGINT") << Busy::Idle << int(SIGINT) << false << 0;
    QTest::newRow("idle, SIGTERM, logs refused") << Busy::Idle << int(SIGTERM) << false << 1;
    QTest::newRow("idle, SIGTERM, logs refused everywhere") << Busy::Idle << int(SIGTERM) << false << 2;
    // The close's box about the log that no folder took, then SIGTERM: the box may not hold the end.
    QTest::newRow("window closed, logs refused everywhere, SIGTERM at the box") << Busy::Idle << int(SigtermAtCloseBox) << false << 2;
    QTest::newRow("idle, display lost") << Busy::Idle << int(DisplayLost) << false << 0;
    QTest::newRow("idle, display lost, logs refused") << Busy::Idle << int(DisplayLost) << false << 1;
    QTest::newRow("connect to a silent server, SIGTERM") << Busy::Connect << int(SIGTERM) << false << 0;
    QTest::newRow("connect to a silent server, display lost") << Busy::Connect << int(DisplayLost) << false << 0;
    QTest::newRow("connect to a silent server, window closed") << Busy::Connect << int(WindowClose) << false << 0;
    QTest::newRow("SSH handshake with a silent server, SIGTERM") << Busy::SshConnect << int(SIGTERM) << false << 0;
    QTest::newRow("SSH handshake with a silent server, display lost") << Busy::SshConnect << int(DisplayLost) << false << 0;
    QTest::newRow("SSH handshake with a silent server, window closed") << Busy::SshConnect << int(WindowClose) << false << 0;
    // The question is not modal: the window's close still reaches the program.
    QTest::newRow("unknown SSH host key asked, window closed") << Busy::SshHostKey << int(WindowClose) << false << 0;
    QTest::newRow("unknown SSH host key asked, display lost") << Busy::SshHostKey << int(DisplayLost) << false << 0;
    QTest::newRow("load, SIGTERM") << Busy::Load << int(SIGTERM) << false << 0;
    QTest::newRow("load, SIGHUP") << Busy::Load << int(SIGHUP) << false << 0;
    QTest::newRow("load, SIGINT") << Busy::Load << int(SIGINT) << false << 0;
    QTest::newRow("load, display lost") << Busy::Load << int(DisplayLost) << false << 0;
    QTest::newRow("load, window closed") << Busy::Load << int(WindowClose) << false << 0;
    QTest::newRow("load from a frozen server, SIGTERM") << Busy::Load << int(SIGTERM) << true << 0;
    QTest::newRow("check on a frozen server, SIGTERM") << Busy::Check << int(SIGTERM) << true << 0;
    QTest::newRow("check on a frozen server, SIGHUP") << Busy::Check << int(SIGHUP) << true << 0;
    QTest::newRow("check on a frozen server, SIGINT") << Busy::Check << int(SIGINT) << true << 0;
    QTest::newRow("check on a frozen server, display lost") << Busy::Check << int(DisplayLost) << true << 0;
    QTest::newRow("check on a frozen server, window closed") << Busy::Check << int(WindowClose) << true << 0;
}

void tst_RunEnd::everyEndWritesTheExitFiles()
{
    QFETCH(Busy, busy);
    QFETCH(int, end);
    QFETCH(bool, frozen);
    QFETCH(int, refused);
    const QString binary = QString::fromLocal8Bit(qgetenv("QM_EXECUTABLE"));
    QVERIFY2(QFile::exists(binary), qPrintable(binary));
    QTemporaryDir dir, dataHome, temp, config, runtime;
    const QString copy = dir.filePath(u"quenmark"_s);
    QVERIFY(QFile::copy(binary, copy));
    if (refused > 0)
        blockFolder(dir.filePath(u"logs"_s));
    if (refused > 1)
        blockFolder(dataHome.filePath(u"Quenmark/logs"_s));

    ProgramRun run;
    QVERIFY(run.startDisplay());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_DATA_HOME"_s, dataHome.path());
    // A first run: no settings of the user's or of an earlier row.
    env.insert(u"XDG_CONFIG_HOME"_s, config.path());
    // A temporary folder under a plain file refuses everything too.
    env.insert(u"TMPDIR"_s, refused > 1 ? dir.filePath(u"quenmark/tmp"_s) : temp.path());
    env.insert(u"MYSQL_UNIX_PORT"_s, QString::fromLocal8Bit(m_server.socket()));
    // The tunnel's private folder goes here (a folder of the user's alone).
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    // The last connection went through an SSH tunnel, to a server that never says a word.
    if (busy == Busy::SshConnect) {
        QVERIFY(saveSilentSshConnection(config.path()));
    } else if (busy == Busy::SshHostKey) {
        // To an SSH server whose key the user's known hosts do not hold (its keys are made anew for the test).
        ConnectionSettings ssh;
        ssh.ssh = true;
        ssh.sshTunnel = {u"127.0.0.1"_s, m_sshd.port(), u"root"_s, SshLogin::KeyFile, m_sshd.file(u"user_key"_s),
                         QString::fromLocal8Bit(m_server.socket()), 3306, {}, {}};
        QCOMPARE(ConnectionSettingsStore(config.filePath(u"Quenmark/connections.ini"_s)).saveLast(ssh), QString());
    }
    QVERIFY(run.start(copy, env));
    // The tunnel's ssh names the program's private folder (its sockets).
    const QString sshFolder = u"quenmark-ssh-"_s + QString::number(run.program.processId()) + u'-';
    const QString display = run.display;
    QProcess &program = run.program;
    const auto click = [&run](QPoint at) { run.click(at); };
    // A server stopped for the row runs again when the row ends, however it ends.
    const qint64 serverPid = m_server.pid();
    QVERIFY(serverPid > 0);
    const auto resume = qScopeGuard([&] {
        if (frozen)
            ::kill(pid_t(serverPid), SIGCONT);
    });
    if (busy == Busy::Connect) {
        click(m_clicks.host);
        xdotool(display, {u"key"_s, u"ctrl+a"_s});
        xdotool(display, {u"type"_s, m_silentAddress});
        click(m_clicks.connect);
        QTRY_VERIFY_WITH_TIMEOUT(
            !xdotool(display, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Соединение"_s}).trimmed().isEmpty(), 20000);
    } else if (busy == Busy::SshHostKey) {
        click(m_clicks.connect);
        QTRY_VERIFY_WITH_TIMEOUT(!xdotool(display, {u"search"_s, u"--onlyvisible"_s, u"--name"_s,
                                                    u"^Неизвестный ключ SSH-сервера$"_s})
                                      .trimmed().isEmpty(),
                                 20000);
        QVERIFY(!SshTestServer::processesNaming(sshFolder).isEmpty());
    } else if (busy == Busy::SshConnect) {
        click(m_clicks.connect);
        QTRY_VERIFY_WITH_TIMEOUT(
            !xdotool(display, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^SSH-туннель"_s}).trimmed().isEmpty(), 20000);
        QVERIFY(!SshTestServer::processesNaming(sshFolder).isEmpty());
    } else if (busy != Busy::Idle) {
        click(m_clicks.connect);
        if (busy == Busy::Load) {
            click(m_clicks.buylistPage);
            click(m_clicks.load);
        } else {
            click(m_clicks.editorPage);
            click(m_clicks.editor);
            xdotool(display, {u"type"_s, QString::fromLatin1(checkedStatement)});
        }
        if (frozen) {
            if (busy == Busy::Load)
                QTest::qWait(1000); // the load is under way
            ::kill(pid_t(serverPid), SIGSTOP);
        }
        if (busy == Busy::Check)
            click(m_clicks.check);
        // The progress window is up: the work runs on.
        QTRY_VERIFY_WITH_TIMEOUT(!xdotool(display, {u"search"_s, u"--onlyvisible"_s, u"--name"_s,
                                                    busy == Busy::Load ? u"Загрузка таблицы"_s : u"Проверка скрипта"_s})
                                      .trimmed().isEmpty(),
                                 20000);
    }

    if (end == DisplayLost)
        run.xvfb.terminate();
    else if (end == WindowClose)
        QVERIFY(askToClose(display, "Quenmark"));
    else if (end == SigtermAtCloseBox) {
        QVERIFY(askToClose(display, "Quenmark"));
        // Without the box the close would have ended the run by now.
        QTest::qWait(2000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), SIGTERM);
    } else
        ::kill(pid_t(program.processId()), end);
    const bool ended = program.waitForFinished(20000);
    if (!ended)
        program.kill();
    QVERIFY2(ended, "the program did not end");
    QTRY_VERIFY(SshTestServer::processesNaming(sshFolder).isEmpty());
    // The program closed the tunnel itself: ssh's end with the program leaves the folder.
    QCOMPARE(QDir(runtime.path()).entryList({u"quenmark-ssh-*"_s}, QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    const QByteArray errors = program.readAllStandardError();
    QVERIFY2(!errors.contains("Sanitizer") && !errors.contains("runtime error"), errors.constData());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    // The journal goes with the exit files, and stays when one of them went nowhere.
    QCOMPARE(QDir(dataHome.filePath(u"Quenmark/journal"_s)).entryList({u"*.journal"_s}, QDir::Files).size(), refused == 2 ? 1 : 0);
    QCOMPARE(program.exitCode(), end == DisplayLost ? 1 : end == WindowClose ? 0 : 128 + (end == SigtermAtCloseBox ? SIGTERM : end));

    // Both files whole: the log from its opening to its closing line, the script as typed.
    // A log that no folder takes is given whole on standard error.
    const QString wholeLog = u"\\[Лог открыт - [^\\r\\n]*\\]\\r\\n[^\\r\\n]+  Приложение запущено\\r\\n"
                             "(?:[^\\r\\n]+  Соединение установлено\\r\\n[^\\r\\n]+  База vosteldb открыта\\r\\n)?"
                             "[^\\r\\n]+  Приложение закрыто\\r\\n\\[Лог закрыт - [^\\r\\n]*\\]\\r\\n"_s;
    const QString logFolder = refused == 1 ? dataHome.filePath(u"Quenmark/logs"_s) : dir.filePath(u"logs"_s);
    const QStringList logs = QDir(logFolder).entryList(QDir::Files);
    QString log, pattern = u'^' + wholeLog + u'$';
    if (refused == 2) {
        QCOMPARE(logs, QStringList());
        log = Cp1251::decode(errors.constData(), errors.size());
        pattern = wholeLog;
    } else {
        QCOMPARE(logs.size(), 1);
        log = fileLines(logFolder + u'/' + logs.first()).join(u"\r\n"_s);
    }
    QVERIFY2(QRegularExpression(pattern).match(log).hasMatch(), qPrintable(log));
    QCOMPARE(log.contains(u"  Соединение установлено"_s), busy == Busy::Load || busy == Busy::Check);
    const QStringList scripts = QDir(dir.filePath(u"sql"_s)).entryList(QDir::Files);
    QCOMPARE(scripts.size(), 1);
    QCOMPARE(readFile(dir.filePath(u"sql/"_s + scripts.first())), "SET NAMES cp1251;\r\n" + (busy == Busy::Check ? checkedStatement : QByteArray()));
}

void tst_RunEnd::aKilledRunLosesNothing_data()
{
    QTest::addColumn<Busy>("busy");
    QTest::newRow("buylist entries") << Busy::Generate;
    QTest::newRow("typing") << Busy::Type;
    QTest::newRow("load, after two entries") << Busy::Load;
    QTest::newRow("check on a frozen server") << Busy::Check;
    QTest::newRow("SSH handshake with a silent server, after two entries") << Busy::SshConnect;
}

// SIGKILL at a moment drawn at random: the next start makes the killed run's
// exit files from its journal, with every entry made and all the typing but
// the last second's.
void tst_RunEnd::aKilledRunLosesNothing()
{
    QFETCH(Busy, busy);
    const QString binary = QString::fromLocal8Bit(qgetenv("QM_EXECUTABLE"));
    QVERIFY2(QFile::exists(binary), qPrintable(binary));
    // A failure is rerun with QM_KILL_SEED set to the seed printed.
    const quint32 seed = qEnvironmentVariableIsSet("QM_KILL_SEED") ? qgetenv("QM_KILL_SEED").toUInt()
                                                                   : QRandomGenerator::system()->generate();
    constexpr int rounds = 2;
    qInfo("QM_KILL_SEED=%u, %d rounds", seed, rounds);
    QRandomGenerator random(seed);
    const QPoint boxClicks[] = {m_clicks.shop, m_clicks.price, m_clicks.item};
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir dir, dataHome, temp, config;
        const QString copy = dir.filePath(u"quenmark"_s);
        QVERIFY(QFile::copy(binary, copy));
        ProgramRun run;
        QVERIFY(run.startDisplay());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, dataHome.path());
        env.insert(u"XDG_CONFIG_HOME"_s, config.path());
        env.insert(u"TMPDIR"_s, temp.path());
        env.insert(u"MYSQL_UNIX_PORT"_s, QString::fromLocal8Bit(m_server.socket()));
        if (busy == Busy::SshConnect)
            QVERIFY(saveSilentSshConnection(config.path()));
        QVERIFY(run.start(copy, env));
        // The tunnel's ssh names the program's private folder (its sockets).
        const QString sshFolder = u"quenmark-ssh-"_s + QString::number(run.program.processId()) + u'-';
        const qint64 serverPid = m_server.pid();
        bool frozen = false;
        const auto resume = qScopeGuard([&] {
            if (frozen)
                ::kill(pid_t(serverPid), SIGCONT);
        });

        QElapsedTimer clock;
        clock.start();
        QList<qint64> entriesSentAt;
        if (busy != Busy::Type && busy != Busy::Check) {
            run.click(m_clicks.buylistPage);
            for (int i = 0; i < 3; ++i)
                run.clickAndType(boxClicks[i], entryBoxes[i].second);
            const int entries = busy == Busy::Generate ? 1 + int(random.bounded(maxEntries)) : 2;
            for (int i = 0; i < entries; ++i) {
                xdotool(run.display, {u"key"_s, u"ctrl+a"_s});
                entriesSentAt.append(clock.elapsed());
                QTest::qWait(busy == Busy::Generate ? int(random.bounded(200)) : 200);
            }
        }
        qint64 typedAt = -1;
        if (busy == Busy::Type || busy == Busy::Check) {
            if (busy == Busy::Check)
                run.click(m_clicks.connect);
            run.click(m_clicks.editorPage);
            run.click(m_clicks.editor);
            // Line by line: a line break in the typed text is no Return key.
            const QStringList lines = typedScript.split(u'\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    xdotool(run.display, {u"key"_s, u"Return"_s});
                xdotool(run.display, {u"type"_s, u"--delay"_s, u"20"_s, lines.at(i)});
            }
            typedAt = clock.elapsed();
        }
        if (busy == Busy::Check) {
            // No wait: the typing is written as the editor gives the focus to the button.
            ::kill(pid_t(serverPid), SIGSTOP);
            frozen = true;
            run.click(m_clicks.check);
            QTRY_VERIFY_WITH_TIMEOUT(run.windowShown(u"Проверка скрипта"_s), 20000);
        } else if (busy == Busy::Load) {
            run.click(m_clicks.connectionPage);
            run.click(m_clicks.connect);
            run.click(m_clicks.buylistPage);
            run.click(m_clicks.load);
            QTRY_VERIFY_WITH_TIMEOUT(run.windowShown(u"Загрузка таблицы"_s), 20000);
        } else if (busy == Busy::SshConnect) {
            run.click(m_clicks.connectionPage);
            run.click(m_clicks.connect);
            QTRY_VERIFY_WITH_TIMEOUT(run.windowShown(u"SSH-туннель"_s), 20000);
        }
        const int wait = int(random.bounded(busy == Busy::Type ? 2500 : 1500));
        qInfo("round %d: killed %d ms in", round, wait);
        QTest::qWait(wait);
        const qint64 killedAt = clock.elapsed();
        ::kill(pid_t(run.program.processId()), SIGKILL);
        QVERIFY(run.program.waitForFinished(20000));
        QCOMPARE(run.program.exitStatus(), QProcess::CrashExit);
        QTRY_VERIFY(SshTestServer::processesNaming(sshFolder).isEmpty());
        if (frozen) {
            ::kill(pid_t(serverPid), SIGCONT);
            frozen = false;
        }

        // The next start: the killed run's files under its stamp, beside the program.
        const QDir journals(dataHome.filePath(u"Quenmark/journal"_s));
        const QStringList left = journals.entryList({u"*.journal"_s}, QDir::Files);
        QCOMPARE(left.size(), 1);
        const QString stamp = QFileInfo(left.first()).completeBaseName().section(u'-', 1);
        const QString logPath = exitFilePath(dir.path(), ExitFile::Log, stamp);
        const QString scriptPath = exitFilePath(dir.path(), ExitFile::Script, stamp);
        QVERIFY(run.start(copy, env, false));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(logPath) && QFile::exists(scriptPath) && !journals.exists(left.first()), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(journals.entryList({u"*.journal"_s}, QDir::Files).size(), 1, 20000);
        ::kill(pid_t(run.program.processId()), SIGTERM);
        QVERIFY(run.program.waitForFinished(20000));
        const QByteArray errors = run.program.readAllStandardError();
        QVERIFY2(!errors.contains("Sanitizer") && !errors.contains("runtime error"), errors.constData());
        // Its own journal went with its clean end.
        QCOMPARE(journals.entryList({u"*.journal"_s}, QDir::Files), QStringList());

        const QByteArray script = readFile(scriptPath);
        const QStringList log = fileLines(logPath);
        QVERIFY(log.size() >= 2);
        QVERIFY2(log.at(0).startsWith(u"[Лог открыт - "_s) && log.at(1).endsWith(u"  Приложение запущено"_s), qPrintable(log.join(u'\n')));
        QVERIFY(!log.join(u'\n').contains(u"Приложение закрыто"_s));
        if (busy == Busy::Type || busy == Busy::Check) {
            // What was typed, cut at most where the last second began.
            qsizetype kept = -1;
            for (qsizetype n = 0; n <= typedScript.size() && kept < 0; ++n)
                if (script == exitFileBytes(ExitFile::Script, typedScript.left(n).split(u'\n')))
                    kept = n;
            QVERIFY2(kept >= 0, script.constData());
            if (busy == Busy::Check || killedAt - typedAt >= 1500)
                QCOMPARE(typedScript.left(kept), typedScript);
        } else {
            // Every entry made, the last perhaps not yet when it was sent just before the kill.
            const auto sure = qsizetype(std::count_if(entriesSentAt.begin(), entriesSentAt.end(),
                                                      [&](qint64 at) { return at < killedAt - 500; }));
            qsizetype made = -1;
            for (qsizetype n = sure; n <= entriesSentAt.size() && made < 0; ++n)
                if (script == exitFileBytes(ExitFile::Script, m_scriptAfterEntries.at(n)))
                    made = n;
            QVERIFY2(made >= 0, script.constData());
            QCOMPARE(log.filter(u"  добавлен"_s).size(), made);
        }
        QCOMPARE(log.filter(u"  Соединение установлено"_s).size(), busy == Busy::Load || busy == Busy::Check ? 1 : 0);
        // The next run's log says where they are.
        const QStringList logs = QDir(dir.filePath(u"logs"_s)).entryList(QDir::Files);
        QCOMPARE(logs.size(), 2);
        const QString nextLog = dir.filePath(u"logs/"_s + (logs.at(0) == QFileInfo(logPath).fileName() ? logs.at(1) : logs.at(0)));
        QCOMPARE(fileLines(nextLog).filter(scriptPath).size(), 1);
    }
}

QTEST_MAIN(tst_RunEnd)
#include "tst_runend.moc"
