#pragma once

#include <QString>

class QFileDialog;
class QWidget;
class Shell;
class SqlEditor;

// "Открыть": a saved script back into the editor, its generated blocks back
// as the script's entries. The file itself is only read.
class ScriptOpen
{
public:
    ScriptOpen(Shell &shell, SqlEditor &editor, QWidget &page);

    // Runs the open dialog and reads the chosen file; returns its name, or an
    // empty text when nothing was opened. Throws QmError for a file refused.
    QString run(const QString &lastChosen);

private:
    QFileDialog *dialog(const QString &lastChosen);
    bool confirmReplace(const QString &path);

    Shell &m_shell;
    SqlEditor &m_editor;
    QWidget &m_page;
    QFileDialog *m_dialog = nullptr;
};
