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
    QString hostKeyAlias;
    // The config's key files as it names them (~ not expanded).
    QStringList identityFiles;
    // How many times ssh asks a passphrase or a password before it gives up.
    int passwordPrompts = 3;
    // A jump host or a command that carries the connection: empty for none.
    QString proxyJump;
    QString proxyCommand;
};

// The arguments that make ssh print the settings it would use, without
// connecting.
QStringList sshResolveArguments(const SshTunnelSettings &settings);
SshResolved parseSshResolved(const QByteArray &output);

// A key file's path as the value of ssh's IdentityFile option: ssh expands
// "%" tokens in it, so each "%" is doubled. (Its -i would first look for the
// file under the name as given and drop a doubled one.) ssh expands
// "${NAME}" too, with no way to keep it, and a quote would end the value:
// such paths are refused beforehand (sshKeyFileProblem).
QString sshPathArgument(const QString &path);

// The arguments of the tunnel: no command, the database end forwarded to the
// local socket, host keys checked against onceFile first (where a key the
// operator accepts lands) and then the account's known hosts files; of the
// ciphers ssh would offer (empty: its own choice), the fastest for a bulk
// transfer first.
QStringList sshTunnelArguments(const SshTunnelSettings &settings, const QString &localSocket, const QString &onceFile,
                               const QStringList &knownHostsFiles, const QStringList &ciphers = {});
