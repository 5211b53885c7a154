#pragma once

#include <QStringView>

class RowStore;

// Shows exactly the rows whose cell in `column` contains `text` as a
// contiguous substring, both upper-cased in the letters a to z only; every
// other character compares unchanged, nothing is trimmed. An empty text shows
// every row; an empty store is left alone. One pass over the column.
void FilterRows(RowStore &store, int column, QStringView text);
