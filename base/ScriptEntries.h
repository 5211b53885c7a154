#pragma once

#include "base/ScriptText.h"

#include <QList>
#include <QObject>
#include <QStringList>

// What made a block of the script, so that it can be found again.
enum class EntryKind { Other, Npc, ShopLink, Buylist };

// One generated block of the script and the values it was made from (for a
// buylist entry: item name, item id, price, shop id, order).
struct ScriptEntry
{
    EntryKind kind = EntryKind::Other;
    ScriptBlock block;
    QStringList values;

    // The block's three lines as the SQL pane holds them.
    QStringList lines() const;
};

// A block that went: its pane lines, and which block with these very lines
// it was (0: the first such).
struct RemovedBlock
{
    QStringList lines;
    int occurrence = 0;
};

// The script's blocks in the order of the SQL pane: block i stands at the
// pane's lines 3i to 3i+2. The panes follow this list through its signals, so
// that a removal, a correction or a reopened script changes the pane and the
// editor from this one source.
class ScriptEntries : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    const QList<ScriptEntry> &entries() const { return m_entries; }
    qsizetype count() const { return m_entries.size(); }
    const ScriptEntry &at(qsizetype index) const { return m_entries.at(index); }
    // Every pane line, three per block.
    QStringList paneLines() const;

    void append(const QList<ScriptEntry> &added);
    void remove(qsizetype index);
    // Several blocks at once, indexes in any order: the panes hear of it once.
    void removeSeveral(QList<qsizetype> indexes);
    void replace(qsizetype index, const ScriptEntry &entry);
    // A script read back: its blocks, and every line of it for the editor.
    void reset(const QList<ScriptEntry> &entries, const QStringList &editorLines);

    // The index of the nth entry of a kind (0-based), -1 when there are fewer.
    qsizetype indexOfKind(EntryKind kind, qsizetype nth) const;
    qsizetype countOfKind(EntryKind kind) const;

Q_SIGNALS:
    void appended(qsizetype first, qsizetype count);
    // The block's lines oldLines, the occurrence-th block with these very
    // lines, became newLines (empty: the block went).
    void changed(const QStringList &oldLines, const QStringList &newLines, int occurrence);
    void wasReset(const QStringList &editorLines);
    // Blocks that went at once, each with its occurrence as it stood when it
    // went; from the last block to the first.
    void severalRemoved(const QList<RemovedBlock> &removed);

private:
    int sameLinesBefore(qsizetype index) const;

    QList<ScriptEntry> m_entries;
};
