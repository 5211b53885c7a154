#include "app/runend/JournalRecovery.h"

#include "app/runend/Journal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Holds the journal's lock while its run is recovered, so that two programs
// starting at once never both recover it.
class LockedJournal
{
public:
    explicit LockedJournal(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        m_fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return;
        struct stat opened{}, named{};
        // Another program may have recovered and removed it between the listing and the lock.
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(m_fd, &opened) != 0 || ::stat(name.constData(), &named) != 0
            || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~LockedJournal()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LockedJournal(const LockedJournal &) = delete;
    LockedJournal &operator=(const LockedJournal &) = delete;

    bool ended() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

QString asideName(const QString &path)
{
    QString aside = path + u".unreadable"_s;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + u".unreadable_"_s + QString::number(n);
    return aside;
}

} // namespace

namespace JournalRecovery {

QList<RecoveredRun> recoverEndedRuns(const QString &folder, const QStringList &fallbackRoots)
{
    QList<RecoveredRun> runs;
    const QDir dir(folder);
    // A journal still being made when its run ended holds no more than its header; one
    // made this minute may be another program's, between its making and its lock.
    const QDateTime minuteAgo = QDateTime::currentDateTime().addSecs(-60);
    for (const QFileInfo &making : dir.entryInfoList({u".*.making"_s}, QDir::Files | QDir::Hidden)) {
        const LockedJournal lock(making.filePath());
        if (lock.ended() && making.lastModified() < minuteAgo)
            QFile::remove(making.filePath());
    }
    for (const QString &name : dir.entryList({u"*.journal"_s}, QDir::Files, QDir::Name)) {
        RecoveredRun run;
        run.journalPath = dir.filePath(name);
        const LockedJournal lock(run.journalPath);
        if (!lock.ended())
            continue;
        QFile file(run.journalPath);
        const Journal::Contents contents =
            file.open(QIODevice::ReadOnly) ? Journal::read(file.readAll()) : Journal::Contents();
        file.close();
        if (!contents.readable) {
            run.unreadable = true;
            run.keptAsidePath = asideName(run.journalPath);
            if (!QFile::rename(run.journalPath, run.keptAsidePath)) {
                run.keepAsideError = QString::fromLocal8Bit(std::strerror(errno));
                run.keptAsidePath.clear();
            }
            runs.append(run);
            continue;
        }
        run.stamp = contents.header.stamp;
        run.cut = contents.cut;
        run.scriptLines = contents.scriptLines();
        // Only the name's own characters: a stamp from the file cannot lead the files elsewhere.
        const bool plainStamp = !run.stamp.isEmpty() && !run.stamp.contains(u'/') && !run.stamp.contains(u'\0');
        if (!plainStamp)
            run.stamp = QFileInfo(name).completeBaseName().section(u'-', 1);
        // A root that is not a whole path would put the files anywhere: the fallback folders take them.
        const QString root = QDir::isAbsolutePath(contents.header.exitRoot) ? contents.header.exitRoot : fallbackRoots.value(0);
        run.files = writeExitFiles(root, run.stamp, contents.logLines, run.scriptLines, fallbackRoots);
        if (run.filesWritten())
            QFile::remove(run.journalPath);
        runs.append(run);
    }
    return runs;
}

} // namespace JournalRecovery
