#pragma once

#include <QString>
#include <QStringList>

struct SshSecretQuestion;

// Which of ssh's own questions a prompt is, recognised by its whole text: only
// those may be answered from the keyring. The text of a keyboard-interactive
// prompt is the SSH server's to choose, and so is anything ssh did not word
// itself: such a question goes to the operator as it stands, never to the
// keyring, however much it looks like ssh's own.
struct SshOwnWords
{
    QString user; // the account ssh logs in as (ssh -G: user)
    QString hostName; // the host ssh logs in to (ssh -G: hostname)
    QString hostKeyAlias; // ssh -G: hostkeyalias, when the config sets one
    QStringList keyFiles; // the key files whose passphrase ssh may ask
};

// kind Passphrase (with keyFile) or Password only for ssh's exact one-line
// question about one of these; kind Other for every other text.
SshSecretQuestion readSecretPrompt(const QString &prompt, const SshOwnWords &own);
