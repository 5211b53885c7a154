#pragma once

#include "db/ServerAddress.h"

struct ConnectionSettings;

// A way to the server that a connect must open first, on the window's
// thread, before the connect itself runs on a thread of its own: an SSH
// tunnel, whose local end is then the address connected to (so the second
// connection that ends a query takes the same way). The connection page
// holds at most one, beside its group of settings.
class ConnectRoute
{
public:
    virtual ~ConnectRoute() = default;

    // Whether the next connect takes this way (its group is switched on).
    // The page then reads no address from its host and port boxes.
    virtual bool active() const = 0;
    // Opens the way for settings and returns the address to connect to.
    // Runs on the window's thread; it may ask the operator through dialogs
    // and wait in an event loop of its own, so the window still paints and
    // closes meanwhile. Throws QmCancelled when the operator cancelled, and
    // QmError with the reason (for the log line of a failed connect) when no
    // way could be made.
    virtual ServerAddress open(const ConnectionSettings &settings) = 0;
    // The connection that went this way is gone (a new connect begins):
    // ends the way. Does nothing when none is open.
    virtual void close() = 0;
    // Where the connection goes this way, for the page and the window's
    // title (the address connected to is only the way's local end).
    virtual QString serverText() const = 0;

    // Its part of the settings: shown when settings come back at start or
    // are picked by name, and put into the settings to remember.
    virtual void show(const ConnectionSettings &settings) = 0;
    virtual void take(ConnectionSettings &settings) const = 0;
};
