#include "app/ScriptPanes.h"

#include "app/TextPane.h"
#include "base/ScriptEntries.h"
#include "editor/SqlEditor.h"

ScriptPanes::ScriptPanes(ScriptEntries &entries, TextPane &pane, SqlEditor &editor,
                         std::function<void(const QString &)> blockKept, QObject *parent)
    : QObject(parent)
    , m_entries(entries)
    , m_pane(pane)
    , m_editor(editor)
    , m_blockKept(std::move(blockKept))
{
    connect(&entries, &ScriptEntries::appended, this, &ScriptPanes::appendBlocks);
    connect(&entries, &ScriptEntries::changed, this, &ScriptPanes::changeBlock);
    connect(&entries, &ScriptEntries::wasReset, this, &ScriptPanes::resetScript);
    connect(&entries, &ScriptEntries::severalRemoved, this, &ScriptPanes::removeBlocks);
}

void ScriptPanes::appendBlocks(qsizetype first, qsizetype count)
{
    if (count == 1) {
        // One block: three line additions, as a generator has always made them.
        const ScriptEntry &entry = m_entries.at(first);
        m_pane.appendLine(entry.block.comment);
        m_pane.appendLine(entry.block.statement);
        m_pane.appendLine(QString());
        return;
    }
    QStringList lines;
    lines.reserve(count * 3);
    for (qsizetype i = first; i < first + count; ++i)
        lines << m_entries.at(i).lines();
    m_pane.appendLines(lines);
}

void ScriptPanes::changeBlock(const QStringList &oldLines, const QStringList &newLines, int occurrence)
{
    // The editor first: the pane's change that follows then finds it mirrored already.
    const QStringList paneLines = m_entries.paneLines();
    if (!m_editor.replaceMirroredRun(oldLines, newLines, occurrence, paneLines) && m_blockKept)
        m_blockKept(oldLines.constFirst());
    m_pane.setLines(paneLines);
}

void ScriptPanes::resetScript(const QStringList &editorLines)
{
    const QStringList paneLines = m_entries.paneLines();
    m_editor.adoptText(editorLines, paneLines);
    m_pane.setLines(paneLines);
}

void ScriptPanes::removeBlocks(const QList<RemovedBlock> &removed)
{
    // One change of the editor and one of the pane, however many blocks go.
    QList<std::pair<QStringList, int>> runs;
    runs.reserve(removed.size());
    for (const RemovedBlock &block : removed)
        runs.append({block.lines, block.occurrence});
    const QStringList paneLines = m_entries.paneLines();
    const QList<qsizetype> kept = m_editor.removeMirroredRuns(runs, paneLines);
    if (m_blockKept)
        for (const qsizetype index : kept)
            m_blockKept(removed.at(index).lines.constFirst());
    m_pane.setLines(paneLines);
}
