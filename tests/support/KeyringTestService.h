#pragma once

#include "keyring/PasswordStore.h"

#include <QProcess>
#include <QString>

#include <functional>

// A secret service of the test's own: the desktop's gnome-keyring-daemon,
// unlocked, on a private session bus that DBUS_SESSION_BUS_ADDRESS then names.
// Its keyring file goes under XDG_DATA_HOME. Ended when the object goes.
class KeyringTestService
{
public:
    ~KeyringTestService();
    // False, with the reason, when no secret service can run here.
    bool start(QString *why);

private:
    QProcess m_bus, m_keyring;
};

// Runs one keyring job (read, write or remove) and waits for its outcome.
KeyringOutcome awaitKeyring(const std::function<void(PasswordStore &, PasswordStore::Done)> &job);
