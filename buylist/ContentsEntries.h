#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QLineEdit;
class QPoint;
class RecordGrid;
class Shell;

// The shop contents grid as the script's buylist entries: row r of the grid
// (its slot, which a sort does not move) is the r-th buylist entry. Adding,
// removing and correcting go through the script's blocks, so that the grid,
// the SQL pane and the editor change together.
class ContentsEntries : public QObject
{
    Q_OBJECT

public:
    ContentsEntries(Shell &shell, RecordGrid &grid, QLineEdit &orderEdit, QObject *parent);

    // Entries from values (item name, item id, price, shop id, order), each
    // checked before anything changes; one log line per item.
    void add(const QList<QStringList> &entries);
    // The marked rows (or the selected one) go, with their blocks.
    void removeMarked();
    // Takes back the last entry; Order goes back to its order.
    void undoLast();
    // Asks for the price or the order of the row and rewrites its block.
    void editCell(int col, int row);
    void showMenu(const QPoint &globalPos);
    // The grid again from the script's entries (after a script was reopened).
    void refill();

private:
    qsizetype entryIndexOfRow(int row) const;
    void removeEntry(qsizetype index);
    void setRow(int row, const QStringList &values);

    Shell &m_shell;
    RecordGrid &m_grid;
    QLineEdit &m_orderEdit;
};
