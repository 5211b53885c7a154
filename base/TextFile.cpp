#include "base/TextFile.h"

#include "base/Codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

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

QString writeReplacing(const QString &path, const QByteArray &bytes)
{
    if (const QString reason = folderReason(path); !reason.isEmpty())
        return reason;
    if (QFileInfo(path).isDir())
        return systemReason(EISDIR);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
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
    if (temp.write(bytes) != bytes.size() || !temp.flush())
        return temp.errorString();
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

QString lineList(const QList<int> &lines)
{
    QStringList parts;
    for (int line : lines)
        parts.append(QString::number(line));
    return parts.join(u", "_s);
}

} // namespace TextFile
