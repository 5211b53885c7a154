#pragma once

#include <QByteArray>

struct st_mysql;

// Where to reach the server when not through the library's defaults. The
// window never sets it (default port, and the socket from MYSQL_UNIX_PORT);
// tools and tests that talk to a second server do.
struct DbEndpoint
{
    unsigned port = 0;
    QByteArray socket;
};

// How to reach the server and as whom, in the bytes sent. Every connection of
// the program is made from it: the one the window uses and the short-lived one
// that ends a query the first is running, so both speak the same code page and
// take the same way to the server.
struct DbLogin
{
    QByteArray host, user, password;
    DbEndpoint endpoint;
};

// How long a connection waits for the server; 0 leaves the library's own wait.
struct DbTimeouts
{
    unsigned connectSeconds = 0;
    unsigned readWriteSeconds = 0;
};

// Sets a fresh client record up as login says (the text in cp1251, the
// endpoint, no database, no client flags) and connects it. False on failure;
// the record then holds the library's error.
bool connectClientRecord(st_mysql *record, const DbLogin &login, const DbTimeouts &timeouts);
