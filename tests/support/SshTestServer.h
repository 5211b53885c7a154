#pragma once

#include <QProcess>
#include <QTemporaryDir>

// A private sshd on a free port of 127.0.0.1 with keys made at test time.
// root logs in with user_key, pass_key (passphrase kPassphrase) or kPassword,
// which only this sshd knows: it runs in a mount namespace of its own where
// our shadow file lies over /etc/shadow. other_key is known to no one. The
// ssh config "config" has aliases "tunnel", "tunnel-key" (IdentityFile
// user_key) and "tunnel-jump" (through this server as a jump host) for this
// server and hashes known hosts.
class SshTestServer
{
public:
    static constexpr char kPassword[] = "tunnel-pass";
    static constexpr char kPassphrase[] = "tunnel-phrase";

    ~SshTestServer();
    bool start(QString *error);
    // Kills the listener and every session it started.
    void kill();
    int port() const { return m_port; }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // The "[127.0.0.1]:port key" line for a known hosts file.
    QByteArray knownHostsLine(const QString &publicKeyName) const;
    // An ssh-agent holding user_key; returns its socket.
    QString startAgent();

    static QString fingerprint(const QString &keyOrKnownHosts);
    // Pids of the processes whose command line names text.
    static QList<qint64> processesNaming(const QString &text);

private:
    QTemporaryDir m_dir;
    QProcess m_sshd;
    QProcess m_agent;
    int m_port = 0;
};
