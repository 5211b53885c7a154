#pragma once

#include "grid/GridColumn.h"
#include "grid/RowStore.h"

#include <QList>
#include <QPalette>
#include <QPoint>
#include <QString>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <vector>

class QKeyEvent;
class RecordGridDelegate;
class RecordGridModel;

// A read-only table of text and number cells addressed by (column, row): rows
// can be hidden, a header click sorts, one cell can be selected, and the owner
// hears of cell double-clicks and key presses. Rows are 16 pixels, the header
// 18; no grid lines; nothing is editable.
class RecordGrid : public QTableView
{
    Q_OBJECT

public:
    explicit RecordGrid(QWidget *parent = nullptr);
    ~RecordGrid() override;

    void setColumns(const QList<GridColumn> &columns);
    int columnCount() const;
    void setSortedColumnStyle(SortedColumnStyle style);
    SortedColumnStyle sortedColumnStyle() const { return m_sortedStyle; }
    // The colour of the area below the last row and right of the last column.
    void setEmptyAreaColor(QPalette::ColorRole role);
    void setCustomCompare(std::function<int(const QString &, const QString &)> compare);

    int RowCount() const;
    void AddRow(int count = 1);
    void ClearRows();
    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString &text);
    void setRowVisible(int row, bool visible);
    bool rowVisible(int row) const;
    // Sets the visible flag of every row at once; flags[row] != 0 shows it.
    void setRowsVisible(const std::vector<std::uint8_t> &flags);

    RowStore &store();
    const RowStore &store() const;
    // Brackets direct work on the store: the view hears of it once, at the end.
    void beginBulkChange();
    void endBulkChange();

    int sortedColumn() const { return m_sortedColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Sorts as a header click does; throws QmError when a numeric sort meets a text that is no number.
    void sortByColumnClick(int col);
    // Rows filled anew sort again as the indicator says; when they can no
    // longer be sorted so (a text that is no number), the indicator goes.
    void sortAgain();

    // The selected cell's store row and column, -1 when none.
    int selectedRow() const { return m_selectedRow; }
    int selectedColumn() const { return m_selectedColumn; }
    void selectCell(int col, int row);

    // Rows can be marked besides the one selected cell: Ctrl+click marks or
    // unmarks a row, Shift+click and Shift with the arrow and page keys mark
    // the shown rows from the anchor to the row reached, a plain click or key
    // marks its row alone. Marks stay through sorts and filters and go with a clear.
    void setRowMarking(bool on);
    bool isRowMarked(int row) const;
    // The marked rows that are shown, in the grid's order (the store's rows).
    std::vector<int> markedRows() const;
    // How many rows are marked, shown or not.
    int markedCount() const;

    // The view's model; for tests and accessibility.
    RecordGridModel *gridModel() const { return m_model; }

Q_SIGNALS:
    // A double-click on a data cell of a visible row; row is the store's index.
    void OnCellDblClick(int col, int row);
    // Every key press while the grid has the focus, before its own navigation.
    void OnKeyDown(QKeyEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void headerClicked(int section);
    void showSortIndicator();
    void sortRows(int col, Qt::SortOrder order, bool mayReverse);
    void showSelection(bool scroll);
    void moveSelection(int rowStep, int columnStep);
    int rowsPerPage() const;
    // Marks after the selection reached row: with extend, the rows from the anchor; else row alone.
    void markTo(int row, bool extend);
    void toggleMark(int row);
    bool marksCurrent() const;

    RecordGridModel *m_model;
    RecordGridDelegate *m_delegate;
    SortedColumnStyle m_sortedStyle = SortedColumnStyle::Plain;
    std::function<int(const QString &, const QString &)> m_customCompare;
    int m_sortedColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    int m_lastSortColumn = -1;
    std::uint64_t m_lastSortGeneration = 0;
    int m_selectedRow = -1;
    int m_selectedColumn = -1;
    std::uint64_t m_selectionClearCount = 0;
    bool m_rowMarking = false;
    std::vector<std::uint8_t> m_markedSlots;  // by slot, which a sort does not move
    int m_anchorSlot = -1;
    int m_markedCount = 0;
    std::uint64_t m_marksClearCount = 0;
    // A header press that moved the drag distance is a drag, not a click.
    QPoint m_headerPressAt;
    bool m_headerPressMoved = false;
};
