#pragma once

#include <QWidget>

class QFileDialog;
class QPushButton;
class DbShell;
class SqlEditor;

// The page "Правка": the script editor and its save button.
class EditorPage : public QWidget
{
    Q_OBJECT

public:
    explicit EditorPage(DbShell &shell, QWidget *parent = nullptr);

    SqlEditor *SynMemo1() const { return m_editor; }
    void Button8Click();
    void Button9Click();

private:
    QFileDialog *saveDialog();
    bool confirmReplace(const QString &path);

    DbShell &m_shell;
    SqlEditor *m_editor;
    QPushButton *m_button8;
    QPushButton *m_button9;
    QFileDialog *m_saveDialog = nullptr;
    QString m_lastChosen;
};
