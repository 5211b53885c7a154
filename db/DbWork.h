#pragma once

#include "db/DbLogin.h"
#include "db/WorkControl.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class DbConnection;
class QueryKiller;

// Runs one piece of work on the connection (a table load, a script check) on a
// thread of its own, so that whoever started it stays free to show progress
// and to end it while the client library blocks in a read. The connection
// belongs to the work until it has finished: nobody else uses it meanwhile.
// The connection knows the work running on it, so that the end of the run can
// stop it without knowing what it is.
//
// Ending it early: cancel() asks the work to stop and has the server end its
// query from a second connection; cut() shuts the connection's socket, so that
// a read blocked on a server that answers nothing returns (the connection is
// lost then). A cut happens only while the work still runs, never to a work
// that has ended in the meantime.
//
// Every member but progress() and finished() belongs to the thread that made
// the object.
class DbWork
{
public:
    using Job = std::function<void(WorkControl &)>;

    // How long a cancelled work may take before its connection is cut, at
    // least: the query is ended from a second connection, which takes about
    // as long to make as the work's own, so a slow way (a tunnel over a slow
    // link) gets three times that.
    static constexpr std::chrono::milliseconds cancelGrace{900};
    std::chrono::milliseconds grace() const { return m_grace; }

    // Starts job at once, first waiting for what an earlier work left behind
    // (a cancel still on its way). onFinished, if given, is called on the
    // work's thread when the job has returned, however it returned.
    DbWork(DbConnection &connection, Job job, std::function<void()> onFinished = {});
    // finish().
    ~DbWork();
    DbWork(const DbWork &) = delete;
    DbWork &operator=(const DbWork &) = delete;

    // Waits at most timeout; true once the job has returned.
    bool waitFinished(std::chrono::milliseconds timeout);
    bool finished() const;
    int progress() const { return m_control.progress.load(std::memory_order_relaxed); }

    // Asks the job to stop and has the server end the query, trying again
    // every quarter second until the work has ended (the query may not have
    // reached the server yet). Returns at once.
    void cancel();
    bool cancelRequested() const { return m_control.cancelRequested.load(); }
    void cut();

    // Ends the work if it still runs (cancel, and the cut after cancelGrace),
    // waits for its thread and tells the connection what became of it. Later
    // calls do nothing.
    void finish();
    // The end of the run's way to finish(): cancel, wait, cut, wait, join, all
    // within bound. False when a thread (the work's, or the one ending its
    // query) has not ended by then: what it uses must then not be freed.
    bool stop(std::chrono::milliseconds bound);
    // Whether stop() has ended the work: the run is ending.
    bool stopped() const { return m_stopped; }
    // Once finished: rethrows an error raised in the job.
    void rethrowError() const;

private:
    void run(const Job &job);
    bool waitUntil(std::chrono::steady_clock::time_point deadline);
    void settle();

    DbConnection &m_connection;
    WorkControl m_control;
    std::function<void()> m_onFinished;
    std::exception_ptr m_error;
    DbLogin m_login;
    std::chrono::milliseconds m_grace = cancelGrace;
    unsigned long m_serverThread = 0;
    // A descriptor of our own for the connection's socket: a cut can never
    // reach a number that the library has closed and something else reused.
    int m_cutSocket = -1;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_finished = false;
    bool m_cut = false;
    std::unique_ptr<QueryKiller> m_killer;

    bool m_stopped = false;
    bool m_settled = false;
    std::thread m_thread;
};
