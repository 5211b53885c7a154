#include "grid/RecordGridFilter.h"

#include "grid/FilterRows.h"
#include "grid/RecordGrid.h"

void FilterRows(RecordGrid &grid, int column, const QString &text)
{
    if (grid.RowCount() == 0)
        return;
    grid.beginBulkChange();
    try {
        FilterRows(grid.store(), column, text);
    } catch (...) {
        grid.endBulkChange();
        throw;
    }
    grid.endBulkChange();
}
