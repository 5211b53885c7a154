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

} // namespace

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
    connection.beginConnect();
    if (route)
        route->close();

    ConnectResult result;
    result.settings = form.settings;
    const QString database = form.settings.database;
    QByteArray databaseBytes;
    const QString databaseRefusal =
        Cp1251::encodeInto(database, databaseBytes) ? QString() : textOutsideCp1251(u"database name"_s);

    Attempt attempt;
    try {
        const ServerAddress address = addressFor(form, route, result.settings);
        result.server = route && route->active() ? route->serverText() : serverText(address);
        QString refusal;
        std::optional<DbLogin> login =
            makeDbLogin(address, form.settings.user, form.password, form.settings.tls, &refusal);
        if (!login)
            throw QmError(refusal);
        attempt.login = std::move(*login);
        const auto job = [&attempt, &databaseBytes, &databaseRefusal](WorkControl &control) {
            attempt.record = newClientRecord();
            attempt.outcome = connectClientRecord(attempt.record.get(), attempt.login, DbConnection::connectTimeouts,
                                                  &control.cancelRequested);
            if (attempt.outcome.errorNumber != 0 || !databaseRefusal.isEmpty())
                return;
            if (const std::optional<int> selected =
                    selectDatabaseOn(attempt.record.get(), databaseBytes, &control.cancelRequested))
                attempt.selected = *selected;
        };
        const QString server = result.server;
        runWithProgress(shell.dialogParent(), connection, job,
                        {u"Соединение"_s, [server](int) { return u"Соединение с %1…"_s.arg(server); }});
    } catch (const QmRunEnding &) {
        throw;
    } catch (const QmCancelled &) {
        // The record of a cancelled connect goes with the attempt.
        result.cancelled = true;
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
        if (linkCompressed(connection.handle()))
            result.link += u", сжатие"_s;
    } else {
        shell.LogEvent(LogTexts::connectFailed(timeStr, connectErrorLogText(attempt.outcome.errorText)));
    }
    // The database is selected whatever the connect came to: without a
    // connection the selection fails.
    result.databaseOpened = attempt.selected == 0;
    if (!result.databaseOpened)
        shell.LogEvent(LogTexts::databaseFailed(timeStr, database, databaseRefusal));
    else
        shell.LogEvent(LogTexts::databaseOpened(timeStr, database));
    return result;
}
