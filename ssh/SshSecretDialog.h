#pragma once

#include "ssh/SshTunnel.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// Asks the operator for what ssh needs to log in: a key's passphrase, the
// account's password, or whatever else ssh asks (in its own words). The
// answer may be kept in the keyring, and only there.
class SshSecretDialog : public QDialog
{
    Q_OBJECT

public:
    struct Keyring
    {
        bool offered = false; // the answer may be kept (a passphrase or a password)
        QString problem;      // why the keyring cannot keep it; empty when it can
        bool remember = false; // the box's first state: the keyring holds an answer
    };

    // note: why the question comes again (the last answer did not fit), or empty.
    SshSecretDialog(QWidget *parent, const SshSecretQuestion &question, const QString &note, const Keyring &keyring);

    QString secret() const;
    bool remember() const;

private:
    QLineEdit *m_secret = nullptr;
    QCheckBox *m_remember = nullptr;
    bool m_rememberOffered = false;
};
