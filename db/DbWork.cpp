#include "db/DbWork.h"

#include "db/Connection.h"
#include "db/QueryKill.h"

#include <mysql.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

DbWork::DbWork(DbConnection &connection, Job job, std::function<void()> onFinished)
    : m_connection(connection)
    , m_onFinished(std::move(onFinished))
    , m_login(connection.login())
    , m_grace(std::max(cancelGrace, 3 * connection.connectTook()))
{
    m_connection.beginWork(this);
    if (MYSQL *mysql = connection.handle()) {
        m_serverThread = mysql_thread_id(mysql);
        m_cutSocket = ::fcntl(static_cast<int>(mysql_get_socket(mysql)), F_DUPFD_CLOEXEC, 0);
    }
    try {
        m_thread = std::thread([this, job = std::move(job)] { run(job); });
    } catch (...) {
        m_finished = true;
        settle();
        throw;
    }
}

DbWork::~DbWork()
{
    finish();
}

void DbWork::run(const Job &job)
{
    try {
        job(m_control);
    } catch (...) {
        m_error = std::current_exception();
    }
    {
        // Under the lock that cancel() and cut() decide under: after this, neither touches the connection.
        const std::lock_guard lock(m_mutex);
        m_finished = true;
        if (m_killer)
            m_killer->workEnded();
    }
    m_changed.notify_all();
    if (m_onFinished)
        m_onFinished();
}

bool DbWork::waitFinished(std::chrono::milliseconds timeout)
{
    return waitUntil(Clock::now() + timeout);
}

bool DbWork::waitUntil(Clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, deadline, [this] { return m_finished; });
}

bool DbWork::finished() const
{
    const std::lock_guard lock(m_mutex);
    return m_finished;
}

void DbWork::cancel()
{
    m_control.cancelRequested.store(true);
    const std::lock_guard lock(m_mutex);
    if (m_finished || m_killer || m_serverThread == 0)
        return;
    m_killer = std::make_unique<QueryKiller>(m_login, m_serverThread, m_grace);
}

void DbWork::cut()
{
    const std::lock_guard lock(m_mutex);
    if (m_finished || m_cut || m_cutSocket < 0)
        return;
    ::shutdown(m_cutSocket, SHUT_RDWR);
    m_cut = true;
}

void DbWork::finish()
{
    if (m_settled)
        return;
    if (!finished()) {
        cancel();
        if (!waitFinished(m_grace))
            cut();
    }
    // After a cut every read on the socket returns at once.
    m_thread.join();
    settle();
}

bool DbWork::stop(std::chrono::milliseconds bound)
{
    m_stopped = true;
    if (m_settled)
        return true;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + bound;
    if (!finished()) {
        cancel();
        if (!waitUntil(start + std::min<Clock::duration>(m_grace, bound / 2)))
            cut();
        if (!waitUntil(deadline))
            return false;
    }
    m_thread.join();
    QueryKiller *killer = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        killer = m_killer.get();
    }
    if (killer && !killer->waitDone(deadline))
        return false;
    settle();
    return true;
}

void DbWork::settle()
{
    m_settled = true;
    if (m_cutSocket >= 0)
        ::close(m_cutSocket);
    m_cutSocket = -1;
    std::unique_ptr<QueryKiller> killer;
    {
        const std::lock_guard lock(m_mutex);
        killer = std::move(m_killer);
    }
    m_connection.endWork(this, m_cut, std::move(killer));
}

void DbWork::rethrowError() const
{
    if (m_error)
        std::rethrow_exception(m_error);
}
