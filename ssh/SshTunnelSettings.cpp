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
    if (settings.login == SshLogin::KeyFile && !settings.keyFile.isEmpty())
        if (QString problem = sshKeyFileProblem(settings.keyFile); !problem.isEmpty())
            return problem;
    if (!settings.configFile.isEmpty() && !QFileInfo(settings.configFile).isReadable())
        return u"Файл настроек ssh %1 не найден или не читается"_s.arg(settings.configFile);
    if (settings.databaseHost.isEmpty() || unfitHostWord(settings.databaseHost))
        return u"Хост базы данных за SSH-сервером «%1» недопустим"_s.arg(settings.databaseHost);
    // One colon is a port written into the host; an IPv6 address has more.
    if (!settings.databaseHost.startsWith(u'/') && settings.databaseHost.count(u':') == 1)
        return u"Хост базы данных за SSH-сервером «%1» содержит порт: укажите порт в поле «Порт»"_s.arg(
            settings.databaseHost);
    if (!settings.databaseHost.startsWith(u'/') && (settings.databasePort < 1 || settings.databasePort > 65535))
        return u"Порт базы данных за SSH-сервером %1 вне пределов 1–65535"_s.arg(settings.databasePort);
    return {};
}

QString sshKeyFileProblem(const QString &keyFile)
{
    // ssh would read "${NAME}" as the variable's value, whatever the file is called.
    if (keyFile.contains(u"${"_s))
        return u"Путь к файлу ключа SSH %1 содержит «${»: ssh подставил бы вместо него переменную окружения. "
               "Переименуйте файл или папку"_s.arg(keyFile);
    if (keyFile.contains(u'"'))
        return u"Путь к файлу ключа SSH %1 содержит кавычку: ssh не примет такой путь. Переименуйте файл или папку"_s.arg(
            keyFile);
    const QFileInfo key(keyFile);
    if (!key.exists() || !key.isReadable())
        return u"Файл ключа SSH %1 не найден или не читается"_s.arg(keyFile);
    // A device or a pipe would have ssh read without end.
    if (!key.isFile())
        return u"Файл ключа SSH %1 — не обычный файл"_s.arg(keyFile);
    if (key.size() > sshKeyFileLimit)
        return u"Файл ключа SSH %1 слишком велик для ключа: %2 байт, а ключ занимает не больше %3"_s.arg(keyFile)
            .arg(key.size())
            .arg(sshKeyFileLimit);
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
