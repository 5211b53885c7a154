#pragma once

#include <QString>

// How ssh logs in to the SSH server.
enum class SshLogin { Agent, KeyFile, Password };

// Where the tunnel goes and how it logs in. Empty texts and a zero port leave
// the choice to ssh, which takes it from its config files like any ssh
// command (~/.ssh/config: Host aliases, HostName, Port, User, IdentityFile).
struct SshTunnelSettings
{
    QString host; // SSH host name, address or an alias of the ssh config
    int port = 0; // 0: the config's Port, else 22
    QString account; // empty: the config's User, else the local account
    SshLogin login = SshLogin::Agent;
    QString keyFile; // KeyFile: empty takes the config's IdentityFile
    // The database as the SSH server sees it: a host and port, or the path of
    // a socket on that machine.
    QString databaseHost = QStringLiteral("127.0.0.1");
    int databasePort = 3306;
    // Empty: ssh's own (~/.ssh/config and ~/.ssh/known_hosts of the account).
    QString configFile;
    QString knownHostsFile;

    bool operator==(const SshTunnelSettings &) const = default;
};

// Why ssh cannot be started with these settings, for the operator; empty when
// it can.
QString sshSettingsProblem(const SshTunnelSettings &settings);

// The SSH server as the operator named it: [account@]host[:port], the parts
// left to ssh's config omitted.
QString sshServerText(const SshTunnelSettings &settings);

// The database end as ssh's -L takes it: a socket path, or host:port with an
// IPv6 address in brackets.
QString sshForwardTarget(const SshTunnelSettings &settings);
