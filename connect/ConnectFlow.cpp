#include "connect/ConnectFlow.h"

#include "base/Codepage.h"
#include "base/Error.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "connect/ConnectRoute.h"
#include "db/Connection.h"
#include "db/DbLogin.h"
#include "db/WorkRunner.h"

#include <errmsg.h>
#include <mysql.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype errorTextLimit = 200;

// The address the connect goes to: the route's when it is switched on,
// else the one typed in the boxes (throws QmError with the reason it cannot
// be used). settings gets the typed address either way, as far as it reads.
ServerAddress addressFor(const ConnectForm &form, ConnectRoute *route, ConnectionSettings &settings)
{
    const ServerAddressParse typed = readAddress(form.hostText, form.portText, settings);
    if (route && route->active())
        return route->open(settings);
    if (!typed.address)
        throw QmError(typed.error);
    return *typed.address;
}

// The connect and the selection, as they ran on their thread.
struct Attempt
{
    DbLogin login;
    ClientRecord record;
    ConnectOutcome outcome;
    // The selection's result; 1 (failed) when there was no connection to select on.
    int selected = 1;
};

// The library's text for the last call on the record.
QString serverErrorText(st_mysql *record)
{
    const char *text = mysql_error(record);
    return connectErrorLogText(Cp1251::decode(text, qsizetype(qstrlen(text))));
}

} // namespace

QString tunnelCertificateName(const SshTunnelSettings &tunnel)
{
    const QString host = tunnel.databaseHost.trimmed();
    // A socket on the SSH server belongs to that machine's own server.
    if (host.isEmpty() || host.startsWith(u'/'))
        return u"localhost"_s;
    return host;
}

ServerAddressParse readAddress(const QString &hostText, const QString &portText, ConnectionSettings &settings)
{
    ServerAddressParse typed = parseServerAddress(hostText, portText);
    if (typed.address) {
        settings.host = typed.address->host;
        settings.port = typed.address->port;
        settings.socket = typed.address->socket;
    } else {
        settings.host = hostText.trimmed();
        settings.port = 0;
        settings.socket.clear();
    }
    return typed;
}

QString connectErrorLogText(const QString &errorText)
{
    const QString cut = errorText.left(errorTextLimit);
    qsizetype begin = 0;
    qsizetype end = cut.size();
    while (begin < end && cut.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && cut.at(end - 1).unicode() <= u' ')
        --end;
    return cut.mid(begin, end - begin);
}

QString serverText(const ServerAddress &address)
{
    if (!address.socket.isEmpty())
        return address.socket;
    const QString host = address.host.isEmpty() ? u"localhost"_s : address.host;
    if (address.port == 0)
        return host;
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(address.port);
}

ConnectResult connectAndSelect(DbShell &shell, const ConnectForm &form, ConnectRoute *route)
{
    // Both log lines of this press carry this time.
    const QString timeStr = shell.refreshTimeStr();
    DbConnection &connection = shell.connection();
    const bool droppedWorking = connection.beginConnect();
    if (route)
        route->close();

    ConnectResult result;
    result.settings = form.settings;
    const QString database = form.settings.database;
    QByteArray databaseBytes;
    const QString databaseRefusal =
        Cp1251::encodeInto(database, databaseBytes) ? QString() : textOutsideCp1251(u"БД"_s);

    Attempt attempt;
    // The server's words when it refused the database.
    QString databaseReason;
    try {
        const ServerAddress address = addressFor(form, route, result.settings);
        result.server = route && route->active() ? route->serverText() : serverText(address);
        QString refusal;
        std::optional<DbLogin> login =
            makeDbLogin(address, form.settings.user, form.password, form.settings.tls, &refusal);
        if (!login)
            throw QmError(refusal);
        attempt.login = std::move(*login);
        // Through a tunnel the link ends at a local socket: the certificate
        // is checked for the database host as the SSH server reaches it.
        if (route && route->active())
            attempt.login.certificateName = tunnelCertificateName(result.settings.sshTunnel);
        const auto job = [&attempt, &databaseBytes, &databaseRefusal, &databaseReason](WorkControl &control) {
            attempt.record = newClientRecord();
            const auto start = std::chrono::steady_clock::now();
            attempt.outcome = connectClientRecord(attempt.record.get(), attempt.login, DbConnection::connectTimeouts,
                                                  &control.cancelRequested);
            attempt.outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            if (attempt.outcome.errorNumber != 0 || !databaseRefusal.isEmpty())
                return;
            if (const std::optional<int> selected =
                    selectDatabaseOn(attempt.record.get(), databaseBytes, &control.cancelRequested)) {
                attempt.selected = *selected;
                if (attempt.selected != 0)
                    databaseReason = serverErrorText(attempt.record.get());
            }
        };
        const QString server = result.server;
        runWithProgress(shell.dialogParent(), connection, job,
                        {u"Соединение"_s, [server](int) { return u"Соединение с %1…"_s.arg(server); }});
    } catch (const QmRunEnding &) {
        throw;
    } catch (const QmCancelled &) {
        // The record of a cancelled connect goes with the attempt; the
        // working connection it replaced is gone, and the log says so.
        result.cancelled = true;
        connection.endConnect(nullptr, {}, {CR_CONNECTION_ERROR, {}, true});
        if (droppedWorking)
            shell.LogEvent(timeStr + u"  Соединение отменено: прежнее соединение закрыто"_s);
        return result;
    } catch (const QmError &error) {
        attempt.record.reset();
        attempt.outcome = {CR_UNKNOWN_ERROR, error.text()};
    }

    const bool connected = attempt.outcome.errorNumber == 0 && attempt.record;
    connection.endConnect(std::move(attempt.record), attempt.login,
                          connected ? ConnectOutcome{} : attempt.outcome);
    if (connected) {
        shell.LogEvent(LogTexts::connected(timeStr));
        result.connected = true;
        result.link = linkDescription(connection.handle());
        if (route && route->active())
            result.link = route->linkText(mysql_get_ssl_cipher(connection.handle()) ? result.link : QString());
        if (linkCompressed(connection.handle()))
            result.link += u", сжатие"_s;
    } else {
        shell.LogEvent(LogTexts::connectFailed(timeStr, connectErrorLogText(attempt.outcome.errorText)));
    }
    // The database is selected whatever the connect came to: without a
    // connection the selection fails.
    result.databaseOpened = attempt.selected == 0;
    if (!result.databaseOpened)
        shell.LogEvent(LogTexts::databaseFailed(timeStr, database,
                                                databaseRefusal.isEmpty() ? databaseReason : databaseRefusal));
    else
        shell.LogEvent(LogTexts::databaseOpened(timeStr, database));
    return result;
}
