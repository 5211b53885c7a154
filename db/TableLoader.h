#pragma once

#include <QByteArray>
#include <QString>

class DbConnection;
class RowStore;

// What one load came to. A load without a result (no connection, a failed
// query, a statement that returns no rows) has loaded == false and the
// library's error text; the store is then empty.
struct LoadOutcome
{
    bool loaded = false;
    int rows = 0;
    QString errorText;
};

// Empties the store and fills it from one query on the connection: the whole
// result is read into memory first, then one store row per result row in the
// server's order, column c of the result into column c of the store. NULL
// becomes an empty text; fields beyond the store's columns are dropped.
// A value that a number column cannot take throws the store's QmError; the
// store is then emptied again and the result freed, like on every other path.
LoadOutcome LoadTable(RowStore &store, DbConnection &connection, const QByteArray &query);
