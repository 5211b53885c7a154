#pragma once

#include <QString>

#include <optional>

struct st_mysql;

// Where the connection goes, as the client library takes it: a host and a
// port (0 = the library's default), or the path of a local server's socket.
struct ServerAddress
{
    QString host;
    unsigned port = 0;
    QString socket;

    // The library reaches "localhost" (and an empty host) through its default
    // socket whatever port it is given; a port typed for it means a server on
    // that TCP port, so the connect must be told to use TCP.
    bool needsTcp() const;
};

// What the operator typed, or why it cannot be used.
struct ServerAddressParse
{
    std::optional<ServerAddress> address;
    QString error;
};

// A port as typed: digits only, 1-65535; nullopt with *error (for the log)
// otherwise.
std::optional<unsigned> readPort(const QString &text, QString *error);

// Reads the host box and the port box. The host box may hold a host name or
// address, host:port, [IPv6]:port, a bare IPv6 address, or /path/to.sock; the
// port box a port or nothing (the default). Refuses, with a message for the
// log, a port outside 1-65535, two different ports, a port beside a socket, a
// socket path that does not exist or is not a socket, and a malformed address.
ServerAddressParse parseServerAddress(const QString &hostText, const QString &portText = QString());

// Sets what the record needs beyond mysql_real_connect's host, port and
// socket arguments to reach the address (the TCP protocol, see needsTcp).
void applyServerAddress(st_mysql *mysql, const ServerAddress &address);

// The library's text for a failed connect, made plain where the library's own
// words hide the cause (a host name that does not resolve); otherwise the
// library's text unchanged.
QString explainConnectError(unsigned errorNumber, const QString &libraryText, const ServerAddress &address);
