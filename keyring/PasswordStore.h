#pragma once

#include <QObject>
#include <QString>

#include <functional>

// What a keyring job came to. ok: the keyring answered (for a read, found
// tells whether it holds a secret for the account); otherwise problem says,
// in words for the page, why nothing was read or stored.
struct KeyringOutcome
{
    bool ok = false;
    bool found = false;
    QString secret;
    QString problem;
};

// Secrets in the desktop's keyring (the Secret Service through QtKeychain),
// never in a file of ours. Without a keyring service every job ends with a
// problem text and stores nothing.
//
// The keyring answers asynchronously. A job is started on the thread that
// owns this object (the GUI thread: the keyring's replies arrive through its
// event loop) and never blocks it; its callback runs later on that thread,
// exactly once: with the keyring's answer, or with a problem when the keyring
// has not answered within the time limit. Callbacks of jobs still running
// when this object goes are dropped.
class PasswordStore : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const KeyringOutcome &)>;

    explicit PasswordStore(int timeoutMs = 10000, QObject *parent = nullptr);

    void read(const QString &account, Done done);
    void write(const QString &account, const QString &secret, Done done);
    void remove(const QString &account, Done done);

private:
    int m_timeoutMs;
};
