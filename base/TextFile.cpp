#include "base/TextFile.h"

#include "base/Codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The reason a file at path cannot be created, judged from its folder.
QString folderReason(const QString &path)
{
    const QFileInfo dir(QFileInfo(path).absolutePath());
    if (!dir.exists())
        return systemReason(ENOENT);
    if (!dir.isDir())
        return systemReason(ENOTDIR);
    return QString();
}

// Writes all bytes to fd and forces them to the disk. A partial write is
// carried on until the system names its reason (a full disk says so instead
// of the "Unknown error" a short write leaves in QFile), and a disk that
// fills only when the data is flushed is caught here too, not after a rename.
QString writeAllAndSync(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return systemReason(n < 0 ? errno : EIO);
        done += n;
    }
    if (::fdatasync(fd) != 0 && errno != EINVAL)
        return systemReason(errno);
    return QString();
}

} // namespace

namespace TextFile {

Encoded encodeLines(const QStringList &lines, FinalBreak finalBreak)
{
    Encoded result;
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    result.bytes.reserve(total);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!Cp1251::encodeInto(lines[i], result.bytes))
            result.lossyLines.append(int(i + 1));
        if (finalBreak == FinalBreak::After || i + 1 < lines.size())
            result.bytes.append("\r\n", 2);
    }
    return result;
}

Encoded encodeScript(const QStringList &lines)
{
    Encoded result = encodeLines(lines, FinalBreak::None);
    result.bytes.prepend(QByteArray(scriptCodePageLine) + "\r\n");
    return result;
}

QString writeReplacing(const QString &path, const QByteArray &bytes)
{
    if (const QString reason = folderReason(path); !reason.isEmpty())
        return reason;
    if (QFileInfo(path).isDir())
        return systemReason(EISDIR);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (const QString reason = writeAllAndSync(file.handle(), bytes); !reason.isEmpty()) {
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

QString writeNew(const QString &path, const QByteArray &bytes, QString *writtenPath)
{
    if (const QString reason = folderReason(path); !reason.isEmpty())
        return reason;
    const QFileInfo info(path);
    QTemporaryFile temp(info.absolutePath() + u"/.quenmark-XXXXXX"_s);
    if (!temp.open())
        return temp.errorString();
    if (const QString reason = writeAllAndSync(temp.handle(), bytes); !reason.isEmpty())
        return reason;
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temp.close();

    const QString stem = info.absolutePath() + u'/' + info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = n == 1 ? path : stem + u'_' + QString::number(n) + suffix;
        if (QFileInfo::exists(candidate))
            continue;
        // rename never replaces an existing file, so a name taken meanwhile is skipped too.
        if (temp.rename(candidate)) {
            temp.setAutoRemove(false);
            if (writtenPath)
                *writtenPath = candidate;
            return QString();
        }
        if (!QFileInfo::exists(candidate))
            return temp.errorString();
    }
    return systemReason(EEXIST);
}

QString makeFolders(const QString &dir)
{
    const QString path = QDir::cleanPath(QDir(dir).absolutePath());
    const QFileInfo info(path);
    if (info.isDir())
        return QString();
    if (info.exists() || info.isSymLink())
        return systemReason(ENOTDIR);
    const QString parent = info.absolutePath();
    if (parent != path) {
        if (const QString reason = makeFolders(parent); !reason.isEmpty())
            return reason;
    }
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST)
        return systemReason(errno);
    return QString();
}

QString lineList(const QList<int> &lines)
{
    QStringList parts;
    for (int line : lines)
        parts.append(QString::number(line));
    return parts.join(u", "_s);
}

} // namespace TextFile
