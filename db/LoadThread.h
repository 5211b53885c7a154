#pragma once

#include "db/Connection.h"
#include "db/TableLoader.h"
#include "grid/RowStore.h"

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>


// Runs one LoadTable on a thread of its own, so that whoever started it stays
// free to show progress and to end the load while the client library blocks
// in a read. The store and the connection belong to the load until it has
// finished: nobody else touches them meanwhile.
class LoadThread
{
public:
    // Starts the load at once; its thread first frees the rows of previous
    // (a table the store's owner no longer shows). onFinished, if given, is
    // called on the load's thread when it ends, however it ends.
    LoadThread(RowStore &store, DbConnection &connection, QByteArray query, RowStore previous = {},
               std::function<void()> onFinished = {});
    // Cancels a load still running and waits for its thread.
    ~LoadThread();
    LoadThread(const LoadThread &) = delete;
    LoadThread &operator=(const LoadThread &) = delete;

    // Waits at most timeout; true once the load has finished.
    bool waitFinished(std::chrono::milliseconds timeout);
    bool finished() const;
    int rowsRead() const { return m_control.rowsRead.load(std::memory_order_relaxed); }

    // Asks the load to stop and ends the server's query from a second
    // connection (again every quarter second until the load has ended, in
    // case the query had not reached the server yet). Returns at once.
    void cancel();
    bool cancelRequested() const { return m_control.cancelRequested.load(); }
    // Last resort when the server answers nothing: shuts the connection's
    // socket so that a read blocked on it returns. The connection is lost.
    void breakConnection();

    // Once finished: what the load came to; rethrows an error raised in it.
    LoadOutcome outcome();

private:
    struct Shared;

    void run(RowStore &store, DbConnection &connection, const QByteArray &query);

    LoadControl m_control;
    std::shared_ptr<Shared> m_shared;
    RowStore m_previous;
    std::function<void()> m_onFinished;
    LoadOutcome m_outcome;
    std::exception_ptr m_error;
    DbLogin m_login;
    unsigned long m_serverThread = 0;
    int m_socket = -1;
    bool m_killerStarted = false;
    std::thread m_thread;
};
