#include "db/SshSecretAccount.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

QString sshSecretAccount(const SshTunnelSettings &settings, const SshSecretQuestion &question)
{
    switch (question.kind) {
    case SshSecretQuestion::Kind::Passphrase: {
        const QString key = question.keyFile.isEmpty() ? settings.keyFile : question.keyFile;
        return key.isEmpty() ? QString() : u"ssh-key:"_s + QFileInfo(key).absoluteFilePath();
    }
    case SshSecretQuestion::Kind::Password: {
        const QString account = settings.account.isEmpty() ? QString() : settings.account + u'@';
        const QString port = settings.port == 0 ? QString() : u':' + QString::number(settings.port);
        return u"ssh:"_s + account + settings.host + port;
    }
    case SshSecretQuestion::Kind::Other:
        break;
    }
    return {};
}
