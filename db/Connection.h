#pragma once

#include "db/DbLogin.h"

#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class DbWork;
class QueryKiller;
struct st_mysql;

// The one connection of the process: the client library's connection record
// and the Connected flag. A record exists only while a connect has made it
// good; every query of the table loader and the script check runs on it, as a
// DbWork on a thread of its own. The connection knows the work running on it
// and waits for the threads that ended its queries before it is used again.
class DbConnection
{
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // How long a connect waits for the server.
    static constexpr DbTimeouts connectTimeouts{10, 0};

    // Connects anew to host with the account and password: no database, no
    // client flags, no TLS (as the library's plain connect), the text in
    // cp1251, giving up after 10 seconds; endpoint names a port or socket
    // other than the defaults. The earlier connection goes first, whatever
    // this attempt comes to.
    // Text that cp1251 cannot hold is never sent: the attempt fails with a
    // text naming the box, never the text itself (it may be the password).
    // Sets Connected to 1 on success; a failure never sets it back to 0.
    // Throws QmError while a work runs on the connection.
    ConnectOutcome connect(const QString &host, const QString &user, const QString &password,
                           const DbEndpoint &endpoint = {});
    // The same for a login made beforehand: its address, TLS and compression.
    ConnectOutcome connect(const DbLogin &login);

    // A connect in two steps, for a connect made off this thread: the
    // earlier connection goes (throws QmError while a work runs on it), then
    // the attempt's end is handed over: a connected record becomes the
    // connection (Connected := 1), a failure is kept for errorText(), and a
    // cancelled attempt leaves no connection. beginConnect tells whether a
    // working connection went; when a cancelled attempt took one, errorText()
    // says so from then on.
    bool beginConnect();
    void endConnect(ClientRecord record, const DbLogin &login, const ConnectOutcome &outcome);

    // The library's error number and text of the last call on the record;
    // without a record, or with a lost one, why there is no connection and
    // what to do about it.
    unsigned errorNumber() const;
    QString errorText() const;

    // Whether the connection was lost: its socket cut to end a query the
    // server did not give up, or the server gone, restarted or ending the
    // session. Nothing is sent on it any more (handle() is null) until the
    // next connect; Connected stays 1 and the close at exit still closes the
    // record, as for any connection that was made.
    bool lost() const { return m_lost; }

    // Selects the database; returns the library's result (0 = success). A
    // name that cp1251 cannot hold is not sent: the result is 1 and
    // *refusal (when given) says why.
    int selectDatabase(const QString &name, QString *refusal = nullptr);

    // Whether a work runs on the connection now (it takes no other meanwhile).
    bool busy() const { return m_activeWork != nullptr; }

    // 1 once a connect has succeeded, for the rest of the object's life.
    int Connected() const { return m_connected; }

    // The end of the run's first step on the connection: stops the work
    // running on it (see DbWork::stop) and waits for every thread that ends
    // its queries, all within bound. False when one of them has not ended by
    // then: the record must not be closed or freed.
    bool stopActiveWork(std::chrono::milliseconds bound);

    // The close at exit: closes the record when there is a connected one,
    // but never while a work's thread may still use it.
    void closeAtExit();

    // The record, for the table loader and the check; null while there is no
    // connection or it is lost.
    st_mysql *handle() const { return m_lost ? nullptr : m_mysql; }
    const DbLogin &login() const { return m_login; }
    // How long the connect took: the second connection that ends a query
    // takes about as long (a slow link, a tunnel).
    std::chrono::milliseconds connectTook() const { return m_connectTook; }

private:
    friend class DbWork;
    // A work starts: what earlier work left behind (a cancel on its way) is
    // waited for first, so it cannot reach the new work's query.
    void beginWork(DbWork *work);
    // The work has ended and its thread is joined: cut tells whether its
    // socket was shut; killer, if any, may still be ending its try.
    void endWork(DbWork *work, bool cut, std::unique_ptr<QueryKiller> killer);
    void joinKillers();

    void releaseRecord();

    st_mysql *m_mysql = nullptr;
    int m_connected = 0;
    // The failure of the last connect attempt, while it left no record.
    ConnectOutcome m_lastFailure;
    bool m_closedAtExit = false;
    bool m_lost = false;
    // The working connection went with an attempt that was then cancelled.
    bool m_droppedByCancel = false;
    bool m_droppingWorking = false;
    // The error that told of the loss.
    ConnectOutcome m_loss;
    DbLogin m_login;
    std::chrono::milliseconds m_connectTook{0};
    DbWork *m_activeWork = nullptr;
    std::vector<std::unique_ptr<QueryKiller>> m_killers;
};
