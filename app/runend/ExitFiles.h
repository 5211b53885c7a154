#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The two files written when the window closes: the activity log into
// <root>/logs/log_<stamp>.log and the script into <root>/sql/sql_<stamp>.sql.
// Missing folders are created; an existing file is never replaced (a second
// run in the same second writes ..._2); one file failing does not stop the other.
// A file that cannot be written in root goes to the first fallback folder that
// takes it; one that no folder takes is kept for standard error.
enum class ExitFile { Log, Script };

struct ExitFileOutcome
{
    ExitFile kind = ExitFile::Log;
    QString path;       // the file written, or the one that could not be
    QString error;      // empty on success
    QList<int> lossyLines;
    // When path could not be written: the copy in a fallback folder, or the
    // last fallback folder tried and why it failed too.
    QString fallbackPath;
    QString fallbackError;

    bool writtenSomewhere() const { return error.isEmpty() || (!fallbackPath.isEmpty() && fallbackError.isEmpty()); }
    // What the operator must be told about this file; empty when all went well.
    QString problem() const;
};

struct ExitFilesOutcome
{
    ExitFileOutcome log;
    ExitFileOutcome script;

    // What the operator must be told: failures, where the files went instead, and
    // characters written as "?". Empty when all went well.
    QString problems() const;
};

// "log_<stamp>.log" or "sql_<stamp>.sql" in its folder under root.
QString exitFilePath(const QString &root, ExitFile kind, const QString &stamp);

ExitFileOutcome writeExitFile(const QString &root, ExitFile kind, const QString &stamp, const QStringList &lines);

// fallbackRoots are tried in order; a folder that is root itself is skipped.
ExitFilesOutcome writeExitFiles(const QString &root, const QString &stamp, const QStringList &logLines,
                                const QStringList &scriptLines, const QStringList &fallbackRoots = {});

// The bytes of an exit file of that kind, for writing it elsewhere by hand.
QByteArray exitFileBytes(ExitFile kind, const QStringList &lines);

// The last resort for the files that no folder took: for each, a line that
// names it, then its bytes whole. Empty when every file was written somewhere.
QByteArray unwrittenExitFiles(const ExitFilesOutcome &outcome, const QStringList &logLines,
                              const QStringList &scriptLines);
