#pragma once

#include "app/runend/JournalFile.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>

class TForm1;

// Keeps this run's journal beside the window: every log line and every change
// of the SQL pane is written (and synced) as soon as the event that made it
// has been handled, the operator's typing in the editor at most a second after
// it began, or when the editor loses the focus. The script is journaled as the editor's text, from the first byte
// that changed. The journal goes once the shutdown has written both exit files.
// At start, the journals of runs that have ended are first turned into their
// exit files; the log says where, and a notice lets the operator take the
// script back into the editor. Lives in main, after the shutdown wiring.
class RunJournal : public QObject
{
    Q_OBJECT

public:
    explicit RunJournal(TForm1 &form, const QString &folder = JournalFile::defaultFolder());
    ~RunJournal() override;

    QString path() const { return m_file->path(); }

    // Most typing waits this long before it is written.
    static constexpr int typingDelayMs = 1000;

private:
    void recoverEndedRuns(const QString &folder);
    void takeBack(const QStringList &scriptLines);
    void flush();
    bool writeLog();
    bool writeScript();
    void tellFailure();

    TForm1 &m_form;
    std::unique_ptr<JournalFile> m_file;
    qsizetype m_logCount = 0;
    QByteArray m_script; // the editor's text as the journal holds it
    bool m_logDirty = true;
    bool m_scriptDirty = true;
    bool m_failureTold = false;
    QTimer m_flushSoon;
    QTimer m_typing;
};
