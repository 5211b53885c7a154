#include "grid/RecordGridModel.h"

#include "grid/RecordGrid.h"

#include <algorithm>

RecordGridModel::RecordGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordGridModel::setColumns(const QList<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    std::vector<CellKind> kinds;
    for (const GridColumn &column : columns)
        kinds.push_back(column.cellKind);
    m_store.clearRows();
    m_store.setColumnKinds(kinds);
    m_visibleRows.clear();
    endResetModel();
}

int RecordGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_visibleRows.size());
}

int RecordGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RecordGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const GridColumn &column = m_columns[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return m_store.text(index.column(), storeRow(index.row()));
    case Qt::TextAlignmentRole:
        if (column.cellKind == CellKind::Number)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(column.cellAlignment);
    default:
        return QVariant();
    }
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[section].caption;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[section].headerAlignment);
    default:
        return QVariant();
    }
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int RecordGridModel::storeRow(int viewRow) const
{
    if (viewRow < 0 || viewRow >= static_cast<int>(m_visibleRows.size()))
        return -1;
    return m_visibleRows[static_cast<std::size_t>(viewRow)];
}

int RecordGridModel::viewRow(int storeRow) const
{
    const auto it = std::lower_bound(m_visibleRows.begin(), m_visibleRows.end(), storeRow);
    if (it == m_visibleRows.end() || *it != storeRow)
        return -1;
    return static_cast<int>(it - m_visibleRows.begin());
}

int RecordGridModel::visibleNeighbour(int storeRow, int step) const
{
    if (step < 0) {
        const auto it = std::lower_bound(m_visibleRows.begin(), m_visibleRows.end(), storeRow);
        return it == m_visibleRows.begin() ? -1 : *(it - 1);
    }
    const auto it = std::upper_bound(m_visibleRows.begin(), m_visibleRows.end(), storeRow);
    return it == m_visibleRows.end() ? -1 : *it;
}

void RecordGridModel::beginBulkChange()
{
    if (m_bulkDepth++ == 0)
        m_bulkClearCount = m_store.clearCount();
}

// A load (the rows were cleared) resets the model. A filter or a sort tells
// the view only what it needs: rows dropped or added at the end, and changed
// data for the rest. A reset would make the view rebuild its per-row
// bookkeeping from nothing, which at a million rows costs more than the filter.
void RecordGridModel::endBulkChange()
{
    if (m_bulkDepth == 0 || --m_bulkDepth > 0)
        return;
    m_store.collectVisibleRows(m_nextRows);
    if (m_store.clearCount() != m_bulkClearCount) {
        beginResetModel();
        m_visibleRows.swap(m_nextRows);
        endResetModel();
        return;
    }
    const int oldCount = static_cast<int>(m_visibleRows.size());
    const int newCount = static_cast<int>(m_nextRows.size());
    if (newCount < oldCount) {
        beginRemoveRows(QModelIndex(), newCount, oldCount - 1);
        m_visibleRows.resize(static_cast<std::size_t>(newCount));
        endRemoveRows();
    }
    // The positions both lists have now show other rows: to the view that is
    // changed data, which costs it one repaint, where a layout change would
    // make it revisit every row.
    const int common = std::min(oldCount, newCount);
    if (common > 0 && !std::equal(m_nextRows.begin(), m_nextRows.begin() + common, m_visibleRows.begin())) {
        std::copy(m_nextRows.begin(), m_nextRows.begin() + common, m_visibleRows.begin());
        Q_EMIT dataChanged(index(0, 0), index(common - 1, columnCount() - 1), { Qt::DisplayRole });
    }
    if (newCount > oldCount) {
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
        m_visibleRows.swap(m_nextRows);
        endInsertRows();
    }
}

void RecordGridModel::addRows(int count)
{
    if (count < 1)
        return;
    if (m_bulkDepth > 0) {
        m_store.addRows(count);
        return;
    }
    const int first = m_store.rowCount();
    const int view = static_cast<int>(m_visibleRows.size());
    beginInsertRows(QModelIndex(), view, view + count - 1);
    m_store.addRows(count);
    for (int i = 0; i < count; ++i)
        m_visibleRows.push_back(first + i);
    endInsertRows();
}

void RecordGridModel::setCellText(int col, int row, const QString &text)
{
    m_store.setText(col, row, text);
    if (m_bulkDepth > 0)
        return;
    const int view = viewRow(row);
    if (view >= 0 && col >= 0 && col < columnCount()) {
        const QModelIndex cell = index(view, col);
        Q_EMIT dataChanged(cell, cell, { Qt::DisplayRole });
    }
}

void RecordGridModel::setRowVisible(int row, bool visible)
{
    if (row < 0 || row >= m_store.rowCount() || m_store.isVisible(row) == visible)
        return;
    if (m_bulkDepth > 0) {
        m_store.setVisible(row, visible);
        return;
    }
    const auto it = std::lower_bound(m_visibleRows.begin(), m_visibleRows.end(), row);
    const int view = static_cast<int>(it - m_visibleRows.begin());
    if (visible) {
        beginInsertRows(QModelIndex(), view, view);
        m_store.setVisible(row, true);
        m_visibleRows.insert(it, row);
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), view, view);
        m_store.setVisible(row, false);
        m_visibleRows.erase(it);
        endRemoveRows();
    }
}
