#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// A read-only pane of whole lines, lime on black: the activity log and the SQL
// pane. The lines are kept beside the document so that reading them back costs
// nothing and is exact.
class TextPane : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TextPane(QWidget *parent = nullptr);

    // Appends one line; a CR or LF inside it becomes a blank, so a line stays a line.
    void appendLine(const QString &line);
    void clearLines();
    const QStringList &lines() const { return m_lines; }

Q_SIGNALS:
    // After every change of the pane's text.
    void linesChanged();

private:
    QStringList m_lines;
};
