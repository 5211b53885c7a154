#include "ssh/SshTunnelSettings.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// A word that ssh would read as an option, or that holds blanks or control
// characters, cannot be passed on as a host name.
bool unfitHostWord(const QString &word)
{
    if (word.startsWith(u'-'))
        return true;
    for (const QChar c : word) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

QString sshSettingsProblem(const SshTunnelSettings &settings)
{
    if (settings.host.isEmpty())
        return u"Не указан SSH-хост"_s;
    if (unfitHostWord(settings.host))
        return u"SSH-хост «%1» недопустим: имя без пробелов, не начинающееся с «-»"_s.arg(settings.host);
    if (settings.port < 0 || settings.port > 65535)
        return u"SSH-порт %1 вне пределов 1–65535"_s.arg(settings.port);
    if (settings.login == SshLogin::KeyFile && !settings.keyFile.isEmpty() && !QFileInfo(settings.keyFile).isReadable())
        return u"Файл ключа SSH %1 не найден или не читается"_s.arg(settings.keyFile);
    if (!settings.configFile.isEmpty() && !QFileInfo(settings.configFile).isReadable())
        return u"Файл настроек ssh %1 не найден или не читается"_s.arg(settings.configFile);
    if (settings.databaseHost.isEmpty() || unfitHostWord(settings.databaseHost))
        return u"Хост базы данных за SSH-сервером «%1» недопустим"_s.arg(settings.databaseHost);
    if (!settings.databaseHost.startsWith(u'/') && (settings.databasePort < 1 || settings.databasePort > 65535))
        return u"Порт базы данных за SSH-сервером %1 вне пределов 1–65535"_s.arg(settings.databasePort);
    return {};
}

QString sshServerText(const SshTunnelSettings &settings)
{
    QString text = settings.account.isEmpty() ? settings.host : settings.account + u'@' + settings.host;
    if (settings.port != 0)
        text += u':' + QString::number(settings.port);
    return text;
}

QString sshForwardTarget(const SshTunnelSettings &settings)
{
    if (settings.databaseHost.startsWith(u'/'))
        return settings.databaseHost;
    const bool ipv6 = settings.databaseHost.contains(u':') && !settings.databaseHost.startsWith(u'[');
    const QString host = ipv6 ? u'[' + settings.databaseHost + u']' : settings.databaseHost;
    return host + u':' + QString::number(settings.databasePort);
}
