#include "app/runend/ExitFiles.h"
#include "app/runend/ExitFolder.h"
#include "app/runend/QuitSignals.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QSet<int> openDescriptors()
{
    QSet<int> open;
    for (const QString &name : QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System))
        open.insert(name.toInt());
    return open;
}

} // namespace

class tst_ExitFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exitFilesCreateFoldersAndSurviveEachOther()
    {
        QTemporaryDir dir;
        const ExitFilesOutcome first = writeExitFiles(dir.path(), u"s"_s, {u"l1"_s, u"l2"_s}, {u"q"_s, QString()});
        QCOMPARE(first.problems(), QString());
        QCOMPARE(readAll(dir.filePath(u"logs/log_s.log"_s)), QByteArray("l1\r\nl2\r\n"));
        QCOMPARE(readAll(dir.filePath(u"sql/sql_s.sql"_s)), QByteArray("SET NAMES cp1251;\r\nq\r\n"));

        // A plain file where the log folder should be: the script is still written, the
        // log goes to the fallback folder, and both are named.
        QTemporaryDir other, fallback;
        writeFile(other.filePath(u"logs"_s), "not a folder");
        const ExitFilesOutcome second = writeExitFiles(other.path(), u"s"_s, {u"l"_s}, {u"Ж"_s}, {fallback.path()});
        QCOMPARE(second.problems(), u"Cannot create file \"%1\". Not a directory.\nIt was written to \"%2\" instead."_s
                                        .arg(other.filePath(u"logs/log_s.log"_s), fallback.filePath(u"logs/log_s.log"_s)));
        QCOMPARE(readAll(fallback.filePath(u"logs/log_s.log"_s)), QByteArray("l\r\n"));
        QCOMPARE(readAll(other.filePath(u"sql/sql_s.sql"_s)), QByteArray("SET NAMES cp1251;\r\n\xc6"));
        QVERIFY(!QFile::exists(fallback.filePath(u"sql"_s)));
    }

    // A log that its folder refuses goes to the first fallback folder that takes
    // it, the exit folder itself never tried twice (an installed program's is the
    // user's data folder); one that none takes is given whole for standard error.
    void refusedLogFallsBack_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QStringList>("refusing"); // of root, data, temporary
        QTest::addColumn<QString>("writtenIn");    // empty: nowhere
        QTest::newRow("root refuses") << false << QStringList{u"root"_s} << u"data"_s;
        QTest::newRow("root and data folder refuse") << false << QStringList{u"root"_s, u"data"_s} << u"temporary"_s;
        QTest::newRow("installed, its data folder refuses") << true << QStringList{u"data"_s} << u"temporary"_s;
        QTest::newRow("every folder refuses") << false << QStringList{u"root"_s, u"data"_s, u"temporary"_s} << QString();
    }
    void refusedLogFallsBack()
    {
        QFETCH(bool, installed);
        QFETCH(QStringList, refusing);
        QFETCH(QString, writtenIn);
        QTemporaryDir base;
        const QMap<QString, QString> folders{{u"root"_s, base.filePath(installed ? u"data"_s : u"root"_s)},
                                             {u"data"_s, base.filePath(u"data"_s)},
                                             {u"temporary"_s, base.filePath(u"temporary"_s)}};
        for (const QString &name : refusing) {
            QDir().mkpath(folders[name]);
            writeFile(folders[name] + u"/logs"_s, "not a folder");
        }
        const ExitFilesOutcome outcome =
            writeExitFiles(folders[u"root"_s], u"s"_s, {u"l"_s}, {u"q"_s}, {folders[u"data"_s], folders[u"temporary"_s]});
        for (const QString &name : folders.keys()) {
            if (!refusing.contains(name))
                QCOMPARE(readAll(folders[name] + u"/logs/log_s.log"_s), name == writtenIn ? QByteArray("l\r\n") : "<missing>");
        }
        QCOMPARE(unwrittenExitFiles(outcome, {u"l"_s}, {u"q"_s}),
                 writtenIn.isEmpty() ? QByteArray("Quenmark: no folder took log_s.log; its content follows whole.\nl\r\n\n")
                                     : QByteArray());
    }

    // A write that stops part of the way (a full disk, a size limit) names the
    // system's reason and leaves no part of the file behind.
    void aShortWriteNamesItsCause()
    {
        QTemporaryDir dir;
        const QStringList lines(400, u"0123456789"_s);
        rlimit old{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1000;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const ExitFilesOutcome outcome = writeExitFiles(dir.path(), u"s"_s, lines, lines);
        const QString replacing = TextFile::writeReplacing(dir.filePath(u"saved.sql"_s), QByteArray(5000, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(outcome.log.error, u"File too large"_s);
        QCOMPARE(outcome.script.error, u"File too large"_s);
        QCOMPARE(replacing, u"File too large"_s);
        QCOMPARE(QDir(dir.filePath(u"logs"_s)).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void exitFolderOfAnInstalledProgramIsTheUsersOwn_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("useDataFolder");
        QTest::newRow("build tree") << u"build/app"_s << u"bin"_s << false;
        QTest::newRow("installed bin through a link") << u"link-to-bin"_s << u"bin"_s << true;
        QTest::newRow("installed bin named untidily") << u"bin"_s << u"./bin/"_s << true;
    }
    void exitFolderOfAnInstalledProgramIsTheUsersOwn()
    {
        QFETCH(QString, program);
        QFETCH(QString, installed);
        QFETCH(bool, useDataFolder);
        QTemporaryDir prefix;
        QDir(prefix.path()).mkpath(u"bin"_s);
        QDir(prefix.path()).mkpath(u"build/app"_s);
        QFile::link(prefix.filePath(u"bin"_s), prefix.filePath(u"link-to-bin"_s));
        const QString programFolder = prefix.filePath(program);
        const QString data = prefix.filePath(u"home/.local/share/Quenmark"_s);
        const QString chosen = ExitFolder::choose(programFolder, prefix.filePath(installed), data);
        QCOMPARE(chosen, useDataFolder ? data : programFolder);
    }

    // A quit signal reaches the event loop with its number (the exit status
    // tells it), and nothing the quit signals open is handed on to a program
    // started from this one.
    void quitSignalsTellTheirNumber_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void quitSignalsTellTheirNumber()
    {
        QFETCH(int, signal);
        const QSet<int> before = openDescriptors();
        QuitSignals quit;
        for (const int fd : openDescriptors() - before)
            QVERIFY2(::fcntl(fd, F_GETFD) & FD_CLOEXEC, qPrintable(QString::number(fd)));
        QSignalSpy spy(&quit, &QuitSignals::quitRequested);
        std::raise(signal);
        QTRY_COMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toInt(), signal);
    }
};

QTEST_GUILESS_MAIN(tst_ExitFiles)
#include "tst_exitfiles.moc"
