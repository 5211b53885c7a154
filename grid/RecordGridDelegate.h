#pragma once

#include <QStyledItemDelegate>

class RecordGrid;

// Paints a record grid's cells: the selection only while the grid has the
// focus, the sorted column darker where the grid's style says so, and the
// cell background over the grid's empty-area colour.
class RecordGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit RecordGridDelegate(RecordGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Each channel scaled by 245/256: white becomes 244.
    static QColor darker(const QColor &color);

private:
    RecordGrid *m_grid;
};
