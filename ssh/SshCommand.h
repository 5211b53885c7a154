#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct SshTunnelSettings;

// What ssh makes of the settings and its config files (ssh -G).
struct SshResolved
{
    QString hostName;
    int port = 22;
    QString user;
    QStringList knownHostsFiles;
    // The ciphers ssh offers, in its order of preference.
    QStringList ciphers;
};

// The arguments that make ssh print the settings it would use, without
// connecting.
QStringList sshResolveArguments(const SshTunnelSettings &settings);
SshResolved parseSshResolved(const QByteArray &output);

// The arguments of the tunnel: no command, the database end forwarded to the
// local socket, host keys checked against onceFile first (where a key the
// operator accepts lands) and then the account's known hosts files; of the
// ciphers ssh would offer (empty: its own choice), the fastest for a bulk
// transfer first.
QStringList sshTunnelArguments(const SshTunnelSettings &settings, const QString &localSocket, const QString &onceFile,
                               const QStringList &knownHostsFiles, const QStringList &ciphers = {});
