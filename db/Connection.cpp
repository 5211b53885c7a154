#include "db/Connection.h"

#include "base/Codepage.h"
#include "base/Error.h"
#include "db/DbWork.h"
#include "db/QueryKill.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QString libraryErrorText(MYSQL *mysql)
{
    const char *text = mysql_error(mysql);
    return Cp1251::decode(text, qsizetype(qstrlen(text)));
}

QString busyText()
{
    return u"Соединение занято: дождитесь конца загрузки или проверки"_s;
}

// The errors after which the session on the server is gone.
bool endsTheSession(unsigned errorNumber)
{
    switch (errorNumber) {
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case CR_SERVER_LOST_EXTENDED:
    case ER_CONNECTION_KILLED:
    case ER_SERVER_SHUTDOWN:
        return true;
    default:
        return false;
    }
}

} // namespace

DbConnection::DbConnection() = default;

DbConnection::~DbConnection()
{
    // No thread may outlive the record it reads.
    if (m_activeWork)
        m_activeWork->finish();
    joinKillers();
    releaseRecord();
}

void DbConnection::releaseRecord()
{
    if (m_mysql)
        mysql_close(m_mysql);
    m_mysql = nullptr;
}

ConnectOutcome DbConnection::connect(const QString &host, const QString &user, const QString &password,
                                     const DbEndpoint &endpoint)
{
    const ServerAddress address{host, endpoint.port, QFile::decodeName(endpoint.socket)};
    QString refusal;
    const std::optional<DbLogin> login = makeDbLogin(address, user, password, TlsOptions{TlsMode::Off, {}, false, {}},
                                                     &refusal);
    if (!login) {
        (void)beginConnect();
        endConnect(nullptr, {}, {CR_UNKNOWN_ERROR, refusal});
        return m_lastFailure;
    }
    return connect(*login);
}

ConnectOutcome DbConnection::connect(const DbLogin &login)
{
    (void)beginConnect();
    ClientRecord record = newClientRecord();
    const auto start = std::chrono::steady_clock::now();
    ConnectOutcome outcome = connectClientRecord(record.get(), login, connectTimeouts);
    outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    endConnect(std::move(record), login, outcome);
    return outcome;
}

bool DbConnection::beginConnect()
{
    // One connection for the whole process: the earlier one goes before the
    // new attempt, also when the attempt fails; never under a work that reads it.
    if (m_activeWork)
        throw QmError(busyText());
    m_droppingWorking = m_mysql && !m_lost;
    m_droppedByCancel = false;
    joinKillers();
    releaseRecord();
    m_login = {};
    m_closedAtExit = false;
    m_lost = false;
    m_lastFailure = {};
    return m_droppingWorking;
}

void DbConnection::endConnect(ClientRecord record, const DbLogin &login, const ConnectOutcome &outcome)
{
    if (outcome.cancelled) {
        m_droppedByCancel = m_droppingWorking;
        return;
    }
    if (outcome.errorNumber != 0 || !record) {
        // A record that never connected is not kept until the end: its memory
        // goes now, and nothing is closed at exit that was not connected.
        m_lastFailure = outcome;
        if (m_lastFailure.errorNumber == 0)
            m_lastFailure.errorNumber = CR_UNKNOWN_ERROR;
        return;
    }
    m_mysql = record.release();
    m_login = login;
    m_connectTook = outcome.took;
    m_connected = 1;
}

unsigned DbConnection::errorNumber() const
{
    if (m_lost)
        return m_loss.errorNumber;
    if (m_mysql)
        return mysql_errno(m_mysql);
    return m_lastFailure.errorNumber != 0 ? m_lastFailure.errorNumber : unsigned(CR_UNKNOWN_ERROR);
}

QString DbConnection::errorText() const
{
    if (m_lost)
        return u"Соединение с сервером потеряно (%1). Соединитесь заново на странице \"Соединение\""_s.arg(
            m_loss.errorText);
    if (m_mysql)
        return libraryErrorText(m_mysql);
    if (m_closedAtExit)
        return u"Соединение закрыто"_s;
    if (m_droppedByCancel)
        return u"Соединения с сервером нет: прежнее закрыто новой попыткой соединиться, а она отменена. "
               "Соединитесь заново на странице \"Соединение\""_s;
    if (m_lastFailure.errorNumber != 0)
        return u"Нет соединения с сервером: последняя попытка не удалась (%1). Соединитесь заново на "
               "странице \"Соединение\""_s.arg(m_lastFailure.errorText);
    return u"Соединения с сервером ещё нет: соединитесь на странице \"Соединение\""_s;
}

int DbConnection::selectDatabase(const QString &name, QString *refusal)
{
    QByteArray nameBytes;
    if (!Cp1251::encodeInto(name, nameBytes)) {
        if (refusal)
            *refusal = textOutsideCp1251(u"БД"_s);
        return 1;
    }
    if (!handle())
        return 1;
    joinKillers();
    return mysql_select_db(m_mysql, nameBytes.constData());
}

bool DbConnection::stopActiveWork(std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    bool ended = !m_activeWork || m_activeWork->stop(bound);
    for (const std::unique_ptr<QueryKiller> &killer : m_killers)
        ended = killer->waitDone(deadline) && ended;
    return ended;
}

void DbConnection::closeAtExit()
{
    if (m_activeWork)
        return;
    joinKillers();
    if (m_connected == 1 && m_mysql) {
        releaseRecord();
        m_closedAtExit = true;
    }
}

void DbConnection::beginWork(DbWork *work)
{
    if (m_activeWork)
        throw QmError(busyText());
    joinKillers();
    m_activeWork = work;
}

void DbConnection::endWork(DbWork *work, bool cut, std::unique_ptr<QueryKiller> killer)
{
    if (m_activeWork == work)
        m_activeWork = nullptr;
    if (killer)
        m_killers.push_back(std::move(killer));
    if (!m_mysql || m_lost)
        return;
    if (cut)
        m_loss = {CR_SERVER_LOST, u"соединение разорвано при отмене: сервер не прервал запрос"_s};
    else if (endsTheSession(mysql_errno(m_mysql)))
        m_loss = {mysql_errno(m_mysql), libraryErrorText(m_mysql)};
    else
        return;
    m_lost = true;
}

void DbConnection::joinKillers()
{
    m_killers.clear();
}
