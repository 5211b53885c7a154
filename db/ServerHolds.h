#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class DbConnection;

// What the server already holds where the operator is about to add to it: the
// goods of a shop, and whether an NPC id or a shop number is taken. Only
// SELECTs, on the one connection, each stopped by the server after
// statementSeconds so that a table another session locks cannot hold the
// window; a failure throws QmError with the server's words.
namespace ServerHolds {

constexpr int statementSeconds = 5;

// Every row of one SELECT, NULL as a null text. Refuses anything but a SELECT.
QList<QStringList> selectRows(DbConnection &connection, const QByteArray &select);

struct Good
{
    QString itemId;
    QString price;
    QString order;
};

// The goods of one shop in merchant_buylists, by order.
QList<Good> shopGoods(DbConnection &connection, qint64 shop);

// The highest order among the texts that are whole numbers; 0 when none is.
qint64 highestOrder(const QList<Good> &goods, const QList<qint64> &scriptOrders);

struct KeyState
{
    bool onServer = false;
    // The number to propose: the first free one at or after the typed key,
    // or after the highest taken when none was typed.
    qint64 firstFree = 1;
};

// Whether key is taken in table.column, and the first number from key on
// that neither the server nor alsoTaken (this run's script) holds.
KeyState keyState(DbConnection &connection, const QByteArray &table, const QByteArray &column,
                  std::optional<qint64> key, const QSet<qint64> &alsoTaken);

// One step of that search over a window of the server's taken numbers from
// `from` on, ascending: the first free number, or nothing when the window
// was full and every number up to its end is taken (the search goes on
// after it).
std::optional<qint64> firstFreeIn(qint64 from, const QList<qint64> &takenAscending, bool windowFull,
                                  const QSet<qint64> &alsoTaken);

} // namespace ServerHolds
