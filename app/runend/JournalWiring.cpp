#include "app/runend/JournalWiring.h"

#include "app/Main.h"
#include "app/TextPane.h"
#include "app/runend/ExitFolder.h"
#include "app/runend/JournalRecovery.h"
#include "app/runend/RecoveryNotice.h"
#include "base/LogTexts.h"
#include "base/TimeTexts.h"
#include "editor/SqlEditor.h"

#include <QApplication>
#include <QDateTime>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString writtenPath(const ExitFileOutcome &file)
{
    return file.error.isEmpty() ? file.path : file.fallbackPath;
}

QByteArrayView editorBytes(const SqlEditor &editor)
{
    // Scintilla's own buffer, without a copy; valid until the text next changes.
    const auto *text = reinterpret_cast<const char *>(editor.SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return QByteArrayView(text, editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
}

} // namespace

RunJournal::RunJournal(TForm1 &form, const QString &folder)
    : m_form(form)
{
    recoverEndedRuns(folder);
    m_file = std::make_unique<JournalFile>(
        folder, Journal::Header{QCoreApplication::applicationPid(), TimeTexts::exitStamp(QDateTime::currentDateTime()),
                                form.exitRoot()});
    if (!m_file->isOpen())
        tellFailure();

    m_flushSoon.setSingleShot(true);
    m_flushSoon.setInterval(0);
    connect(&m_flushSoon, &QTimer::timeout, this, &RunJournal::flush);
    m_typing.setSingleShot(true);
    m_typing.setInterval(typingDelayMs);
    connect(&m_typing, &QTimer::timeout, this, [this] {
        m_scriptDirty = true;
        flush();
    });
    // After the window's own handlers: the pane is mirrored into the editor by then.
    connect(form.Memo1(), &TextPane::linesChanged, this, [this] {
        m_logDirty = true;
        m_flushSoon.start();
    });
    connect(form.Memo2(), &TextPane::linesChanged, this, [this] {
        m_scriptDirty = true;
        m_flushSoon.start();
    });
    // Started by the first change, not again by each: typing that goes on is written every second.
    connect(form.SynMemo1(), &SqlEditor::textChanged, this, [this] {
        if (!m_typing.isActive())
            m_typing.start();
    });
    // Leaving the editor (for "Проверить", say) writes the typing at once: what follows may never return.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *) {
        if (old == m_form.SynMemo1() && m_typing.isActive()) {
            m_scriptDirty = true;
            flush();
        }
    });
    connect(&form, &TForm1::exitFilesWritten, this, [this](bool whole) {
        m_logDirty = m_scriptDirty = true;
        flush();
        if (whole)
            m_file->remove();
    });
    flush();
}

RunJournal::~RunJournal() = default;

void RunJournal::recoverEndedRuns(const QString &folder)
{
    const QList<RecoveredRun> runs = JournalRecovery::recoverEndedRuns(folder, ExitFolder::fallbackFolders());
    for (const RecoveredRun &run : runs) {
        const QString &time = m_form.refreshTimeStr();
        if (run.unreadable)
            m_form.LogEvent(LogTexts::journalKeptAside(time, run.journalPath, run.keptAsidePath));
        else if (run.filesWritten())
            m_form.LogEvent(LogTexts::runRecovered(time, run.stamp, writtenPath(run.files.log), writtenPath(run.files.script)));
        else
            m_form.LogEvent(LogTexts::journalFailed(time, run.files.problems()));
    }
    if (runs.isEmpty())
        return;
    // Once the window is up, and without holding it.
    QTimer::singleShot(0, &m_form, [this, runs] {
        showRecoveryNotice(&m_form, runs, [this](const QStringList &lines) { takeBack(lines); });
    });
}

void RunJournal::takeBack(const QStringList &scriptLines)
{
    SqlEditor *editor = m_form.SynMemo1();
    const QString text = scriptLines.join(u'\n');
    // Taken back as the operator's own text: what the pane brings later goes after it.
    if (editor->lines() == QStringList{QString()})
        editor->setText(text);
    else
        editor->append(u'\n' + text);
    m_scriptDirty = true;
    flush();
}

void RunJournal::flush()
{
    m_flushSoon.stop();
    if (!m_file->isOpen())
        return;
    bool written = false, ok = true;
    if (m_logDirty) {
        ok = writeLog() && ok;
        written = true;
    }
    if (m_scriptDirty) {
        m_typing.stop();
        ok = writeScript() && ok;
        written = true;
    }
    if (written && !m_file->sync())
        ok = false;
    if (!ok)
        tellFailure();
}

bool RunJournal::writeLog()
{
    const QStringList &lines = m_form.Memo1()->lines();
    // The log only grows, but after the window's start-up, which empties it.
    const qsizetype from = lines.size() < m_logCount ? 0 : m_logCount;
    if (from == lines.size() && from == m_logCount) {
        m_logDirty = false;
        return true;
    }
    if (!m_file->append(Journal::logRecord(from, lines.sliced(from))))
        return false;
    m_logCount = lines.size();
    m_logDirty = false;
    return true;
}

bool RunJournal::writeScript()
{
    const QByteArrayView now = editorBytes(*m_form.SynMemo1());
    const qsizetype common = std::mismatch(now.begin(), now.begin() + std::min(now.size(), m_script.size()), m_script.begin()).first
        - now.begin();
    if (common == now.size() && common == m_script.size()) {
        m_scriptDirty = false;
        return true;
    }
    if (!m_file->append(Journal::scriptRecord(common, now.sliced(common))))
        return false;
    m_script.truncate(common);
    m_script.append(now.sliced(common));
    m_scriptDirty = false;
    return true;
}

void RunJournal::tellFailure()
{
    // Once: the line itself is journaled, and would be told again.
    if (m_failureTold)
        return;
    m_failureTold = true;
    m_form.LogEvent(LogTexts::journalFailed(m_form.refreshTimeStr(), m_file->path() + u" : "_s + m_file->error()));
}
