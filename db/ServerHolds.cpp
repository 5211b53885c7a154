#include "db/ServerHolds.h"

#include "base/Codepage.h"
#include "base/Error.h"
#include "base/ScriptKeys.h"
#include "db/Connection.h"

#include <mysql.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct ResultFree
{
    void operator()(MYSQL_RES *result) const { mysql_free_result(result); }
};

// How many taken numbers one step of the free-number search reads.
constexpr int takenWindow = 1000;

// MariaDB limits one statement's time in front of it; other servers run it unlimited.
QByteArray limited(MYSQL *mysql, const QByteArray &select)
{
    const char *info = mysql_get_server_info(mysql);
    if (info && std::strstr(info, "MariaDB") && mysql_get_server_version(mysql) >= 100102)
        return "SET STATEMENT max_statement_time=" + QByteArray::number(ServerHolds::statementSeconds) + " FOR "
            + select;
    return select;
}

QList<qint64> wholeNumbers(const QList<QStringList> &rows)
{
    QList<qint64> numbers;
    for (const QStringList &row : rows)
        if (const std::optional<qint64> number = ScriptKeys::wholeKey(row.value(0)))
            numbers.append(*number);
    return numbers;
}

} // namespace

namespace ServerHolds {

QList<QStringList> selectRows(DbConnection &connection, const QByteArray &select)
{
    if (!select.startsWith("SELECT "))
        throw QmError(u"На сервер посылаются только SELECT"_s);
    MYSQL *mysql = connection.handle();
    if (!mysql)
        throw QmError(connection.errorText());
    const QByteArray sent = limited(mysql, select);
    if (mysql_real_query(mysql, sent.constData(), static_cast<unsigned long>(sent.size())) != 0)
        throw QmError(connection.errorText());
    const std::unique_ptr<MYSQL_RES, ResultFree> result(mysql_store_result(mysql));
    if (!result)
        throw QmError(connection.errorText());
    const unsigned fields = mysql_num_fields(result.get());
    QList<QStringList> rows;
    while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
        const unsigned long *lengths = mysql_fetch_lengths(result.get());
        QStringList values;
        for (unsigned c = 0; c < fields; ++c)
            values.append(row[c] ? Cp1251::decode(row[c], qsizetype(lengths[c])) : QString());
        rows.append(std::move(values));
    }
    if (mysql_errno(mysql) != 0)
        throw QmError(connection.errorText());
    return rows;
}

QList<Good> shopGoods(DbConnection &connection, qint64 shop)
{
    const QList<QStringList> rows = selectRows(
        connection, "SELECT `item_id`, `price`, `order` FROM `merchant_buylists` WHERE `shop_id` = "
                        + QByteArray::number(shop) + " ORDER BY `order`");
    QList<Good> goods;
    for (const QStringList &row : rows)
        goods.append({row.value(0), row.value(1), row.value(2)});
    return goods;
}

qint64 highestOrder(const QList<Good> &goods, const QList<qint64> &scriptOrders)
{
    qint64 highest = 0;
    for (const Good &good : goods)
        highest = std::max(highest, ScriptKeys::wholeKey(good.order).value_or(0));
    for (const qint64 order : scriptOrders)
        highest = std::max(highest, order);
    return highest;
}

std::optional<qint64> firstFreeIn(qint64 from, const QList<qint64> &takenAscending, bool windowFull,
                                  const QSet<qint64> &alsoTaken)
{
    qint64 candidate = from;
    for (const qint64 taken : takenAscending) {
        while (candidate < taken && alsoTaken.contains(candidate))
            ++candidate;
        if (candidate < taken)
            return candidate;
        if (candidate == taken)
            ++candidate;
    }
    if (windowFull)
        return std::nullopt;
    while (alsoTaken.contains(candidate))
        ++candidate;
    return candidate;
}

KeyState keyState(DbConnection &connection, const QByteArray &table, const QByteArray &column,
                  std::optional<qint64> key, const QSet<qint64> &alsoTaken)
{
    const QByteArray from = "SELECT `" + column + "` FROM `" + table + "` WHERE `" + column + "` >= ";
    KeyState state;
    qint64 start = 1;
    if (key) {
        start = *key;
        state.onServer = !selectRows(connection, "SELECT 1 FROM `" + table + "` WHERE `" + column
                                                     + "` = " + QByteArray::number(*key) + " LIMIT 1")
                              .isEmpty();
    } else {
        const QList<QStringList> highest = selectRows(connection, "SELECT MAX(`" + column + "`) FROM `" + table + '`');
        start = ScriptKeys::wholeKey(highest.value(0).value(0)).value_or(0) + 1;
    }
    for (;;) {
        QList<qint64> taken = wholeNumbers(
            selectRows(connection, from + QByteArray::number(start) + " ORDER BY `" + column + "` LIMIT "
                                       + QByteArray::number(takenWindow)));
        const bool full = taken.size() == takenWindow;
        // A key kept as text comes back in text order.
        std::sort(taken.begin(), taken.end());
        if (const std::optional<qint64> free = firstFreeIn(start, taken, full, alsoTaken)) {
            state.firstFree = *free;
            return state;
        }
        start = taken.last() + 1;
    }
}

} // namespace ServerHolds
