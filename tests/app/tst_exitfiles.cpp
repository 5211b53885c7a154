#include "app/runend/ExitFiles.h"
#include "app/runend/ExitFolder.h"
#include "app/runend/QuitSignals.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
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
        QCOMPARE(readAll(dir.filePath(u"sql/sql_s.sql"_s)), QByteArray("q\r\n"));

        // A plain file where the log folder should be: the script is still written, the
        // log goes to the fallback folder, and both are named.
        QTemporaryDir other, fallback;
        writeFile(other.filePath(u"logs"_s), "not a folder");
        const ExitFilesOutcome second = writeExitFiles(other.path(), u"s"_s, {u"l"_s}, {u"Ж"_s}, fallback.path());
        QCOMPARE(second.problems(), u"Cannot create file \"%1\". Not a directory.\nIt was written to \"%2\" instead."_s
                                        .arg(other.filePath(u"logs/log_s.log"_s), fallback.filePath(u"logs/log_s.log"_s)));
        QCOMPARE(readAll(fallback.filePath(u"logs/log_s.log"_s)), QByteArray("l\r\n"));
        QCOMPARE(readAll(other.filePath(u"sql/sql_s.sql"_s)), QByteArray("\xc6"));
        QVERIFY(!QFile::exists(fallback.filePath(u"sql"_s)));
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
