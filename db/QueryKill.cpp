#include "db/QueryKill.h"

#include "base/Codepage.h"
#include "db/DbLogin.h"

#include <mysql.h>

#include <algorithm>

namespace {

constexpr std::chrono::milliseconds retryEvery{250};

} // namespace

bool KillQuery(const DbLogin &login, unsigned long threadId, QString *errorText, std::chrono::milliseconds patience)
{
    const auto seconds = static_cast<unsigned>(std::max<std::chrono::milliseconds::rep>(1, (patience.count() + 999) / 1000));
    MYSQL *mysql = mysql_init(nullptr);
    if (!mysql)
        return false;
    bool killed = false;
    const ConnectOutcome connected = connectClientRecord(mysql, login, {seconds, seconds});
    if (connected.errorNumber == 0) {
        const QByteArray kill = "KILL QUERY " + QByteArray::number(qulonglong(threadId));
        killed = mysql_real_query(mysql, kill.constData(), static_cast<unsigned long>(kill.size())) == 0;
    }
    if (!killed && errorText) {
        const char *text = mysql_error(mysql);
        *errorText = connected.errorNumber != 0 ? connected.errorText : Cp1251::decode(text, qsizetype(qstrlen(text)));
    }
    mysql_close(mysql);
    return killed;
}

QueryKiller::QueryKiller(DbLogin login, unsigned long threadId, std::chrono::milliseconds patience)
{
    m_thread = std::thread([this, login = std::move(login), threadId, patience] {
        std::unique_lock lock(m_mutex);
        while (!m_workEnded) {
            lock.unlock();
            KillQuery(login, threadId, nullptr, patience);
            lock.lock();
            m_changed.wait_for(lock, retryEvery, [this] { return m_workEnded; });
        }
        m_done = true;
        m_changed.notify_all();
    });
}

QueryKiller::~QueryKiller()
{
    workEnded();
    m_thread.join();
}

void QueryKiller::workEnded()
{
    {
        const std::lock_guard lock(m_mutex);
        m_workEnded = true;
    }
    m_changed.notify_all();
}

bool QueryKiller::waitDone(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, deadline, [this] { return m_done; });
}
