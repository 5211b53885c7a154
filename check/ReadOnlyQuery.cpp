#include "check/ReadOnlyQuery.h"

#include "base/Codepage.h"
#include "base/Error.h"
#include "db/Connection.h"

#include <mysql.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct ResultFree
{
    void operator()(MYSQL_RES *result) const { mysql_free_result(result); }
};

bool readsOnly(const QByteArray &sql)
{
    return sql.startsWith("SELECT ") || sql.startsWith("SHOW ");
}

} // namespace

ReadOnlyQuery::ReadOnlyQuery(DbConnection &connection)
    : m_connection(connection)
{
    if (!connection.Connected() || !connection.handle())
        throw QmError(u"Нет соединения с базой данных: скрипт не проверен. Соединитесь на странице \"Соединение\""_s);
}

QList<QStringList> ReadOnlyQuery::select(const QByteArray &sql)
{
    if (!readsOnly(sql))
        throw QmError(u"Проверка скрипта посылает серверу только SELECT и SHOW"_s);
    MYSQL *mysql = m_connection.handle();
    if (!mysql || mysql_real_query(mysql, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
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
