#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DbConnection;

// What the server can read, so that the check asks in a form it knows.
struct ServerDialect
{
    bool mariaDb = false;
    unsigned long version = 0;  // e.g. 101119 for 10.11.19

    // WITH v(a, b) AS (VALUES (...), ...): MariaDB 10.3 and later.
    bool valuesTable() const { return mariaDb && version >= 100300; }
    // MIN(i) OVER (PARTITION BY ...): MariaDB 10.2 and MySQL 8.0 and later.
    bool windowFunctions() const { return version >= (mariaDb ? 100200UL : 80000UL); }
    // COLUMN_DEFAULT as an SQL expression ('text', 1.50, NULL, now()): MariaDB 10.2.7 and later.
    bool defaultsAsExpressions() const { return mariaDb && version >= 100207; }
};

// The check's only way to the server. It sends nothing but SELECT and SHOW
// (MariaDB's SET STATEMENT ... FOR in front of them limits the one statement),
// so it cannot change the database and works on an account that may only
// read. Every statement waits at most lockWaitSeconds for a table that
// another session locks and runs at most statementSeconds. Any other failure
// (no connection, the server gone, a refused query, a query ended by KILL
// QUERY) throws QmError with the server's own words.
class ReadOnlyQuery
{
public:
    static constexpr int lockWaitSeconds = 2;
    static constexpr int statementSeconds = 20;

    // Why a statement did not run to its end within the limits.
    enum class Limit { LockWait, StatementTime };

    // Throws QmError when the connection is not open.
    explicit ReadOnlyQuery(DbConnection &connection);

    // The forms of SQL the check uses, taken from the server when the query
    // is made; another one (an older server's) can be chosen.
    const ServerDialect &dialect() const { return m_dialect; }
    void setDialect(const ServerDialect &dialect) { m_dialect = dialect; }

    // Every row of the result; a NULL is a null QString.
    QList<QStringList> select(const QByteArray &sql);
    // The same, or which limit stopped the statement (*stoppedBy, rows empty).
    QList<QStringList> select(const QByteArray &sql, std::optional<Limit> *stoppedBy);

    // A name as it came from the server's metadata, in back quotes.
    static QByteArray quoteName(const QString &metadataName);
    // A text literal in single quotes with the server's escaping; nothing when
    // the text holds a character that the connection's code page cannot carry.
    std::optional<QByteArray> quoteText(const QString &text) const;
    // Any text as a utf8mb4 literal (_utf8mb4 X'...'), whatever the code page.
    static QByteArray utf8Literal(const QString &text);

private:
    QByteArray limited(const QByteArray &sql) const;

    DbConnection &m_connection;
    ServerDialect m_dialect;
};

// What the operator reads under a line the limit kept from being checked.
QString limitText(ReadOnlyQuery::Limit limit, const QString &table);
