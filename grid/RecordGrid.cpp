#include "grid/RecordGrid.h"

#include "base/Error.h"
#include "base/Guard.h"
#include "grid/GridSort.h"
#include "grid/RecordGridDelegate.h"
#include "grid/RecordGridModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

constexpr int gridRowHeight = 16;
constexpr int headerHeight = 18;

} // namespace

RecordGrid::RecordGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new RecordGridModel(this))
    , m_delegate(new RecordGridDelegate(this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFocusPolicy(Qt::StrongFocus);

    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(gridRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView *header = horizontalHeader();
    header->setFixedHeight(headerHeight);
    header->setMinimumSectionSize(8);
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &RecordGrid::headerClicked);
    // The header flips its own arrow on every click it sees; the arrow shows
    // the grid's sort state and nothing else.
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int section, Qt::SortOrder order) {
        if (section != m_sortedColumn || order != m_sortOrder)
            showSortIndicator();
    });
    header->viewport()->installEventFilter(this);

    // Below and right of the cells: the cells' own background colour.
    viewport()->setBackgroundRole(QPalette::Base);
}

RecordGrid::~RecordGrid() = default;

void RecordGrid::setColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].width);
    m_sortedColumn = -1;
    m_lastSortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_selectedRow = -1;
    m_selectedColumn = -1;
    showSortIndicator();
}

int RecordGrid::columnCount() const
{
    return m_model->columnCount();
}

void RecordGrid::setSortedColumnStyle(SortedColumnStyle style)
{
    m_sortedStyle = style;
    viewport()->update();
}

void RecordGrid::setEmptyAreaColor(QPalette::ColorRole role)
{
    viewport()->setBackgroundRole(role);
}

void RecordGrid::setCustomCompare(std::function<int(const QString &, const QString &)> compare)
{
    m_customCompare = std::move(compare);
}

int RecordGrid::RowCount() const
{
    return m_model->store().rowCount();
}

void RecordGrid::AddRow(int count)
{
    m_model->addRows(count);
}

void RecordGrid::ClearRows()
{
    beginBulkChange();
    m_model->store().clearRows();
    endBulkChange();
}

QString RecordGrid::Cells(int col, int row) const
{
    return m_model->store().text(col, row);
}

void RecordGrid::setCells(int col, int row, const QString &text)
{
    m_model->setCellText(col, row, text);
}

void RecordGrid::setRowVisible(int row, bool visible)
{
    m_model->setRowVisible(row, visible);
    if (row == m_selectedRow && !m_model->inBulkChange())
        showSelection(false);
}

bool RecordGrid::rowVisible(int row) const
{
    return m_model->store().isVisible(row);
}

void RecordGrid::setRowsVisible(const std::vector<std::uint8_t> &flags)
{
    beginBulkChange();
    m_model->store().setRowsVisible(flags);
    endBulkChange();
}

RowStore &RecordGrid::store()
{
    return m_model->store();
}

const RowStore &RecordGrid::store() const
{
    return m_model->store();
}

void RecordGrid::beginBulkChange()
{
    m_model->beginBulkChange();
}

void RecordGrid::endBulkChange()
{
    if (!m_model->inBulkChange())
        return;
    m_model->endBulkChange();
    if (m_model->inBulkChange())
        return;
    const RowStore &rows = m_model->store();
    if (rows.clearCount() != m_selectionClearCount || m_selectedRow >= rows.rowCount()) {
        m_selectedRow = -1;
        m_selectedColumn = -1;
    }
    showSelection(false);
}

void RecordGrid::selectCell(int col, int row)
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= RowCount())
        return;
    m_selectedRow = row;
    m_selectedColumn = col;
    m_selectionClearCount = m_model->store().clearCount();
    showSelection(true);
}

// Mirrors the selected store cell into the view's selection; a hidden row
// stays selected without being shown.
void RecordGrid::showSelection(bool scroll)
{
    QItemSelectionModel *selection = selectionModel();
    const int view = m_selectedRow >= 0 ? m_model->viewRow(m_selectedRow) : -1;
    if (view < 0) {
        selection->clear();
        return;
    }
    const QModelIndex cell = m_model->index(view, m_selectedColumn);
    selection->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    if (scroll)
        scrollTo(cell);
}

void RecordGrid::sortByColumnClick(int col)
{
    if (col < 0 || col >= columnCount())
        return;
    const bool flip = col == m_sortedColumn;
    sortRows(col, flip && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder, flip);
}

void RecordGrid::sortAgain()
{
    if (m_sortedColumn < 0 || m_sortedColumn >= columnCount())
        return;
    try {
        sortRows(m_sortedColumn, m_sortOrder, false);
    } catch (const QmError &) {
        m_sortedColumn = -1;
        m_lastSortColumn = -1;
        showSortIndicator();
    }
}

void RecordGrid::sortRows(int col, Qt::SortOrder order, bool mayReverse)
{
    const bool descending = order == Qt::DescendingOrder;
    RowStore &rows = m_model->store();
    const int selectedSlot = m_selectedRow >= 0 ? rows.slotOfRow(m_selectedRow) : -1;

    beginBulkChange();
    try {
        if (mayReverse && col == m_lastSortColumn && rows.generation() == m_lastSortGeneration) {
            rows.reverseOrder();
        } else {
            switch (m_model->columns()[col].sortKind) {
            case SortKind::Alphabetic:
                sortRowsAlphabetic(rows, col, descending);
                break;
            case SortKind::Numeric:
                sortRowsNumeric(rows, col, descending);
                break;
            case SortKind::Custom:
                sortRowsCustom(rows, col, descending, m_customCompare);
                break;
            }
        }
    } catch (...) {
        endBulkChange();
        throw;
    }
    m_sortedColumn = col;
    m_sortOrder = order;
    m_lastSortColumn = col;
    m_lastSortGeneration = rows.generation();
    if (selectedSlot >= 0) {
        const std::vector<std::uint32_t> &slots = rows.order();
        for (std::size_t r = 0; r < slots.size(); ++r) {
            if (slots[r] == static_cast<std::uint32_t>(selectedSlot)) {
                m_selectedRow = static_cast<int>(r);
                break;
            }
        }
    }
    m_model->endBulkChange();
    showSelection(true);
    showSortIndicator();
}

bool RecordGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_headerPressAt = static_cast<QMouseEvent *>(event)->position().toPoint();
            m_headerPressMoved = false;
        } else if (event->type() == QEvent::MouseMove) {
            // From the drag distance on, the header moves the column.
            const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
            const int drag = QApplication::startDragDistance();
            if (qAbs(at.x() - m_headerPressAt.x()) >= drag || qAbs(at.y() - m_headerPressAt.y()) >= drag)
                m_headerPressMoved = true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void RecordGrid::headerClicked(int section)
{
    if (m_headerPressMoved)
        return; // the press moved: a drag of the column, even one that ends where it began
    runGuarded(this, [this, section] { sortByColumnClick(section); });
}

void RecordGrid::showSortIndicator()
{
    horizontalHeader()->setSortIndicator(m_sortedColumn, m_sortOrder);
    viewport()->update();
}

void RecordGrid::mousePressEvent(QMouseEvent *event)
{
    // One cell, by either button; no drag selection, no editing.
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        const QModelIndex cell = indexAt(event->position().toPoint());
        if (cell.isValid()) {
            const int row = m_model->storeRow(cell.row());
            selectCell(cell.column(), row);
            if (m_rowMarking) {
                const Qt::KeyboardModifiers mods = event->modifiers();
                if (event->button() == Qt::RightButton) {
                    // The menu acts on the marked rows when it opens on one of them.
                    if (!isRowMarked(row))
                        markTo(row, false);
                } else if (mods & Qt::ControlModifier) {
                    toggleMark(row);
                } else {
                    markTo(row, mods & Qt::ShiftModifier);
                }
            }
        }
    }
    event->accept();
}

void RecordGrid::setRowMarking(bool on)
{
    m_rowMarking = on;
    m_markedSlots.clear();
    m_markedCount = 0;
    m_anchorSlot = -1;
    viewport()->update();
}

bool RecordGrid::marksCurrent() const
{
    return m_marksClearCount == m_model->store().clearCount();
}

bool RecordGrid::isRowMarked(int row) const
{
    if (!m_rowMarking || !marksCurrent() || row < 0 || row >= RowCount())
        return false;
    const auto slot = static_cast<std::size_t>(m_model->store().slotOfRow(row));
    return slot < m_markedSlots.size() && m_markedSlots[slot] != 0;
}

int RecordGrid::markedCount() const
{
    return m_rowMarking && marksCurrent() ? m_markedCount : 0;
}

std::vector<int> RecordGrid::markedRows() const
{
    std::vector<int> rows;
    if (markedCount() == 0)
        return rows;
    const int shown = m_model->rowCount();
    for (int view = 0; view < shown; ++view) {
        const int row = m_model->storeRow(view);
        if (isRowMarked(row))
            rows.push_back(row);
    }
    return rows;
}

void RecordGrid::toggleMark(int row)
{
    const RowStore &rows = m_model->store();
    if (!marksCurrent()) {
        m_markedSlots.clear();
        m_markedCount = 0;
        m_marksClearCount = rows.clearCount();
    }
    m_markedSlots.resize(static_cast<std::size_t>(rows.rowCount()), 0);
    const auto slot = static_cast<std::size_t>(rows.slotOfRow(row));
    m_markedSlots[slot] = m_markedSlots[slot] ? 0 : 1;
    m_markedCount += m_markedSlots[slot] ? 1 : -1;
    m_anchorSlot = static_cast<int>(slot);
    viewport()->update();
}

void RecordGrid::markTo(int row, bool extend)
{
    const RowStore &rows = m_model->store();
    const bool current = marksCurrent();
    m_marksClearCount = rows.clearCount();
    m_markedSlots.assign(static_cast<std::size_t>(rows.rowCount()), 0);
    const int slot = rows.slotOfRow(row);
    int from = m_model->viewRow(row);
    int to = from;
    if (extend && current && m_anchorSlot >= 0 && m_anchorSlot < rows.rowCount()) {
        // The anchor's row: the row that now holds its slot.
        const std::vector<std::uint32_t> &order = rows.order();
        for (std::size_t r = 0; r < order.size(); ++r) {
            if (order[r] == static_cast<std::uint32_t>(m_anchorSlot)) {
                const int anchorView = m_model->viewRow(static_cast<int>(r));
                if (anchorView >= 0)
                    from = anchorView;
                break;
            }
        }
    } else {
        m_anchorSlot = slot;
    }
    if (from > to)
        std::swap(from, to);
    m_markedCount = 0;
    for (int view = from; view >= 0 && view <= to; ++view, ++m_markedCount)
        m_markedSlots[static_cast<std::size_t>(rows.slotOfRow(m_model->storeRow(view)))] = 1;
    if (from < 0) {
        m_markedSlots[static_cast<std::size_t>(slot)] = 1;
        m_markedCount = 1;
    }
    viewport()->update();
}

void RecordGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex cell = indexAt(event->position().toPoint());
    event->accept();
    if (!cell.isValid())
        return;
    const int row = m_model->storeRow(cell.row());
    const int col = cell.column();
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        selectCell(col, row);
    Q_EMIT OnCellDblClick(col, row);
}

void RecordGrid::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void RecordGrid::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

int RecordGrid::rowsPerPage() const
{
    return qMax(1, viewport()->height() / gridRowHeight - 1);
}

// Up and Down go to the nearest visible row; nothing moves while no cell is selected.
void RecordGrid::moveSelection(int rowStep, int columnStep)
{
    if (m_selectedRow < 0)
        return;
    int row = m_selectedRow;
    if (rowStep != 0) {
        int view = m_model->viewRow(row);
        if (view < 0) {
            // From a hidden row the first step lands on its visible neighbour.
            row = m_model->visibleNeighbour(row, rowStep < 0 ? -1 : 1);
            if (row < 0)
                return;
            view = m_model->viewRow(row);
            rowStep += rowStep < 0 ? 1 : -1;
        }
        const qint64 target = qBound<qint64>(0, qint64(view) + rowStep, qint64(m_model->rowCount()) - 1);
        row = m_model->storeRow(static_cast<int>(target));
    }
    int col = m_selectedColumn;
    if (columnStep != 0) {
        QHeaderView *header = horizontalHeader();
        int visual = header->visualIndex(col) + columnStep;
        while (visual >= 0 && visual < header->count() && header->isSectionHidden(header->logicalIndex(visual)))
            visual += columnStep;
        if (visual >= 0 && visual < header->count())
            col = header->logicalIndex(visual);
    }
    if (m_model->viewRow(row) < 0)
        return; // a hidden selected row with nothing visible beyond it
    selectCell(col, row);
}

void RecordGrid::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT OnKeyDown(event);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int before = m_selectedRow;
    switch (event->key()) {
    case Qt::Key_Up:
        moveSelection(-1, 0);
        break;
    case Qt::Key_Down:
        moveSelection(1, 0);
        break;
    case Qt::Key_PageUp:
        moveSelection(-rowsPerPage(), 0);
        break;
    case Qt::Key_PageDown:
        moveSelection(rowsPerPage(), 0);
        break;
    case Qt::Key_Left:
        moveSelection(0, -1);
        break;
    case Qt::Key_Right:
        moveSelection(0, 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A pick from the keyboard, as a double-click on the selected cell.
        if (m_selectedRow >= 0 && m_model->viewRow(m_selectedRow) >= 0)
            Q_EMIT OnCellDblClick(m_selectedColumn, m_selectedRow);
        else
            event->ignore();
        return;
    case Qt::Key_Home:
        if (ctrl)
            moveSelection(-RowCount(), 0);
        else
            moveSelection(0, -columnCount());
        break;
    case Qt::Key_End:
        if (ctrl)
            moveSelection(RowCount(), 0);
        else
            moveSelection(0, columnCount());
        break;
    default:
        // No type-ahead, no select-all, no editing keys.
        event->ignore();
        return;
    }
    if (m_rowMarking && m_selectedRow >= 0 && (m_selectedRow != before || (event->modifiers() & Qt::ShiftModifier)))
        markTo(m_selectedRow, event->modifiers() & Qt::ShiftModifier);
    event->accept();
}

void RecordGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // Reached by Tab, the grid offers its first shown row, so that the keys
    // can move and pick from there; a shown selection stays.
    const bool byTab = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (byTab && m_model->rowCount() > 0 && (m_selectedRow < 0 || m_model->viewRow(m_selectedRow) < 0))
        selectCell(m_selectedColumn < 0 ? 0 : m_selectedColumn, m_model->storeRow(0));
    viewport()->update();
}

void RecordGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}
