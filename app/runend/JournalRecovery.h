#pragma once

#include "app/runend/ExitFiles.h"

#include <QList>
#include <QString>
#include <QStringList>

// At start: every journal in the folder whose run has ended (its lock is free)
// becomes that run's exit files, in that run's folders under that run's stamp,
// and goes once both are written somewhere. A journal cut off mid-write gives
// what it holds up to its last whole record. One that cannot be read at all is
// kept aside under another name, never deleted; one whose files no folder took
// stays for the next start. A journal still locked belongs to a running program
// and is not touched. A journal left half made (before its header) goes.
struct RecoveredRun
{
    QString journalPath;
    QString stamp;
    // Unreadable: the name it was kept aside under (empty when it could not be renamed).
    bool unreadable = false;
    QString keptAsidePath;
    QString keepAsideError;
    bool cut = false;
    ExitFilesOutcome files;
    QStringList scriptLines;

    bool filesWritten() const { return !unreadable && files.log.writtenSomewhere() && files.script.writtenSomewhere(); }
};

namespace JournalRecovery {

QList<RecoveredRun> recoverEndedRuns(const QString &folder, const QStringList &fallbackRoots);

} // namespace JournalRecovery
