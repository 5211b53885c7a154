#include "app/ExitFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

        // A plain file where the log folder should be: the script is still written, and the failure is named.
        QTemporaryDir other;
        writeFile(other.filePath(u"logs"_s), "not a folder");
        const ExitFilesOutcome second = writeExitFiles(other.path(), u"s"_s, {u"l"_s}, {u"Ж"_s});
        QVERIFY(!second.log.error.isEmpty());
        QVERIFY(second.problems().contains(other.filePath(u"logs/log_s.log"_s)));
        QCOMPARE(readAll(other.filePath(u"sql/sql_s.sql"_s)), QByteArray("\xc6"));
    }
};

QTEST_GUILESS_MAIN(tst_ExitFiles)
#include "tst_exitfiles.moc"
