#pragma once

#include "app/runend/Journal.h"

#include <QString>

// The journal file of this run, in the journal folder as <pid>-<stamp>.journal,
// locked (flock) for as long as it is open: a lock that is free tells the next
// start that the run which wrote the file has ended. The lock goes with the
// process, however it ends.
class JournalFile
{
public:
    // Made under a name the start-up does not read, locked and given its
    // signature and header, then given its own name: another program starting
    // at that moment never finds it half made and unlocked.
    JournalFile(const QString &folder, const Journal::Header &header);
    // Closes the file and frees the lock; the file stays for the next start.
    ~JournalFile();
    JournalFile(const JournalFile &) = delete;
    JournalFile &operator=(const JournalFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // Why the file could not be made or written; empty while all is well.
    QString error() const { return m_error; }

    // Appends the record whole, or nothing: a write cut short is taken back,
    // so that a later record never follows a broken one.
    bool append(const QByteArray &record);
    // To the disk (not only the system's cache).
    bool sync();
    // The run ended in order: the file goes, then the lock.
    void remove();

    // <user data folder>/journal
    static QString defaultFolder();

private:
    void fail(const QString &what);

    int m_fd = -1;
    qint64 m_size = 0;
    QString m_path;
    QString m_error;
};
