#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DbConnection;

// The check's only way to the server. It sends nothing but SELECT and SHOW,
// so it cannot change the database and works on an account that may only
// read. Any failure (no connection, the server gone, a refused query) throws
// QmError with the server's own words.
class ReadOnlyQuery
{
public:
    // Throws QmError when the connection is not open.
    explicit ReadOnlyQuery(DbConnection &connection);

    // Every row of the result; a NULL is a null QString.
    QList<QStringList> select(const QByteArray &sql);

    // A name as it came from the server's metadata, in back quotes.
    static QByteArray quoteName(const QString &metadataName);
    // A text literal in single quotes with the server's escaping; nothing when
    // the text holds a character that the connection's code page cannot carry.
    std::optional<QByteArray> quoteText(const QString &text) const;

private:
    DbConnection &m_connection;
};
