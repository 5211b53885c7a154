#pragma once

#include "grid/RowStore.h"

#include <QString>
#include <Qt>

enum class SortKind { Alphabetic, Numeric, Custom };
enum class SortedColumnStyle { Plain, Darker };

// One column of a record grid. Its index is its place in the grid's
// definition; moving the header changes only the display order.
struct GridColumn
{
    QString caption;
    int width;
    SortKind sortKind = SortKind::Alphabetic;
    CellKind cellKind = CellKind::Text;
    Qt::Alignment headerAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::Alignment cellAlignment = Qt::AlignLeft | Qt::AlignVCenter;
};
