#pragma once

#include <functional>

class DbConnection;

// The connection's part of the end of a run, once the exit files are written:
// the work running on the connection is stopped (cancel, cut, join: two
// seconds at most), then the connection is closed, then closeRoute ends the
// way to it (the SSH tunnel), so that nothing it started outlives the
// program. A thread that could not be joined by then ends the process at once
// with exitStatus, after closeRoute, rather than have the close free what
// that thread still uses.
void closeConnectionAtExit(DbConnection &connection, int exitStatus, const std::function<void()> &closeRoute);
