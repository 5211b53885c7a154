#pragma once

#include <QWidget>

#include <memory>

class QFileDialog;
class QPushButton;
class DbShell;
class ScriptOpen;
class SqlEditor;

// The page "Правка": the script editor and its save button.
class EditorPage : public QWidget
{
    Q_OBJECT

public:
    explicit EditorPage(DbShell &shell, QWidget *parent = nullptr);
    ~EditorPage() override;

    SqlEditor *SynMemo1() const { return m_editor; }
    void Button8Click();
    void Button9Click();
    // "Открыть": a saved script back into the editor and the script's entries.
    void Button10Click();

private:
    QFileDialog *saveDialog();
    bool confirmReplace(const QString &path);

    DbShell &m_shell;
    SqlEditor *m_editor;
    QPushButton *m_button8;
    QPushButton *m_button9;
    QPushButton *m_button10;
    std::unique_ptr<ScriptOpen> m_open;
    QFileDialog *m_saveDialog = nullptr;
    QString m_lastChosen;
};
