#pragma once

#include <QString>

class ScriptEntries;
class QWidget;

// What a page may ask of the main window: the activity log, the shared time
// text, the script. The main window owns all of them; pages only hold this
// reference. A page that reads the database asks through DbShell.
class Shell
{
public:
    virtual ~Shell() = default;

    // Appends one line to the activity log.
    virtual void LogEvent(const QString &line) = 0;
    // TimeStr := the current local time as text; returns the new value.
    virtual const QString &refreshTimeStr() = 0;
    virtual const QString &TimeStr() const = 0;
    // Comment line, statement line and an empty line, appended to the SQL pane.
    virtual void AppendScriptBlock(const QString &comment, const QString &statement) = 0;
    // The script's blocks; the SQL pane and the editor follow every change of them.
    virtual ScriptEntries &scriptEntries() = 0;
    // The ShopRowIndex of the buylist: index of the last row added to the shop contents grid.
    virtual int &ShopRowIndex() = 0;
    // Parent for dialogs and message boxes.
    virtual QWidget *dialogParent() = 0;
};
