#include "db/Connection.h"

#include "base/Codepage.h"
#include "base/Error.h"

#include <errmsg.h>
#include <mysql.h>

using namespace Qt::StringLiterals;

namespace {

constexpr unsigned connectTimeoutSeconds = 10;

QByteArray toCp1251(const QString &text, const QString &what)
{
    QByteArray bytes;
    if (!Cp1251::encodeInto(text, bytes))
        throw QmError(u"%1 \"%2\" holds characters that code page 1251 cannot represent"_s
                          .arg(what, text));
    return bytes;
}

} // namespace

DbConnection::DbConnection()
{
    openRecord();
}

DbConnection::~DbConnection()
{
    releaseRecord();
}

void DbConnection::openRecord()
{
    m_mysql = mysql_init(nullptr);
    if (!m_mysql)
        throw QmError(u"Out of memory for the database connection"_s);
    mysql_options(m_mysql, MYSQL_SET_CHARSET_NAME, "cp1251");
    mysql_options(m_mysql, MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeoutSeconds);
}

void DbConnection::releaseRecord()
{
    if (m_mysql)
        mysql_close(m_mysql);
    m_mysql = nullptr;
}

void DbConnection::connect(const QString &host, const QString &user, const QString &password,
                           const DbEndpoint &endpoint)
{
    const QByteArray hostBytes = toCp1251(host, u"Host"_s);
    const QByteArray userBytes = toCp1251(user, u"User name"_s);
    const QByteArray passwordBytes = toCp1251(password, u"Password"_s);

    // One record for the whole process: the earlier connection (or the
    // leftovers of a failed attempt) goes before the new attempt.
    releaseRecord();
    openRecord();

    m_login = {hostBytes, userBytes, passwordBytes, endpoint};
    const char *socket = endpoint.socket.isEmpty() ? nullptr : endpoint.socket.constData();
    if (mysql_real_connect(m_mysql, hostBytes.constData(), userBytes.constData(),
                           passwordBytes.constData(), nullptr, endpoint.port, socket, 0))
        m_connected = 1;
}

unsigned DbConnection::errorNumber() const
{
    return m_mysql ? mysql_errno(m_mysql) : CR_UNKNOWN_ERROR;
}

QString DbConnection::errorText() const
{
    if (!m_mysql)
        return u"The connection is closed"_s;
    const char *text = mysql_error(m_mysql);
    return Cp1251::decode(text, qsizetype(qstrlen(text)));
}

int DbConnection::selectDatabase(const QString &name)
{
    const QByteArray nameBytes = toCp1251(name, u"Database name"_s);
    if (!m_mysql)
        return 1;
    return mysql_select_db(m_mysql, nameBytes.constData());
}

void DbConnection::closeAtExit()
{
    if (m_connected == 1)
        releaseRecord();
}
