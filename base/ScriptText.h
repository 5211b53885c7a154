#pragma once

#include <QString>
#include <QStringList>

// The script is a list of lines: a script block is always exactly three of
// them, and the saved file joins the lines with CR LF and no break after the last.
namespace ScriptText {

// A text placed into one script line: every CR and LF becomes a blank, so a
// value can never split its line.
QString oneLine(const QString &text);

} // namespace ScriptText

// One generator action's output: the comment line and the statement line
// (the empty third line is added by the pane).
struct ScriptBlock
{
    QString comment;
    QString statement;
};
