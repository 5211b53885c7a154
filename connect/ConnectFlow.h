#pragma once

#include "connect/ConnectionSettings.h"
#include "db/ServerAddress.h"

#include <QString>

class ConnectRoute;
class DbShell;

// What the page "Соединение" holds when the connect is pressed: the host and
// port boxes as typed, the password, and every other setting.
struct ConnectForm
{
    QString hostText;
    QString portText;
    QString password;
    // Its host, port and socket are filled from the boxes by the connect.
    ConnectionSettings settings;
};

// What a press of the connect button came to.
struct ConnectResult
{
    bool connected = false;
    bool databaseOpened = false;
    // Cancelled by the operator or by the end of the run: nothing was logged.
    bool cancelled = false;
    // The settings as connected with, the address read from the boxes.
    ConnectionSettings settings;
    // Where the connection went and how the link is protected, for the page.
    QString server;
    QString link;
};

// The connect of the page "Соединение", in the order the log shows it:
// TimeStr is refreshed, the earlier connection goes, the boxes are read (a
// bad port, socket or address fails the connect with a clear text), the
// route (if any and switched on) opens its way on this thread, then the
// connect and the database selection run on a thread of their own, with the
// progress window and "Отмена" after half a second. Two log lines with the
// one TimeStr follow: the connect's outcome and the database's. A cancel
// (the operator's, or the end of the run's, which rethrows QmRunEnding)
// leaves no connection and writes nothing.
ConnectResult connectAndSelect(DbShell &shell, const ConnectForm &form, ConnectRoute *route);

// Reads the host and port boxes into the host, port and socket of settings
// (as far as they read, when they are wrong); the parse gives the error.
ServerAddressParse readAddress(const QString &hostText, const QString &portText, ConnectionSettings &settings);

// The library's connect error as the log shows it: at most its first 200
// characters, without leading and trailing blanks and control characters.
QString connectErrorLogText(const QString &errorText);

// The server an address names, as the page and the window's title show it:
// host:port, [IPv6]:port, or the socket's path.
QString serverText(const ServerAddress &address);
