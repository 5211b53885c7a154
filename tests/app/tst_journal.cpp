// The journal of a run: read up to its last whole record however it was cut;
// turned into the exit files of a run that has ended (and only of one that has),
// an unreadable one kept aside; and kept by the window as the work goes.

#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/TextPane.h"
#include "app/runend/ExitFiles.h"
#include "app/runend/Journal.h"
#include "app/runend/JournalFile.h"
#include "app/runend/JournalRecovery.h"
#include "app/runend/JournalWiring.h"
#include "editor/SqlEditor.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

const QStringList logBefore{u"[Лог открыт - 09.12.2026 3:00:00]"_s, u"3:00:00  Приложение запущено"_s};
const QByteArray scriptBefore = "INSERT INTO merchant_shopids VALUES(5,'7001');\n-- правка";

// A journal whose last record (replacing the script from byte 21 on, adding a log line) is given apart.
QByteArray journalBeforeLast(const QString &root = u"/tmp/q"_s)
{
    return Journal::signature() + Journal::headerRecord({4242, u"09_12_2026_03_00_00"_s, root})
        + Journal::logRecord(0, logBefore) + Journal::scriptRecord(0, scriptBefore) + Journal::logRecord(2, {u"x"_s});
}
const QByteArray lastRecord = Journal::scriptRecord(21, "VALUES(6,'7002');");

QStringList journalFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

Journal::Contents readJournal(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? Journal::read(file.readAll()) : Journal::Contents();
}

} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutJournalReadsToTheLastWholeRecord_data();
    void cutJournalReadsToTheLastWholeRecord();
    void endedRunsBecomeExitFiles_data();
    void endedRunsBecomeExitFiles();
    void windowJournalsAsTheWorkGoes();
    void recoveredScriptIsTakenBack();
};

void tst_Journal::cutJournalReadsToTheLastWholeRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lastIsWhole");
    const QByteArray before = journalBeforeLast();
    for (qsizetype kept = 0; kept <= lastRecord.size(); ++kept)
        QTest::addRow("%lld of %lld bytes of the last record", qint64(kept), qint64(lastRecord.size()))
            << before + lastRecord.left(kept) << (kept == lastRecord.size());
    for (qsizetype at : {qsizetype(0), qsizetype(3), qsizetype(9), lastRecord.size() - 1}) {
        QByteArray damaged = lastRecord;
        damaged[at] = char(damaged.at(at) ^ 0x20);
        QTest::addRow("byte %lld of the last record damaged", qint64(at)) << before + damaged << false;
    }
}

void tst_Journal::cutJournalReadsToTheLastWholeRecord()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lastIsWhole);
    const Journal::Contents contents = Journal::read(bytes);
    QVERIFY(contents.readable);
    QCOMPARE(contents.header.pid, qint64(4242));
    QCOMPARE(contents.logLines, logBefore + QStringList{u"x"_s});
    QCOMPARE(contents.script, lastIsWhole ? QByteArray("INSERT INTO merchant_VALUES(6,'7002');") : scriptBefore);
    QCOMPARE(contents.wholeRecords, lastIsWhole ? 5 : 4);
    QCOMPARE(contents.cut, bytes.size() != journalBeforeLast().size() && !lastIsWhole);
}

void tst_Journal::endedRunsBecomeExitFiles_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("recovered");
    QTest::newRow("ended run") << u"ended"_s << true;
    QTest::newRow("ended during a write") << u"cut"_s << true;
    QTest::newRow("running program") << u"running"_s << false;
    QTest::newRow("unreadable") << u"unreadable"_s << false;
    QTest::newRow("no folder takes the files") << u"refused"_s << false;
}

void tst_Journal::endedRunsBecomeExitFiles()
{
    QFETCH(QString, state);
    QFETCH(bool, recovered);
    QTemporaryDir folder, root;
    const QString exitRoot = state == u"refused"_s ? root.filePath(u"plain file"_s) : root.path();
    if (state == u"refused"_s)
        QFile(exitRoot).open(QIODevice::WriteOnly);
    const QString path = folder.filePath(u"4242-09_12_2026_03_00_00.journal"_s);
    QByteArray bytes = journalBeforeLast(exitRoot) + (state == u"cut"_s ? lastRecord.chopped(1) : lastRecord);
    if (state == u"unreadable"_s)
        bytes = "QMJOURN\n\x01garbage";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // A program that is running holds its journal's lock.
    const int running = state == u"running"_s ? ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC) : -1;
    QVERIFY(state != u"running"_s || ::flock(running, LOCK_EX | LOCK_NB) == 0);
    const auto unlock = qScopeGuard([running] {
        if (running >= 0)
            ::close(running);
    });
    const QStringList before = journalFiles(folder.path());

    const QList<RecoveredRun> runs = JournalRecovery::recoverEndedRuns(folder.path(), {});

    QCOMPARE(runs.size(), state == u"running"_s ? 0 : 1);
    const QString logPath = exitFilePath(root.path(), ExitFile::Log, u"09_12_2026_03_00_00"_s);
    const QString scriptPath = exitFilePath(root.path(), ExitFile::Script, u"09_12_2026_03_00_00"_s);
    QCOMPARE(QFile::exists(logPath), recovered);
    if (recovered) {
        QVERIFY(runs.first().filesWritten());
        QCOMPARE(journalFiles(folder.path()), QStringList());
        QCOMPARE(readFile(logPath), exitFileBytes(ExitFile::Log, logBefore + QStringList{u"x"_s}));
        const QByteArray script = state == u"cut"_s ? scriptBefore : QByteArray("INSERT INTO merchant_VALUES(6,'7002');");
        QCOMPARE(readFile(scriptPath), exitFileBytes(ExitFile::Script, QString::fromUtf8(script).split(u'\n')));
        QCOMPARE(runs.first().cut, state == u"cut"_s);
    } else if (state == u"unreadable"_s) {
        // Kept, bytes and all, under a name the next start does not take up again.
        QCOMPARE(journalFiles(folder.path()), QStringList{QFileInfo(path).fileName() + u".unreadable"_s});
        QCOMPARE(readFile(runs.first().keptAsidePath), bytes);
    } else {
        QCOMPARE(journalFiles(folder.path()), before);
        QCOMPARE(readFile(path), bytes);
    }
}

void tst_Journal::windowJournalsAsTheWorkGoes()
{
    TestWindow window;
    QTemporaryDir folder;
    RunJournal journal(*window.form, folder.path());
    const auto held = [&] { return readJournal(journal.path()); };
    QCOMPARE(held().logLines, window.form->Memo1()->lines());

    // A buylist entry by its keys: in the journal once the key is handled, before any typing delay.
    bringToFront(find(window.form.get(), u"itemidEdit"_s));
    typeInto(find(window.form.get(), u"shopEdit"_s), u"5"_s);
    typeInto(find(window.form.get(), u"priceEdit"_s), u"100"_s);
    typeInto(find(window.form.get(), u"itemidEdit"_s), u"7001"_s);
    const auto addEntry = [&] {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(find(window.form.get(), u"itemidEdit"_s), Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::processEvents();
        return timer.nsecsElapsed() / 1000;
    };
    const qint64 firstEntryUs = addEntry();
    QVERIFY(window.form->Memo2()->lines().size() == 3);
    QCOMPARE(held().scriptLines(), window.form->SynMemo1()->lines());
    QCOMPARE(held().logLines, window.form->Memo1()->lines());

    // Typing: written about a second later, not at once.
    SqlEditor *editor = window.form->SynMemo1();
    bringToFront(editor);
    // The operator types into the editor: it has the focus (the page's Tab order starts at its buttons).
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    // A log line still to be written as the typing begins does not keep the typing from its turn.
    window.form->LogEvent(u"3:00:01  Соединение установлено"_s);
    QTest::keyClicks(editor, u"-- typed"_s);
    QTRY_COMPARE_WITH_TIMEOUT(held().scriptLines(), editor->lines(), RunJournal::typingDelayMs + 500);
    // Leaving the editor writes the typing at once.
    QTest::keyClicks(editor, u" more"_s);
    QTest::mouseClick(window.form->Memo1()->viewport(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), window.form->Memo1());
    QCOMPARE(held().scriptLines(), editor->lines());

    // The cost at a long script: 10,000 entries before it.
    for (int i = 0; i < 10000; ++i)
        window.form->AppendScriptBlock(u"-- weapon"_s, u"INSERT INTO merchant_buylists VALUES (7001,100,5,%1,-1,-1,0,0);"_s.arg(i));
    QCoreApplication::processEvents();
    bringToFront(find(window.form.get(), u"itemidEdit"_s));
    const qint64 longEntryUs = addEntry();
    qInfo("one buylist entry, journal synced: %lld us at the start, %lld us after %lld lines", firstEntryUs, longEntryUs,
          qint64(editor->lines().size()));
    QCOMPARE(held().scriptLines(), editor->lines());

    // A clean end: the journal goes once the exit files are written.
    window.form->FormClose(false);
    QCOMPARE(window.exitFiles(u"sql"_s).size(), 1);
    QVERIFY(!QFile::exists(journal.path()));
}

void tst_Journal::recoveredScriptIsTakenBack()
{
    TestWindow window;
    QTemporaryDir folder;
    {
        JournalFile ended(folder.path(), {4242, u"09_12_2026_03_00_00"_s, window.root.path()});
        QVERIFY(ended.append(Journal::logRecord(0, logBefore)) && ended.append(Journal::scriptRecord(0, scriptBefore)));
    }
    RunJournal journal(*window.form, folder.path());
    const QString scriptPath = exitFilePath(window.root.path(), ExitFile::Script, u"09_12_2026_03_00_00"_s);
    QCOMPARE(window.form->Memo1()->lines().filter(scriptPath).size(), 1);

    // Told in a box that leaves the window to the operator.
    QMessageBox *notice = nullptr;
    QTRY_VERIFY((notice = window.form->findChild<QMessageBox *>(u"RecoveryNotice"_s)) && notice->isVisible());
    QVERIFY(!notice->isModal() && QApplication::activeModalWidget() == nullptr);
    QVERIFY2(notice->text().contains(scriptPath), qPrintable(notice->text()));
    QTest::mouseClick(find<QPushButton>(notice, u"TakeScriptBack"_s), Qt::LeftButton);
    const QStringList taken = QString::fromUtf8(scriptBefore).split(u'\n');
    QCOMPARE(window.form->SynMemo1()->lines(), taken);
    // The operator's own text from then on: an entry goes after it.
    window.form->AppendScriptBlock(u"-- weapon"_s, u"INSERT INTO merchant_buylists VALUES (1,1,1,1,-1,-1,0,0);"_s);
    QCOMPARE(window.form->SynMemo1()->lines().mid(0, taken.size()), taken);
    QCOMPARE(window.form->SynMemo1()->lines().size(), taken.size() + 3);
}

QTEST_MAIN(tst_Journal)
#include "tst_journal.moc"
