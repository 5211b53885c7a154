#pragma once

#include "grid/GridColumn.h"
#include "grid/RowStore.h"

#include <QAbstractTableModel>
#include <QList>

#include <cstdint>
#include <vector>

// The table the view shows: the visible rows of a store, in store order. The
// view's row is a position in that list; the store's row index is what the
// program speaks.
class RecordGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordGridModel(QObject *parent = nullptr);

    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    RowStore &store() { return m_store; }
    const RowStore &store() const { return m_store; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Store row of a view row, and the view row of a store row (-1 when hidden).
    int storeRow(int viewRow) const;
    int viewRow(int storeRow) const;
    // The nearest visible store row above (step -1) or below (step 1) a store
    // row, which may itself be hidden; -1 when there is none.
    int visibleNeighbour(int storeRow, int step) const;

    // Everything between begin and end is one model reset.
    void beginBulkChange();
    void endBulkChange();
    bool inBulkChange() const { return m_bulkDepth > 0; }

    // Single changes, told to the view row by row.
    void addRows(int count);
    void setCellText(int col, int row, const QString &text);
    void setRowVisible(int row, bool visible);

private:
    QList<GridColumn> m_columns;
    RowStore m_store;
    std::vector<int> m_visibleRows;
    std::vector<int> m_nextRows;
    int m_bulkDepth = 0;
    std::uint64_t m_bulkClearCount = 0;
};
