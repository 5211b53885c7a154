#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The two files written when the window closes: the activity log into
// <root>/logs/log_<stamp>.log and the script into <root>/sql/sql_<stamp>.sql.
// Missing folders are created; an existing file is never replaced (a second
// run in the same second writes ..._2); one file failing does not stop the other.
struct ExitFileOutcome
{
    QString path;       // the file written, or the one that could not be
    QString error;      // empty on success
    QList<int> lossyLines;
};

struct ExitFilesOutcome
{
    ExitFileOutcome log;
    ExitFileOutcome script;

    // What the operator must be told: failures and characters written as "?". Empty when all went well.
    QString problems() const;
};

ExitFilesOutcome writeExitFiles(const QString &root, const QString &stamp,
                                const QStringList &logLines, const QStringList &scriptLines);
