#include "db/ConnectionSettings.h"

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
