#pragma once

#include <QTableView>
#include <QStringList>

class LineListModel;

// A read-only pane of whole lines, lime on black: the activity log and the SQL
// pane. A one-column table over the lines with rows of fixed height, so that appending costs the same at the
// ten-thousandth line as at the first; lines can be selected and copied.
class TextPane : public QTableView
{
    Q_OBJECT

public:
    explicit TextPane(QWidget *parent = nullptr);

    // Appends one line; a CR, LF or other control character but tab inside it
    // becomes a blank, so a line stays a line and is never cut short.
    void appendLine(const QString &line);
    void clearLines();
    // Many lines with one change of the pane, as appendLine would add them one by one.
    void appendLines(const QStringList &lines);
    // The pane holds exactly these lines, with one change.
    void setLines(const QStringList &lines);
    const QStringList &lines() const;
    // The selected lines joined by line breaks (all lines when none is selected).
    QString selectedText() const;

Q_SIGNALS:
    // After every change of the pane's text.
    void linesChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void copySelection() const;

    LineListModel *m_model;
};
