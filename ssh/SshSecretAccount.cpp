#include "ssh/SshSecretAccount.h"

#include "keyring/SecretAccounts.h"

QString sshSecretAccount(const SshTunnelSettings &settings, const SshSecretQuestion &question)
{
    switch (question.kind) {
    case SshSecretQuestion::Kind::Passphrase: {
        const QString key = question.keyFile.isEmpty() ? settings.keyFile : question.keyFile;
        return key.isEmpty() ? QString() : sshKeyPassphraseAccount(key);
    }
    case SshSecretQuestion::Kind::Password:
        return sshPasswordAccount(settings.account, settings.host, settings.port);
    case SshSecretQuestion::Kind::Other:
        break;
    }
    return {};
}
