#include "app/runend/JournalFile.h"

#include "app/runend/ExitFolder.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

JournalFile::JournalFile(const QString &folder, const Journal::Header &header)
{
    if (const QString reason = TextFile::makeFolders(folder); !reason.isEmpty()) {
        m_path = folder;
        m_error = reason;
        return;
    }
    const QString name = QString::number(header.pid) + u'-' + header.stamp;
    m_path = QDir(folder).filePath(name + u".journal"_s);
    const QByteArray making = QFile::encodeName(QDir(folder).filePath(u'.' + name + u".making"_s));
    // Close-on-exec: a program started from here (ssh) must not hold the lock after this run ends.
    m_fd = ::open(making.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = systemReason();
        return;
    }
    const QByteArray start = Journal::signature() + Journal::headerRecord(header);
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || !writeAll(m_fd, start.constData(), start.size()) || ::fdatasync(m_fd) != 0
        || ::rename(making.constData(), QFile::encodeName(m_path).constData()) != 0) {
        m_error = systemReason();
        ::unlink(making.constData());
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_size = start.size();
}

JournalFile::~JournalFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool JournalFile::append(const QByteArray &record)
{
    if (m_fd < 0)
        return false;
    if (writeAll(m_fd, record.constData(), record.size())) {
        m_size += record.size();
        return true;
    }
    const QString reason = systemReason();
    // Back to the last whole record, wherever the failed write left the file's end.
    if (::ftruncate(m_fd, m_size) != 0 || ::lseek(m_fd, m_size, SEEK_SET) != m_size) {
        fail(reason);
        return false;
    }
    m_error = reason;
    return false;
}

bool JournalFile::sync()
{
    if (m_fd < 0)
        return false;
    if (::fdatasync(m_fd) == 0)
        return true;
    m_error = systemReason();
    return false;
}

void JournalFile::remove()
{
    if (m_fd < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

void JournalFile::fail(const QString &what)
{
    m_error = what;
    ::close(m_fd);
    m_fd = -1;
}

QString JournalFile::defaultFolder()
{
    return ExitFolder::userDataFolder() + u"/journal"_s;
}
