#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The script is a list of lines: a script block is always exactly three of
// them, and the saved file joins the lines with CR LF and no break after the last.
namespace ScriptText {

// A character that never stands in a line of the script, the log or the
// editor: every control character but tab (C0, DEL and C1). A NUL among them
// would end the text for every C-string interface it passes through.
bool isBlankedControl(char32_t c);

// A text placed into one script line: CR, LF and every other control
// character but tab become blanks, so a value can never split or cut its line.
QString oneLine(const QString &text);

// Text that may span lines (typed, pasted or loaded into the editor): the
// same as oneLine, but CR and LF stay line ends.
QString blankControls(const QString &text);

// blankControls for UTF-8 bytes; returns a null array when nothing needs to
// change, so the common case costs one pass and no copy.
QByteArray blankControlsUtf8(QByteArrayView utf8);

// A text's lines, split at CR LF, CR or LF; a text of n line ends has n + 1 lines.
QStringList splitLines(const QString &all);

} // namespace ScriptText

// One generator action's output: the comment line and the statement line
// (the empty third line is added by the pane).
struct ScriptBlock
{
    QString comment;
    QString statement;
};
