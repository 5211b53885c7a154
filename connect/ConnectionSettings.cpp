#include "connect/ConnectionSettings.h"

#include "keyring/SecretAccounts.h"

#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString lastGroup = u"last"_s;
const QString namedArray = u"connections"_s;

using Named = std::vector<std::pair<QString, ConnectionSettings>>;

const QString agentLogin = u"agent"_s;
const QString keyLogin = u"key"_s;
const QString passwordLogin = u"password"_s;

QString sshLoginName(SshLogin login)
{
    switch (login) {
    case SshLogin::KeyFile:
        return keyLogin;
    case SshLogin::Password:
        return passwordLogin;
    case SshLogin::Agent:
        break;
    }
    return agentLogin;
}

// The SSH part of the settings. No secret ever: a passphrase or an SSH
// password lives in the keyring only.
void readSsh(const QSettings &file, ConnectionSettings &settings)
{
    SshTunnelSettings &tunnel = settings.sshTunnel;
    settings.ssh = file.value(u"ssh"_s, false).toBool();
    tunnel.host = file.value(u"sshHost"_s).toString();
    const uint port = file.value(u"sshPort"_s, 0).toUInt();
    tunnel.port = port <= 65535 ? int(port) : 0;
    tunnel.account = file.value(u"sshAccount"_s).toString();
    const QString login = file.value(u"sshLogin"_s).toString();
    tunnel.login = login == keyLogin ? SshLogin::KeyFile : login == passwordLogin ? SshLogin::Password : SshLogin::Agent;
    tunnel.keyFile = file.value(u"sshKeyFile"_s).toString();
    tunnel.databaseHost = file.value(u"sshDatabaseHost"_s, tunnel.databaseHost).toString();
    const uint databasePort = file.value(u"sshDatabasePort"_s, tunnel.databasePort).toUInt();
    tunnel.databasePort = databasePort >= 1 && databasePort <= 65535 ? int(databasePort) : tunnel.databasePort;
    tunnel.configFile = file.value(u"sshConfig"_s).toString();
    tunnel.knownHostsFile = file.value(u"sshKnownHosts"_s).toString();
}

void writeSsh(QSettings &file, const ConnectionSettings &settings)
{
    const SshTunnelSettings &tunnel = settings.sshTunnel;
    file.setValue(u"ssh"_s, settings.ssh);
    file.setValue(u"sshHost"_s, tunnel.host);
    file.setValue(u"sshPort"_s, tunnel.port);
    file.setValue(u"sshAccount"_s, tunnel.account);
    file.setValue(u"sshLogin"_s, sshLoginName(tunnel.login));
    file.setValue(u"sshKeyFile"_s, tunnel.keyFile);
    file.setValue(u"sshDatabaseHost"_s, tunnel.databaseHost);
    file.setValue(u"sshDatabasePort"_s, tunnel.databasePort);
    file.setValue(u"sshConfig"_s, tunnel.configFile);
    file.setValue(u"sshKnownHosts"_s, tunnel.knownHostsFile);
}

// Reads the settings of the current group; what is missing or unreadable
// keeps the initial value.
ConnectionSettings readSettings(const QSettings &file)
{
    ConnectionSettings settings;
    settings.host = file.value(u"host"_s, settings.host).toString();
    const uint port = file.value(u"port"_s, 0).toUInt();
    settings.port = port <= 65535 ? port : 0;
    settings.socket = file.value(u"socket"_s).toString();
    settings.user = file.value(u"user"_s, settings.user).toString();
    settings.database = file.value(u"database"_s, settings.database).toString();
    settings.tls.mode = tlsModeFromName(file.value(u"tls"_s).toString()).value_or(settings.tls.mode);
    settings.tls.caFile = file.value(u"ca"_s).toString();
    settings.tls.compressed = file.value(u"compressed"_s, false).toBool();
    settings.rememberPassword = file.value(u"rememberPassword"_s, false).toBool();
    readSsh(file, settings);
    return settings;
}

void writeSettings(QSettings &file, const ConnectionSettings &settings)
{
    file.setValue(u"host"_s, settings.host);
    file.setValue(u"port"_s, settings.port);
    file.setValue(u"socket"_s, settings.socket);
    file.setValue(u"user"_s, settings.user);
    file.setValue(u"database"_s, settings.database);
    file.setValue(u"tls"_s, tlsModeName(settings.tls.mode));
    file.setValue(u"ca"_s, settings.tls.caFile);
    file.setValue(u"compressed"_s, settings.tls.compressed);
    file.setValue(u"rememberPassword"_s, settings.rememberPassword);
    writeSsh(file, settings);
}

// Named connections live in an array, so a name may hold any character,
// "/" and "\" included, which QSettings would take for groups in a key.
Named readNamed(QSettings &file)
{
    Named named;
    const int count = file.beginReadArray(namedArray);
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        const QString name = file.value(u"name"_s).toString();
        if (!name.trimmed().isEmpty())
            named.emplace_back(name, readSettings(file));
    }
    file.endArray();
    return named;
}

void writeNamed(QSettings &file, const Named &named)
{
    file.remove(namedArray);
    file.beginWriteArray(namedArray, int(named.size()));
    for (int i = 0; i < int(named.size()); ++i) {
        file.setArrayIndex(i);
        file.setValue(u"name"_s, named[size_t(i)].first);
        writeSettings(file, named[size_t(i)].second);
    }
    file.endArray();
}

QString finish(QSettings &file)
{
    file.sync();
    if (file.status() != QSettings::NoError)
        return u"Настройки соединений не записаны в %1"_s.arg(file.fileName());
    return {};
}

} // namespace

QString connectionSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Quenmark/connections.ini"_s;
}

ConnectionSettingsStore::ConnectionSettingsStore()
    : m_path(connectionSettingsPath())
{
}

ConnectionSettingsStore::ConnectionSettingsStore(const QString &path)
    : m_path(path)
{
}

std::optional<ConnectionSettings> ConnectionSettingsStore::last() const
{
    QSettings file(m_path, QSettings::IniFormat);
    if (!file.childGroups().contains(lastGroup))
        return std::nullopt;
    file.beginGroup(lastGroup);
    return readSettings(file);
}

QString ConnectionSettingsStore::lastName() const
{
    const QSettings file(m_path, QSettings::IniFormat);
    return file.value(lastGroup + u"/name"_s).toString();
}

QString ConnectionSettingsStore::saveLast(const ConnectionSettings &settings, const QString &name)
{
    QSettings file(m_path, QSettings::IniFormat);
    file.beginGroup(lastGroup);
    writeSettings(file, settings);
    file.setValue(u"name"_s, name);
    file.endGroup();
    return finish(file);
}

QStringList ConnectionSettingsStore::names() const
{
    QSettings file(m_path, QSettings::IniFormat);
    QStringList names;
    for (const auto &entry : readNamed(file))
        names.append(entry.first);
    return names;
}

std::optional<ConnectionSettings> ConnectionSettingsStore::named(const QString &name) const
{
    QSettings file(m_path, QSettings::IniFormat);
    for (const auto &entry : readNamed(file))
        if (entry.first == name)
            return entry.second;
    return std::nullopt;
}

QString ConnectionSettingsStore::save(const QString &name, const ConnectionSettings &settings)
{
    if (name.trimmed().isEmpty())
        return u"У соединения нет имени"_s;
    QSettings file(m_path, QSettings::IniFormat);
    Named named = readNamed(file);
    auto it = std::find_if(named.begin(), named.end(), [&name](const auto &entry) { return entry.first == name; });
    if (it != named.end())
        it->second = settings;
    else
        named.emplace_back(name, settings);
    writeNamed(file, named);
    return finish(file);
}

QString ConnectionSettingsStore::remove(const QString &name)
{
    QSettings file(m_path, QSettings::IniFormat);
    Named named = readNamed(file);
    std::erase_if(named, [&name](const auto &entry) { return entry.first == name; });
    writeNamed(file, named);
    if (file.value(lastGroup + u"/name"_s).toString() == name)
        file.setValue(lastGroup + u"/name"_s, QString());
    return finish(file);
}

QString passwordAccountOf(const ConnectionSettings &settings)
{
    if (!settings.ssh)
        return databasePasswordAccount(settings.user, settings.host, settings.port, settings.socket);
    return databasePasswordAccount(settings.user, sshForwardTarget(settings.sshTunnel), 0, QString()) + u" via ssh:"_s
        + sshServerText(settings.sshTunnel);
}
