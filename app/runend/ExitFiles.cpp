#include "app/runend/ExitFiles.h"
#include "app/runend/ExitFolder.h"

#include "base/TextFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The log ends every line; the script is written as a saved one is.
TextFile::Encoded encoded(ExitFile kind, const QStringList &lines)
{
    return kind == ExitFile::Log ? TextFile::encodeLines(lines, TextFile::FinalBreak::After) : TextFile::encodeScript(lines);
}

} // namespace

QString exitFilePath(const QString &root, ExitFile kind, const QString &stamp)
{
    return kind == ExitFile::Log ? root + u"/logs/log_"_s + stamp + u".log"_s : root + u"/sql/sql_"_s + stamp + u".sql"_s;
}

QByteArray exitFileBytes(ExitFile kind, const QStringList &lines)
{
    return encoded(kind, lines).bytes;
}

ExitFileOutcome writeExitFile(const QString &root, ExitFile kind, const QString &stamp, const QStringList &lines)
{
    ExitFileOutcome outcome;
    outcome.kind = kind;
    outcome.path = exitFilePath(root, kind, stamp);
    outcome.error = TextFile::makeFolders(QFileInfo(outcome.path).path());
    if (!outcome.error.isEmpty())
        return outcome;
    const TextFile::Encoded bytes = encoded(kind, lines);
    outcome.lossyLines = bytes.lossyLines;
    QString written;
    outcome.error = TextFile::writeNew(outcome.path, bytes.bytes, &written);
    if (outcome.error.isEmpty())
        outcome.path = written;
    return outcome;
}

QString ExitFileOutcome::problem() const
{
    QString text;
    if (!error.isEmpty()) {
        text += u"Cannot create file \"%1\". %2."_s.arg(path, error);
        if (!fallbackPath.isEmpty() && fallbackError.isEmpty())
            text += u"\nIt was written to \"%1\" instead."_s.arg(fallbackPath);
        else if (!fallbackPath.isEmpty())
            text += u"\nNor could it be written to \"%1\". %2."_s.arg(fallbackPath, fallbackError);
    }
    if (writtenSomewhere() && !lossyLines.isEmpty()) {
        if (!text.isEmpty())
            text += u'\n';
        text += u"Файл «%1»: знаки, которых нет в кодировке Windows-1251, записаны как «?» в строках %2."_s
                    .arg(error.isEmpty() ? path : fallbackPath, TextFile::lineList(lossyLines));
    }
    return text;
}

QString ExitFilesOutcome::problems() const
{
    return (log.problem() + u'\n' + script.problem()).trimmed();
}

ExitFilesOutcome writeExitFiles(const QString &root, const QString &stamp, const QStringList &logLines,
                                const QStringList &scriptLines, const QStringList &fallbackRoots)
{
    ExitFilesOutcome outcome;
    auto write = [&](ExitFile kind, const QStringList &lines) {
        ExitFileOutcome file = writeExitFile(root, kind, stamp, lines);
        for (const QString &fallbackRoot : fallbackRoots) {
            if (file.writtenSomewhere())
                break;
            if (fallbackRoot.isEmpty() || ExitFolder::sameFolder(root, fallbackRoot))
                continue;
            const ExitFileOutcome other = writeExitFile(fallbackRoot, kind, stamp, lines);
            file.fallbackPath = other.path;
            file.fallbackError = other.error;
            file.lossyLines = other.lossyLines;
        }
        return file;
    };
    outcome.log = write(ExitFile::Log, logLines);
    outcome.script = write(ExitFile::Script, scriptLines);
    return outcome;
}

QByteArray unwrittenExitFiles(const ExitFilesOutcome &outcome, const QStringList &logLines,
                              const QStringList &scriptLines)
{
    QByteArray text;
    for (const auto &[file, lines] : {std::pair{&outcome.log, &logLines}, std::pair{&outcome.script, &scriptLines}}) {
        if (file->writtenSomewhere())
            continue;
        text += "Quenmark: no folder took " + QFileInfo(file->path).fileName().toLocal8Bit()
            + "; its content follows whole.\n" + exitFileBytes(file->kind, *lines) + '\n';
    }
    return text;
}
