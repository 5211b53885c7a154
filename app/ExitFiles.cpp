#include "app/ExitFiles.h"

#include "base/TextFile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

ExitFileOutcome writeOne(const QString &root, const QString &folder, const QString &name,
                         const QStringList &lines, TextFile::FinalBreak finalBreak)
{
    ExitFileOutcome outcome;
    const QString dir = root + u'/' + folder;
    outcome.path = dir + u'/' + name;
    if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) {
        outcome.error = u"The folder could not be created"_s;
        if (QFileInfo::exists(dir))
            outcome.error = u"A file stands where the folder should be"_s;
        return outcome;
    }
    const TextFile::Encoded encoded = TextFile::encodeLines(lines, finalBreak);
    outcome.lossyLines = encoded.lossyLines;
    QString written;
    outcome.error = TextFile::writeNew(outcome.path, encoded.bytes, &written);
    if (outcome.error.isEmpty())
        outcome.path = written;
    return outcome;
}

QString describe(const ExitFileOutcome &file)
{
    QString text;
    if (!file.error.isEmpty())
        text += u"Cannot create file \""_s + file.path + u"\". "_s + file.error + u".\n"_s;
    else if (!file.lossyLines.isEmpty())
        text += u"File \""_s + file.path
                + u"\": characters that the Windows-1251 code page cannot hold were written as \"?\" in line(s) "_s
                + TextFile::lineList(file.lossyLines) + u".\n"_s;
    return text;
}

} // namespace

QString ExitFilesOutcome::problems() const
{
    return (describe(log) + describe(script)).trimmed();
}

ExitFilesOutcome writeExitFiles(const QString &root, const QString &stamp,
                                const QStringList &logLines, const QStringList &scriptLines)
{
    ExitFilesOutcome outcome;
    outcome.log = writeOne(root, u"logs"_s, u"log_"_s + stamp + u".log"_s, logLines,
                           TextFile::FinalBreak::After);
    outcome.script = writeOne(root, u"sql"_s, u"sql_"_s + stamp + u".sql"_s, scriptLines,
                              TextFile::FinalBreak::None);
    return outcome;
}
