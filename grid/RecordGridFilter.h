#pragma once

#include <QString>

class RecordGrid;

// The row filter on a grid: one pass over the column, one update of the view.
void FilterRows(RecordGrid &grid, int column, const QString &text);
