#include "db/LoadThread.h"

#include "db/Connection.h"
#include "db/QueryKill.h"

#include <mysql.h>

#include <sys/socket.h>

// What the load's thread and the query killer share; the killer may outlive
// the LoadThread (a kill that waits for a silent server), so it holds its own.
struct LoadThread::Shared
{
    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;
};

LoadThread::LoadThread(RowStore &store, DbConnection &connection, QByteArray query, RowStore previous,
                       std::function<void()> onFinished)
    : m_shared(std::make_shared<Shared>())
    , m_previous(std::move(previous))
    , m_onFinished(std::move(onFinished))
    , m_login(connection.login())
{
    if (MYSQL *mysql = connection.handle()) {
        m_serverThread = mysql_thread_id(mysql);
        m_socket = static_cast<int>(mysql_get_socket(mysql));
    }
    m_thread = std::thread([this, &store, &connection, query = std::move(query)] { run(store, connection, query); });
}

LoadThread::~LoadThread()
{
    if (!finished()) {
        cancel();
        if (!waitFinished(std::chrono::seconds(1)))
            breakConnection();
    }
    m_thread.join();
}

void LoadThread::run(RowStore &store, DbConnection &connection, const QByteArray &query)
{
    m_previous = RowStore();
    try {
        m_outcome = LoadTable(store, connection, query, &m_control);
    } catch (...) {
        m_error = std::current_exception();
    }
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->finished = true;
    }
    m_shared->changed.notify_all();
    if (m_onFinished)
        m_onFinished();
}

bool LoadThread::waitFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, timeout, [this] { return m_shared->finished; });
}

bool LoadThread::finished() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->finished;
}

void LoadThread::cancel()
{
    m_control.cancelRequested.store(true);
    if (m_killerStarted || m_serverThread == 0)
        return;
    m_killerStarted = true;
    // Detached: a server that does not answer keeps the killer for up to a
    // second per try, and nobody waits for it.
    std::thread([shared = m_shared, login = m_login, id = m_serverThread] {
        std::unique_lock lock(shared->mutex);
        while (!shared->finished) {
            lock.unlock();
            KillQuery(login, id);
            lock.lock();
            shared->changed.wait_for(lock, std::chrono::milliseconds(250), [&] { return shared->finished; });
        }
    }).detach();
}

void LoadThread::breakConnection()
{
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}

LoadOutcome LoadThread::outcome()
{
    if (m_error)
        std::rethrow_exception(m_error);
    return m_outcome;
}
