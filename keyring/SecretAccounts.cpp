#include "keyring/SecretAccounts.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

QString databasePasswordAccount(const QString &user, const QString &host, unsigned port, const QString &socket)
{
    const QString where = !socket.isEmpty() ? socket : port != 0 ? host + u':' + QString::number(port) : host;
    return u"mysql:"_s + user + u'@' + where;
}

QString sshKeyPassphraseAccount(const QString &keyFile)
{
    return u"ssh-key:"_s + QFileInfo(keyFile).absoluteFilePath();
}

QString sshPasswordAccount(const QString &account, const QString &host, int port)
{
    const QString user = account.isEmpty() ? QString() : account + u'@';
    const QString where = port == 0 ? QString() : u':' + QString::number(port);
    return u"ssh:"_s + user + host + where;
}
