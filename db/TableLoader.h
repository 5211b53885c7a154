#pragma once

#include "db/WorkControl.h"

#include <QByteArray>
#include <QString>

class DbConnection;
class RowStore;

// What one load came to. A load without a result (no connection, a failed
// query, a statement that returns no rows, a result cut off by the server or
// the network) has loaded == false and the library's error text; the store
// is then empty. A cancelled load is neither loaded nor has an error text.
struct LoadOutcome
{
    bool loaded = false;
    bool cancelled = false;
    int rows = 0;
    QString errorText;
};

// Empties the store and fills it from one query on the connection, reading
// the result as a stream as the server sends it: one store row per result
// row in the server's order, column c of the result into column c of the
// store. NULL becomes an empty text; fields beyond the store's columns are
// dropped. A value that a number column cannot take throws the store's
// QmError. On every way out but success the store is emptied and the rest of
// the result is read and dropped, so the connection is ready for the next
// query. With a control, the load counts its rows into its progress and
// stops early when asked (the rest of the result is still drained).
LoadOutcome LoadTable(RowStore &store, DbConnection &connection, const QByteArray &query,
                      WorkControl *control = nullptr);
