#include "base/ScriptEntries.h"

#include <algorithm>

QStringList ScriptEntry::lines() const
{
    return {block.comment, block.statement, QString()};
}

QStringList ScriptEntries::paneLines() const
{
    QStringList lines;
    lines.reserve(m_entries.size() * 3);
    for (const ScriptEntry &entry : m_entries)
        lines << entry.block.comment << entry.block.statement << QString();
    return lines;
}

void ScriptEntries::append(const QList<ScriptEntry> &added)
{
    if (added.isEmpty())
        return;
    const qsizetype first = m_entries.size();
    m_entries.append(added);
    Q_EMIT appended(first, added.size());
}

int ScriptEntries::sameLinesBefore(qsizetype index) const
{
    const ScriptBlock &block = m_entries.at(index).block;
    int same = 0;
    for (qsizetype i = 0; i < index; ++i)
        if (m_entries.at(i).block.comment == block.comment && m_entries.at(i).block.statement == block.statement)
            ++same;
    return same;
}

void ScriptEntries::remove(qsizetype index)
{
    const QStringList old = m_entries.at(index).lines();
    const int occurrence = sameLinesBefore(index);
    m_entries.removeAt(index);
    Q_EMIT changed(old, QStringList(), occurrence);
}

void ScriptEntries::removeSeveral(QList<qsizetype> indexes)
{
    // From the last, so that the indexes still to go stay where they are and
    // the occurrences, counted from the first block, keep their meaning.
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    QList<RemovedBlock> removed;
    removed.reserve(indexes.size());
    for (const qsizetype index : std::as_const(indexes)) {
        removed.append({m_entries.at(index).lines(), sameLinesBefore(index)});
        m_entries.removeAt(index);
    }
    if (!removed.isEmpty())
        Q_EMIT severalRemoved(removed);
}

void ScriptEntries::replace(qsizetype index, const ScriptEntry &entry)
{
    const QStringList old = m_entries.at(index).lines();
    const int occurrence = sameLinesBefore(index);
    m_entries[index] = entry;
    Q_EMIT changed(old, entry.lines(), occurrence);
}

void ScriptEntries::reset(const QList<ScriptEntry> &entries, const QStringList &editorLines)
{
    m_entries = entries;
    Q_EMIT wasReset(editorLines);
}

qsizetype ScriptEntries::indexOfKind(EntryKind kind, qsizetype nth) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).kind == kind && nth-- == 0)
            return i;
    return -1;
}

qsizetype ScriptEntries::countOfKind(EntryKind kind) const
{
    qsizetype n = 0;
    for (const ScriptEntry &entry : m_entries)
        n += entry.kind == kind ? 1 : 0;
    return n;
}
