#pragma once

#include <QByteArray>
#include <QString>

class DbConnection;
class RecordGrid;
class DbShell;

// Fills a record grid from one query (see the core LoadTable) with the wait
// cursor for the whole load. The grid is emptied first and shows the new
// rows only once every row has arrived. The rows are read on a thread of
// their own (see runWithProgress): a load still running after half a second
// shows "Прочитано строк: N" and "Отмена", which ends it within a second,
// leaving the grid empty, and throws QmCancelled (QmRunEnding when the end of
// the run stopped it). A load without a result leaves the grid empty and
// throws QmError with the library's error text; a number column's parse
// error is thrown as well.
void LoadTable(RecordGrid &grid, DbConnection &connection, const QByteArray &query);

// The same on the shell's connection, with the load's one log line: the table
// loaded, the load cancelled or the load failed with the error's text (none
// when the end of the run stopped it). table names the table in the line.
void LoadTable(RecordGrid &grid, DbShell &shell, const QByteArray &query, const QString &table);
