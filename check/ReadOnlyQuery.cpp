#include "check/ReadOnlyQuery.h"

#include "base/Codepage.h"
#include "base/Error.h"
#include "db/Connection.h"

#include <mysql.h>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct ResultFree
{
    void operator()(MYSQL_RES *result) const { mysql_free_result(result); }
};

bool readsOnly(const QByteArray &sql)
{
    return sql.startsWith("SELECT ") || sql.startsWith("SHOW ") || sql.startsWith("WITH ");
}

// The server's numbers for a statement stopped by a limit: a lock waited for
// too long, MariaDB's max_statement_time and MySQL's MAX_EXECUTION_TIME.
constexpr unsigned lockWaitTimeout = 1205;
constexpr unsigned mariaDbStatementTimeout = 1969;
constexpr unsigned mySqlStatementTimeout = 3024;

} // namespace

ReadOnlyQuery::ReadOnlyQuery(DbConnection &connection)
    : m_connection(connection)
{
    if (!connection.Connected() || !connection.handle())
        throw QmError(u"Нет соединения с базой данных: скрипт не проверен. Соединитесь на странице \"Соединение\""_s);
    const char *info = mysql_get_server_info(connection.handle());
    m_dialect.mariaDb = info && std::strstr(info, "MariaDB");
    m_dialect.version = mysql_get_server_version(connection.handle());
}

QByteArray ReadOnlyQuery::limited(const QByteArray &sql) const
{
    if (m_dialect.mariaDb && m_dialect.version >= 100102)
        return "SET STATEMENT max_statement_time=" + QByteArray::number(statementSeconds)
            + ", lock_wait_timeout=" + QByteArray::number(lockWaitSeconds) + " FOR " + sql;
    if (!m_dialect.mariaDb && m_dialect.version >= 50708 && sql.startsWith("SELECT "))
        return "SELECT /*+ MAX_EXECUTION_TIME(" + QByteArray::number(statementSeconds * 1000) + ") */ " + sql.mid(7);
    return sql;
}

QList<QStringList> ReadOnlyQuery::select(const QByteArray &sql)
{
    std::optional<Limit> stoppedBy;
    QList<QStringList> rows = select(sql, &stoppedBy);
    if (stoppedBy)
        throw QmError(u"Скрипт не проверен: "_s + limitText(*stoppedBy, {}));
    return rows;
}

QList<QStringList> ReadOnlyQuery::select(const QByteArray &sql, std::optional<Limit> *stoppedBy)
{
    stoppedBy->reset();
    if (!readsOnly(sql))
        throw QmError(u"Проверка скрипта посылает серверу только SELECT и SHOW"_s);
    MYSQL *mysql = m_connection.handle();
    const QByteArray sent = limited(sql);
    if (mysql && mysql_real_query(mysql, sent.constData(), static_cast<unsigned long>(sent.size())) != 0) {
        const unsigned error = mysql_errno(mysql);
        if (error == lockWaitTimeout || error == mariaDbStatementTimeout || error == mySqlStatementTimeout) {
            *stoppedBy = error == lockWaitTimeout ? Limit::LockWait : Limit::StatementTime;
            return {};
        }
    }
    if (!mysql || mysql_errno(mysql) != 0)
        throw QmError(u"Скрипт не проверен: "_s + m_connection.errorText());
    const std::unique_ptr<MYSQL_RES, ResultFree> result(mysql_store_result(mysql));
    if (!result)
        throw QmError(u"Скрипт не проверен: "_s + m_connection.errorText());

    const unsigned fields = mysql_num_fields(result.get());
    QList<QStringList> rows;
    rows.reserve(qsizetype(mysql_num_rows(result.get())));
    while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
        const unsigned long *lengths = mysql_fetch_lengths(result.get());
        QStringList values;
        values.reserve(fields);
        for (unsigned c = 0; c < fields; ++c)
            values.append(row[c] ? Cp1251::decode(row[c], qsizetype(lengths[c])) : QString());
        rows.append(std::move(values));
    }
    // A connection lost while the rows came in shows only here.
    if (mysql_errno(mysql) != 0)
        throw QmError(u"Скрипт не проверен: "_s + m_connection.errorText());
    return rows;
}

QByteArray ReadOnlyQuery::quoteName(const QString &metadataName)
{
    QByteArray bytes;
    Cp1251::encodeInto(QString(metadataName).replace(u"`"_s, u"``"_s), bytes);
    return '`' + bytes + '`';
}

QByteArray ReadOnlyQuery::utf8Literal(const QString &text)
{
    return "_utf8mb4 X'" + text.toUtf8().toHex() + '\'';
}

QString limitText(ReadOnlyQuery::Limit limit, const QString &table)
{
    const QString what = table.isEmpty() ? u"нужные таблицы"_s : u"таблицу "_s + table;
    if (limit == ReadOnlyQuery::Limit::LockWait)
        return u"%1 дольше %2 с держит другой сеанс (LOCK TABLES, ALTER TABLE)"_s.arg(what).arg(ReadOnlyQuery::lockWaitSeconds);
    return u"сервер не прочёл %1 за %2 с"_s.arg(what).arg(ReadOnlyQuery::statementSeconds);
}

std::optional<QByteArray> ReadOnlyQuery::quoteText(const QString &text) const
{
    QByteArray bytes;
    if (!Cp1251::encodeInto(text, bytes))
        return std::nullopt;
    QByteArray escaped(bytes.size() * 2 + 1, '\0');
    const unsigned long length = mysql_real_escape_string(m_connection.handle(), escaped.data(), bytes.constData(),
                                                          static_cast<unsigned long>(bytes.size()));
    escaped.truncate(qsizetype(length));
    return '\'' + escaped + '\'';
}
