#pragma once

#include "base/ScriptEntries.h"

#include <QObject>
#include <QStringList>

#include <functional>

class SqlEditor;
class TextPane;

// Keeps the SQL pane and the script editor in step with the script's blocks:
// new blocks are appended to the pane (and so mirrored), a removed or
// corrected block is changed in both, a reopened script replaces both.
class ScriptPanes : public QObject
{
    Q_OBJECT

public:
    // blockKept: told the comment line of a block that the editor no longer
    // holds as it was made (the operator changed it), so it stays there as it is.
    ScriptPanes(ScriptEntries &entries, TextPane &pane, SqlEditor &editor,
                std::function<void(const QString &)> blockKept, QObject *parent);

private:
    void appendBlocks(qsizetype first, qsizetype count);
    void changeBlock(const QStringList &oldLines, const QStringList &newLines, int occurrence);
    void resetScript(const QStringList &editorLines);
    void removeBlocks(const QList<RemovedBlock> &removed);

    ScriptEntries &m_entries;
    TextPane &m_pane;
    SqlEditor &m_editor;
    std::function<void(const QString &)> m_blockKept;
};
