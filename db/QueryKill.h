#pragma once

#include "db/DbLogin.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Ends the statement that the server's thread threadId is running (KILL
// QUERY) from a second, short-lived connection made from the same login. The
// connection of that thread stays open and usable. Gives up after about
// patience (at least a second) when the server does not answer; returns false
// with the library's text then, or when the kill was refused.
bool KillQuery(const DbLogin &login, unsigned long threadId, QString *errorText = nullptr,
               std::chrono::milliseconds patience = std::chrono::seconds(1));

// Tries KillQuery on a thread of its own, again every quarter second (the
// query may not have reached the server yet), until told that the work has
// ended. Each try waits for the server as long as patience: over a slow link
// the kill's own handshake is as slow as the connect was. Its thread is owned: it goes with the object, after the try under
// way, and waitDone says beforehand whether that will be at once.
class QueryKiller
{
public:
    QueryKiller(DbLogin login, unsigned long threadId, std::chrono::milliseconds patience);
    ~QueryKiller();
    QueryKiller(const QueryKiller &) = delete;
    QueryKiller &operator=(const QueryKiller &) = delete;

    // No new try after the one under way.
    void workEnded();
    // Waits until no try is under way any more and none will follow, at most
    // until deadline; true once that is so.
    bool waitDone(std::chrono::steady_clock::time_point deadline);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_workEnded = false;
    bool m_done = false;
    std::thread m_thread;
};
