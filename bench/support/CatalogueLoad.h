#pragma once

#include <QByteArray>
#include <QStringList>

class DbConnection;

// The SELECT of the catalogue that the page BuyList loads.
extern const QByteArray catalogueQuery;

// One load of the catalogue on an open connection into a row store, as the
// grid's load reads it; seconds, or -1 with the reason on standard error.
double loadCatalogue(DbConnection &db, int *rows);

// One run of the stock client reading the catalogue of database, its rows to
// nowhere; where names the server (--socket=..., or --host, --port and
// --protocol), extra adds options (--compress). Seconds, or -1 with the
// client's complaint on standard error.
double clientCatalogue(const QStringList &where, const QString &database, const QStringList &extra = {});
