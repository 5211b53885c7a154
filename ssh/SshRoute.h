#pragma once

#include "ssh/SshTunnelSettings.h"

#include <QObject>
#include <QString>

class PasswordStore;
class Shell;
class SshTunnel;

// The way to the database through an SSH tunnel, for the window's one
// connection. open() is the tunnel step of a connect: it runs on the GUI
// thread, where ssh must be started (ssh ends with the thread that started it),
// and waits for the tunnel while the window goes on: for the first half second
// the window takes no input, as during any blocking call; then the progress
// window with "Отмена", which closes the tunnel at once, also in the middle of
// the SSH handshake. ssh's questions are answered on the way: an unknown host
// key by the operator, a passphrase or a password from the keyring first and
// by the operator when the keyring holds none or its answer did not fit (the
// operator may have it kept, in the keyring only).
//
// While the tunnel is up, its end (ssh went away) is logged and told through
// ended(), so that whoever connected through it can take that connection for
// lost. The end of the run closes the tunnel after the work on the connection
// has stopped.
class SshRoute : public QObject
{
    Q_OBJECT

public:
    explicit SshRoute(Shell &shell, QObject *parent = nullptr);
    ~SshRoute() override;

    // Closes the tunnel of an earlier connect, opens one and returns its local
    // socket: the connection then goes to host "localhost" with that socket.
    // Throws QmCancelled when the operator cancelled, QmRunEnding when the end
    // of the run closed the tunnel meanwhile, and QmError with the tunnel's
    // message when it did not come up (a changed host key is shown in a
    // warning first).
    QString open(const SshTunnelSettings &settings);
    // Ends the tunnel at any moment: a connect that goes another way, the end
    // of the run. An open() under way ends with QmRunEnding.
    void close();
    bool isOpen() const;
    // The tunnel itself, for the askpass program of tests.
    SshTunnel &tunnel() { return *m_tunnel; }

Q_SIGNALS:
    // The tunnel that was up went away (ssh ended); socketPath was its local end.
    void ended(const QString &socketPath);

private:
    class Wait;
    void tunnelEnded(const QString &message);

    Shell &m_shell;
    SshTunnel *m_tunnel;
    PasswordStore *m_keyring;
    // The local end of the tunnel that is up.
    QString m_socketPath;
    Wait *m_wait = nullptr;
    bool m_opening = false;
    bool m_closedWhileOpening = false;
};
