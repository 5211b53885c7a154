#include "grid/RecordGridDelegate.h"

#include "grid/RecordGrid.h"
#include "grid/RecordGridModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

RecordGridDelegate::RecordGridDelegate(RecordGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

QColor RecordGridDelegate::darker(const QColor &color)
{
    return QColor(color.red() * 245 / 256, color.green() * 245 / 256, color.blue() * 245 / 256, color.alpha());
}

void RecordGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (m_grid->isRowMarked(m_grid->gridModel()->storeRow(index.row())))
        opt.state |= QStyle::State_Selected;
    const bool selected = opt.state & QStyle::State_Selected;
    if (!m_grid->hasFocus())
        opt.state &= ~QStyle::State_Selected;
    opt.state &= ~QStyle::State_HasFocus;

    QColor background = opt.palette.color(QPalette::Active, QPalette::Base);
    if (!selected && m_grid->sortedColumnStyle() == SortedColumnStyle::Darker
        && index.column() == m_grid->sortedColumn())
        background = darker(background);
    opt.backgroundBrush = background;

    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}
