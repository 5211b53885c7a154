#include "DbTestSupport.h"
#include "TestShell.h"

#include "app/EditorPage.h"
#include "base/Error.h"
#include "base/LogTexts.h"
#include "db/Connection.h"
#include "db/GridLoad.h"
#include "db/DbWork.h"
#include "db/TableLoader.h"
#include "editor/SqlEditor.h"
#include "grid/RecordGrid.h"
#include "grid/RowStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <mysql.h>

#include <csignal>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray weaponQuery = "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon";

// A catalogue-shaped result of any length, made by the server as it is sent.
QByteArray rowsQuery(int rows, const QByteArray &where = {})
{
    return "SELECT seq, 'sword', CONCAT('Blade ', seq), NULL, seq * 10, 'true', 'extra' FROM seq_1_to_"
        + QByteArray::number(rows) + where;
}

void catalogueColumns(RecordGrid &grid)
{
    grid.setColumns({{u"item id"_s, 50, SortKind::Numeric}, {u"Type"_s, 50}, {u"Name"_s, 160},
                     {u"Grade"_s, 40}, {u"Price"_s, 60, SortKind::Numeric}, {u"Sellable"_s, 40}});
}

void connectRoot(DbConnection &db, const QByteArray &socket = {}, const QString &user = u"root"_s,
                 const QString &password = u"kelp"_s)
{
    db.connect(u"localhost"_s, user, password, DbEndpoint{0, socket});
    QVERIFY2(db.errorNumber() == 0, qPrintable(db.errorText()));
    QCOMPARE(db.selectDatabase(u"vosteldb"_s), 0);
}

// Counts how often the progress window was shown.
class DialogCounter : public QObject
{
public:
    int shown = 0;
    bool waitCursorWhileShown = true;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show && object->objectName() == u"WorkProgressDialog"_s) {
            ++shown;
            const QCursor *cursor = QApplication::overrideCursor();
            waitCursorWhileShown = waitCursorWhileShown && cursor && cursor->shape() == Qt::WaitCursor;
        }
        return false;
    }
};

// Clicks "Отмена" once the progress window is up and shows at least
// afterProgress; sinceClick starts with the click.
void cancelOnceShown(QTimer &watcher, QElapsedTimer &sinceClick, int afterProgress = 0)
{
    QObject::connect(&watcher, &QTimer::timeout, [&sinceClick, afterProgress] {
        for (QWidget *dialog : QApplication::topLevelWidgets()) {
            auto *shown = dialog->findChild<QLabel *>(u"progressLabel"_s);
            if (dialog->objectName() != u"WorkProgressDialog"_s || !dialog->isVisible() || sinceClick.isValid()
                || shown->text().section(u' ', -1).toInt() < afterProgress)
                continue;
            sinceClick.start();
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"cancelButton"_s), Qt::LeftButton);
        }
    });
    watcher.start(20);
}

} // namespace

class tst_LoadFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void faultsEndWithAnEmptyStore_data();
    void faultsEndWithAnEmptyStore();
    void cancelEndsTheLoad_data();
    void cancelEndsTheLoad();
    void lostConnectionIsSaid_data();
    void lostConnectionIsSaid();
    void lateCancelOrCutSparesTheNextQuery();

private:
    DialogCounter m_dialogs;
    ThrowawayServer m_lossServer;
};

void tst_LoadFaults::initTestCase()
{
    QVERIFY2(!sharedSocket().isEmpty(), "MYSQL_UNIX_PORT is not set; start the server with scripts/db");
    qApp->installEventFilter(&m_dialogs);
    // An account whose name the connection sends in cp1251.
    QVERIFY(runAsRoot("CREATE USER IF NOT EXISTS '\xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0\xd1\x82\xd0\xbe\xd1\x80'@'localhost' "
                      "IDENTIFIED BY 'operator1'"));
    QVERIFY(runAsRoot("GRANT SELECT ON vosteldb.* TO '\xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0\xd1\x82\xd0\xbe\xd1\x80'@'localhost'"));
}

// A fault in the middle of a streamed result: nothing of it stays, and the
// connection says what happened to the next load instead of hanging.
void tst_LoadFaults::faultsEndWithAnEmptyStore_data()
{
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("usableAfter");
    QTest::newRow("query killed from outside") << QByteArray("KILL QUERY") << u"Query execution was interrupted"_s << true;
    QTest::newRow("connection killed from outside") << QByteArray("KILL") << u"Lost connection"_s << false;
    QTest::newRow("server stopped half-way") << QByteArray("stop") << u"Lost connection"_s << false;
    QTest::newRow("parse error in the last row") << QByteArray() << u"'x' is not a valid floating point value"_s << true;
}

void tst_LoadFaults::faultsEndWithAnEmptyStore()
{
    QFETCH(QByteArray, fault);
    QFETCH(QString, error);
    QFETCH(bool, usableAfter);

    std::optional<ThrowawayServer> server;
    QByteArray socket = sharedSocket();
    if (fault == "stop") {
        server.emplace();
        QString output;
        QVERIFY2(server->start(&output), qPrintable(output));
        socket = server->socket();
    }
    DbConnection db;
    connectRoot(db, socket);
    RowStore store;
    store.setColumnKinds({CellKind::Number, CellKind::Text, CellKind::Text, CellKind::Text, CellKind::Number,
                          CellKind::Text});
    const QByteArray query = fault.isEmpty() ? "SELECT IF(seq = 300000, 'x', seq) FROM seq_1_to_300000"
                                             : rowsQuery(20000000);
    std::optional<LoadOutcome> outcome;
    QString thrown;
    {
        DbWork load(db, [&](WorkControl &control) { outcome = LoadTable(store, db, query, &control); });
        if (!fault.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(load.progress() > 50000, 20000);
            const QByteArray id = QByteArray::number(qulonglong(mysql_thread_id(db.handle())));
            QString output;
            if (fault == "stop")
                QVERIFY2(server->stop(&output), qPrintable(output));
            else
                QVERIFY(runAsRoot(fault + ' ' + id));
        }
        QVERIFY(load.waitFinished(std::chrono::seconds(30)));
        try {
            load.rethrowError();
        } catch (const QmError &e) {
            thrown = e.text();
        }
    }
    const QString text = outcome ? outcome->errorText : thrown;
    QVERIFY(!outcome || !outcome->loaded);
    QVERIFY2(text.contains(error), qPrintable(text));
    QCOMPARE(store.rowCount(), 0);

    // A session gone with the fault leaves the connection lost, and the next load says so.
    QCOMPARE(db.lost(), !usableAfter);
    // Past the row count at which the load makes room for a large table.
    const LoadOutcome next = LoadTable(store, db, rowsQuery(5000));
    QCOMPARE(next.loaded, usableAfter);
    QCOMPARE(store.rowCount(), usableAfter ? 5000 : 0);
    QCOMPARE(next.errorText.isEmpty(), usableAfter);
    if (usableAfter) {
        QCOMPARE(store.text(2, 4999), u"Blade 5000"_s);
        QCOMPARE(store.text(3, 4999), QString());
        QCOMPARE(store.text(4, 4999), u"50000"_s);
    }
}

// Cancel through the progress window, wherever the load stands: the load
// ends within a second, the grid stays empty, nothing but the cancel is
// raised, and the same connection loads the next table at once (the server
// ended the query: the connection was not cut).
void tst_LoadFaults::cancelEndsTheLoad_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("clickAfterRows");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("at the start") << rowsQuery(20000000) << 0 << u"root"_s << u"kelp"_s;
    QTest::newRow("in the middle") << rowsQuery(20000000) << 100000 << u"root"_s << u"kelp"_s;
    QTest::newRow("server busy before the first row") << rowsQuery(20, " WHERE SLEEP(1) = 0") << 0 << u"root"_s << u"kelp"_s;
    QTest::newRow("at the very end") << rowsQuery(100000, " WHERE IF(seq = 100000, SLEEP(10), 0) = 0") << 98304
                                     << u"root"_s << u"kelp"_s;
    QTest::newRow("account named in Cyrillic") << rowsQuery(20, " WHERE SLEEP(1) = 0") << 0 << u"оператор"_s
                                               << u"operator1"_s;
}

void tst_LoadFaults::cancelEndsTheLoad()
{
    QFETCH(QByteArray, query);
    QFETCH(int, clickAfterRows);
    QFETCH(QString, user);
    QFETCH(QString, password);

    DbConnection db;
    connectRoot(db, {}, user, password);
    RecordGrid grid;
    catalogueColumns(grid);
    grid.show();
    LoadTable(grid, db, weaponQuery);
    const int shownBefore = m_dialogs.shown;

    QElapsedTimer sinceClick;
    QTimer watcher;
    cancelOnceShown(watcher, sinceClick, clickAfterRows);
    bool cancelled = false;
    try {
        LoadTable(grid, db, query);
    } catch (const QmCancelled &) {
        cancelled = true;
    }
    watcher.stop();
    QVERIFY(cancelled);
    QVERIFY(sinceClick.isValid());
    QVERIFY2(sinceClick.elapsed() < 1000, qPrintable(QString::number(sinceClick.elapsed())));
    QCOMPARE(grid.RowCount(), 0);
    QCOMPARE(m_dialogs.shown, shownBefore + 1);
    QVERIFY(m_dialogs.waitCursorWhileShown);
    QVERIFY(!QApplication::overrideCursor());

    // A short load right after: no progress window, the whole table.
    LoadTable(grid, db, weaponQuery);
    QCOMPARE(grid.RowCount(), 1507);
    QCOMPARE(grid.Cells(2, 1), u"Меч 'Рассвет'"_s);
    QCOMPARE(m_dialogs.shown, shownBefore + 1);
}

// A connection lost on the way (cut by a cancel that a frozen server did not
// answer, the server restarted, the session killed) is said to be lost, with
// the way back, by the next load or check and its one log line; a new connect
// works. The check runs like a load: progress and "Отмена" after half a
// second while the window goes on, a log line for its cancel.
void tst_LoadFaults::lostConnectionIsSaid_data()
{
    QTest::addColumn<bool>("check");
    QTest::addColumn<QString>("loss");
    for (const bool check : {false, true}) {
        const char *what = check ? "check" : "load";
        QTest::addRow("%s, cut by a cancel on a frozen server", what) << check << u"frozen"_s;
        QTest::addRow("%s, server restarted", what) << check << u"restarted"_s;
        QTest::addRow("%s, session killed", what) << check << u"killed"_s;
    }
}

void tst_LoadFaults::lostConnectionIsSaid()
{
    QFETCH(bool, check);
    QFETCH(QString, loss);
    // One server for all rows: each leaves it running.
    ThrowawayServer &server = m_lossServer;
    QString output;
    QVERIFY2(server.start(&output), qPrintable(output));
    TestShell shell;
    connectRoot(shell.db, server.socket());
    RecordGrid grid;
    catalogueColumns(grid);
    EditorPage page(shell);
    page.SynMemo1()->mirrorPane({u"INSERT INTO `merchant_buylists` VALUES (1,100,9,1,-1,-1,0,0);"_s});
    // A load or a check, and the log line it ends with when the connection is lost.
    const auto run = [&] {
        if (check)
            page.Button9Click();
        else
            LoadTable(grid, shell, weaponQuery, u"weapon"_s);
    };
    const auto failedLine = [&](const QString &text) {
        return check ? LogTexts::checkFailed(shell.TimeStr(), text) : LogTexts::loadFailed(shell.TimeStr(), u"weapon"_s, text);
    };

    if (loss == u"frozen"_s) {
        // Cancel still ends the work within a second, by cutting the connection.
        const qint64 pid = server.pid();
        QVERIFY(pid > 0);
        ::kill(pid_t(pid), SIGSTOP);
        QElapsedTimer sinceClick;
        QTimer watcher;
        cancelOnceShown(watcher, sinceClick);
        QVERIFY_THROWS_EXCEPTION(QmCancelled, run());
        ::kill(pid_t(pid), SIGCONT);
        QVERIFY2(sinceClick.elapsed() < 1000, qPrintable(QString::number(sinceClick.elapsed())));
        QCOMPARE(shell.log, QStringList{check ? LogTexts::checkCancelled(shell.TimeStr())
                                              : LogTexts::loadCancelled(shell.TimeStr(), u"weapon"_s)});
    } else if (loss == u"restarted"_s) {
        QVERIFY2(server.stop(&output) && server.start(&output), qPrintable(output));
    } else {
        QVERIFY(runAsRoot("KILL " + QByteArray::number(qulonglong(mysql_thread_id(shell.db.handle()))), server.socket()));
    }

    shell.log.clear();
    QString shown;
    try {
        run();
    } catch (const QmError &error) {
        shown = error.text();
    }
    QVERIFY2(shown.startsWith(u"Соединение с сервером потеряно"_s)
                 && shown.endsWith(u"Соединитесь заново на странице \"Соединение\""_s),
             qPrintable(shown));
    QCOMPARE(shell.log, QStringList{failedLine(shown)});
    QCOMPARE(grid.RowCount(), 0);
    QVERIFY(!page.SynMemo1()->hasLineMarks());
    connectRoot(shell.db, server.socket());
    LoadTable(grid, shell, weaponQuery, u"weapon"_s);
    QCOMPARE(grid.RowCount(), 1507);
}

// A cancel whose KILL QUERY is still on its way when the load ends by itself,
// and a cut asked for after the end, must not reach the next query.
void tst_LoadFaults::lateCancelOrCutSparesTheNextQuery()
{
    ThrowawayServer server;
    QString output;
    QVERIFY2(server.start(&output), qPrintable(output));
    // The first command of every new session (but root's) waits half a second: the KILL arrives late.
    QVERIFY(runAsRoot("SET GLOBAL init_connect = 'DO SLEEP(0.5)'", server.socket()));
    DbConnection db;
    connectRoot(db, server.socket(), u"reader"_s, u"reader"_s);
    RowStore store;
    store.setColumnKinds({CellKind::Number});
    const auto load = [&](const QByteArray &query, LoadOutcome &outcome) {
        return [&, query](WorkControl &control) { outcome = LoadTable(store, db, query, &control); };
    };
    LoadOutcome first, next;
    {
        DbWork work(db, load("SELECT seq FROM seq_1_to_3 WHERE SLEEP(0.1) = 0", first));
        QTest::qWait(100); // the query is on the server
        work.cancel();
        QVERIFY(work.waitFinished(std::chrono::seconds(5)));
        work.cut();
    }
    QVERIFY(DbWork(db, load("SELECT seq FROM seq_1_to_10 WHERE SLEEP(0.1) = 0", next)).waitFinished(std::chrono::seconds(5)));
    QVERIFY2(next.loaded, qPrintable(next.errorText));
    QVERIFY(!db.lost());
}

QTEST_MAIN(tst_LoadFaults)
#include "tst_loadfaults.moc"
