#pragma once

#include "db/ServerAddress.h"
#include "db/TlsOptions.h"

#include <QByteArray>
#include <QString>

#include <chrono>

#include <atomic>
#include <memory>
#include <optional>

struct st_mysql;

// A port and a socket given outright, by tools and tests that talk to a
// second server (0 and empty: the library's defaults).
struct DbEndpoint
{
    unsigned port = 0;
    QByteArray socket;
};

// How to reach the server and as whom. Every connection of the program is
// made from it: the one the window uses and the short-lived one that ends a
// query the first is running, so both speak the same code page and take the
// same way to the server, with the same protection.
struct DbLogin
{
    ServerAddress address;
    // The bytes sent, in cp1251: the server reads the account name in that code page too.
    QByteArray host, user, password;
    TlsOptions tls;
    // The name the server's certificate must carry when it is not the host
    // connected to: the database host as the SSH server reaches it, for a
    // tunnel's local end. tls.certificateName, when given, goes first.
    QString certificateName;
};

// The reason a text is not sent, naming the box: "В поле «" + box + "» …".
QString textOutsideCp1251(const QString &box);

// The login for texts as typed; nullopt when one of them cannot be sent
// (outside cp1251), with *refusal naming the box, never the text itself (it
// may be the password).
std::optional<DbLogin> makeDbLogin(const ServerAddress &address, const QString &user, const QString &password,
                                   const TlsOptions &tls, QString *refusal);

// What one connect attempt came to: error number 0 and no text on success.
struct ConnectOutcome
{
    unsigned errorNumber = 0;
    QString errorText;
    // The attempt was given up on request: nothing to report.
    bool cancelled = false;
    // How long a connect that worked took: a measure of the way to the server.
    std::chrono::milliseconds took{0};
};

// How long a connection waits for the server; 0 leaves the library's own wait.
struct DbTimeouts
{
    unsigned connectSeconds = 0;
    unsigned readWriteSeconds = 0;
};

// A client record, closed when it goes.
struct ClientRecordClose
{
    void operator()(st_mysql *record) const;
};
using ClientRecord = std::unique_ptr<st_mysql, ClientRecordClose>;
// A fresh record; throws QmError when there is no memory for one.
ClientRecord newClientRecord();

// Sets a fresh client record up as login says (the text in cp1251, the
// address, TLS and compression, no database, no client flags) and connects
// it. The wait for the server is cut into short slices, so that a set
// *cancel ends it at once, whatever the server does (only the lookup of a
// host name is not cut short). On failure the outcome says why in the words
// the operator sees: the library's, made plain where they hide the cause, or
// why an unencrypted link is refused. Under Required and Verified a probe
// (see probeServerTls) goes first and nothing of the login is sent when it
// fails; a CA file that cannot be read is refused before anything reads it.
// Whatever the outcome, the caller closes
// the record, and uses it only when the outcome is a success.
ConnectOutcome connectClientRecord(st_mysql *record, const DbLogin &login, const DbTimeouts &timeouts,
                                   const std::atomic<bool> *cancel = nullptr);

// Selects the database on a record that connectClientRecord connected, as
// mysql_select_db does, with the same cut waits: the library's result (0 =
// success), or nullopt when *cancel was set meanwhile (the record is then of
// no further use).
std::optional<int> selectDatabaseOn(st_mysql *record, const QByteArray &name, const std::atomic<bool> *cancel);
