#pragma once

#include <QByteArray>

class DbConnection;
class RecordGrid;

// Fills a record grid from one query (see the core LoadTable) as one bulk
// change of the grid, with the wait cursor during the blocking call. A load
// without a result leaves the grid empty and throws QmError with the
// library's error text; a number column's parse error is thrown as well.
void LoadTable(RecordGrid &grid, DbConnection &connection, const QByteArray &query);
