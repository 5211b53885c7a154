#pragma once

#include <QByteArray>
#include <QString>

struct st_mysql;

// Where to reach the server when not through the library's defaults. The
// window never sets it (default port, and the socket from MYSQL_UNIX_PORT);
// tools and tests that talk to a second server do.
struct DbEndpoint
{
    unsigned port = 0;
    QByteArray socket;
};

// What the last connect was given, in the bytes sent: a second, short-lived
// connection made with it can end a query that the first one is running.
struct DbLogin
{
    QByteArray host, user, password;
    DbEndpoint endpoint;
};

// The one connection of the process: the client library's connection record
// and the Connected flag. The record is created with the object and lives
// until the object goes; every query of the table loader runs on it.
class DbConnection
{
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // Connects anew to host with the account and password: no database, no
    // client flags, the text in cp1251, giving up after 10 seconds. An earlier
    // connection is closed first. The outcome is read from errorNumber().
    // Sets Connected to 1 on success; a failure never sets it back to 0.
    // Throws QmError when a text cannot be written in cp1251.
    void connect(const QString &host, const QString &user, const QString &password,
                 const DbEndpoint &endpoint = {});

    // The library's error number and text of the last call on the record.
    unsigned errorNumber() const;
    QString errorText() const;

    // Selects the database; returns the library's result (0 = success).
    // Throws QmError when the name cannot be written in cp1251.
    int selectDatabase(const QString &name);

    // 1 once a connect has succeeded, for the rest of the object's life.
    int Connected() const { return m_connected; }

    // The close at exit: closes the record when Connected is 1. The record
    // of a connection that never succeeded is released by the destructor.
    void closeAtExit();

    // The record, for the table loader; null after closeAtExit().
    st_mysql *handle() const { return m_mysql; }
    const DbLogin &login() const { return m_login; }

private:
    void openRecord();
    void releaseRecord();

    st_mysql *m_mysql = nullptr;
    int m_connected = 0;
    DbLogin m_login;
};
