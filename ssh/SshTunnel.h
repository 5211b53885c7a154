#pragma once

#include "ssh/SshTunnelSettings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>

#include <memory>

class AskpassServer;
class QLocalSocket;
class QTemporaryDir;
class QTimer;

// A host key that none of the known hosts files holds, as ssh presents it.
struct SshHostKeyQuestion
{
    QString host;
    QString keyType;
    QString fingerprint; // SHA256:... of the key this connection was offered
};

enum class SshHostKeyChoice { ConnectOnce, TrustAndRemember, Cancel };

// A secret ssh needs: the passphrase of a key or the account's password.
struct SshSecretQuestion
{
    enum class Kind { Passphrase, Password, Other };
    Kind kind = Kind::Other;
    QString prompt; // ssh's own words
    QString keyFile; // Passphrase: the key it unlocks
    int attempt = 1; // counts the asks of this kind: above 1 the last answer was wrong
};

// Why the tunnel did not come up. message is for the operator: the cause in
// Russian, ssh's own words in brackets.
struct SshTunnelFailure
{
    enum class Kind { Settings, HostKeyChanged, HostKeyRefused, Login, Unreachable, Forwarding, Other };
    SshTunnelFailure() = default;
    SshTunnelFailure(Kind kind_, QString message_, QString sshWords_ = {})
        : kind(kind_), message(std::move(message_)), sshWords(std::move(sshWords_))
    {
    }
    Kind kind = Kind::Other;
    QString message;
    QString sshWords;
    // HostKeyChanged: the host, the fingerprint of the key on record and
    // where it is (file:line), and the fingerprint the server offered now.
    QString host;
    QString knownFingerprint;
    QString knownEntry;
    QString offeredFingerprint;
};

// A tunnel to the database through the system's ssh client: ssh forwards a
// Unix socket in a private folder (0700, in the user's runtime folder) to the
// database as the SSH server sees it. ssh reads the user's config and checks
// the host key itself; its questions (an unknown host key, a passphrase, a
// password) come to this object through its askpass helper and go out as
// signals, each to be answered by the matching call. Lives on the GUI thread,
// never blocks it for long: every step runs on the event loop.
//
// Every connection of the program then goes to host "localhost" with
// socketPath(). The end of the object, or close(), ends ssh, waits for it
// and removes the folder; should the program die, ssh is ended with it.
class SshTunnel : public QObject
{
    Q_OBJECT

public:
    explicit SshTunnel(QObject *parent = nullptr);
    ~SshTunnel() override;

    // The program ssh runs for its questions. By default this program itself,
    // whose main() calls answerSshAskpass() first.
    void setAskpassProgram(const QString &path);

    // Starts ssh; one of ready() or failed() follows, unless close() comes
    // first. An open tunnel is closed first.
    void open(const SshTunnelSettings &settings);
    // Cancel closes the tunnel, as close() does.
    void answerHostKey(SshHostKeyChoice choice);
    void answerSecret(const QString &secret);
    // Ends ssh and removes the folder, at any moment; no signal follows.
    void close();

    bool isReady() const;
    // The local end, valid from ready() on.
    QString socketPath() const;

Q_SIGNALS:
    void hostKeyQuestion(const SshHostKeyQuestion &question);
    void secretQuestion(const SshSecretQuestion &question);
    void ready(const QString &socketPath);
    void failed(const SshTunnelFailure &failure);
    // The tunnel was up and ssh went away; the message says why.
    void ended(const QString &message);

private:
    enum class State { Closed, Resolving, Connecting, Ready };

    void resolved(int exitCode, QProcess::ExitStatus status);
    void startSsh();
    void sshFinished();
    void sshNotStarted(QProcess::ProcessError error);
    void askedBySsh(const QString &prompt, const QString &hint);
    void probe();
    void probeAnswered();
    void probeClosed();
    void fail(const SshTunnelFailure &failure);
    void failLater(SshTunnelFailure failure);
    bool keepAcceptedKey(QString *errorText);
    QString shownHost() const;
    static void endProcess(QProcess &process);

    State m_state = State::Closed;
    // Counts opens and closes: a late step of an earlier attempt does nothing.
    int m_generation = 0;
    SshTunnelSettings m_settings;
    QString m_askpassProgram;
    QString m_resolvedHost;
    QStringList m_knownHostsFiles;
    QStringList m_ciphers;
    SshHostKeyChoice m_hostKeyChoice = SshHostKeyChoice::ConnectOnce;
    bool m_hostKeyAccepted = false;
    int m_passphraseAsks = 0;
    int m_passwordAsks = 0;
    QByteArray m_sshErrors;
    std::unique_ptr<QTemporaryDir> m_folder;
    QProcess *m_resolve;
    QProcess *m_ssh;
    AskpassServer *m_askpass;
    QLocalSocket *m_probe;
    QTimer *m_probeTimer;
    QElapsedTimer m_probeSince;
};
