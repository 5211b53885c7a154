#include "connect/ConnectionSettings.h"

#include "connect/ConnectionSettingsFile.h"
#include "keyring/SecretAccounts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString lastGroup = u"last"_s;
const QString namedArray = u"connections"_s;

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
    // Never ssh's config or known-hosts file (see ConnectionSettingsFile);
    // an older file's lines of them go.
    file.remove(u"sshConfig"_s);
    file.remove(u"sshKnownHosts"_s);
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
    file.setValue(u"certificateName"_s, settings.tls.certificateName);
    file.setValue(u"compressed"_s, settings.tls.compressed);
    file.setValue(u"rememberPassword"_s, settings.rememberPassword);
    writeSsh(file, settings);
}

// Named connections live in an array, so a name may hold any character,
// "/" and "\" included, which QSettings would take for groups in a key. A
// connection that was refused on reading keeps its lines as they were.
void writeNamed(QSettings &file, const std::vector<SavedConnection> &named)
{
    file.remove(namedArray);
    file.beginWriteArray(namedArray, int(named.size()));
    for (int i = 0; i < int(named.size()); ++i) {
        file.setArrayIndex(i);
        const SavedConnection &entry = named[size_t(i)];
        if (!entry.refusal.isEmpty()) {
            for (auto value = entry.raw.cbegin(); value != entry.raw.cend(); ++value)
                file.setValue(value.key(), value.value());
            continue;
        }
        file.setValue(u"name"_s, entry.name);
        writeSettings(file, entry.settings);
    }
    file.endArray();
}

QString syncAndTell(QSettings &file)
{
    file.sync();
    // A format error is what the reading found, and the copy kept aside
    // holds those lines: only a failed write means nothing was written.
    if (file.status() == QSettings::AccessError)
        return u"Настройки соединений не записаны в %1"_s.arg(file.fileName());
    return {};
}

// The bytes of a regular file, as far as a settings file may reach.
QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxConnectionSettingsBytes + 1);
}

// A copy of path already kept aside, byte for byte; empty when there is none.
QString alreadyAside(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const QByteArray bytes = fileBytes(path);
    const QDir folder = info.dir();
    for (const QFileInfo &aside : folder.entryInfoList({info.fileName() + u".unread-*"_s}, QDir::Files)) {
        if (aside.size() != bytes.size())
            continue;
        QFile kept(aside.filePath());
        if (kept.open(QIODevice::ReadOnly) && kept.readAll() == bytes)
            return aside.filePath();
    }
    return {};
}

// A free name beside path for the file kept aside.
QString asidePath(const QString &path)
{
    const QString base = path + u".unread-"_s + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = base + u'-' + QString::number(n);
    return aside;
}

} // namespace

QString connectionSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Quenmark/connections.ini"_s;
}

ConnectionSettingsStore::ConnectionSettingsStore()
    : ConnectionSettingsStore(connectionSettingsPath())
{
}

ConnectionSettingsStore::ConnectionSettingsStore(const QString &path)
    : m_path(path)
{
    load();
}

ConnectionSettingsRead ConnectionSettingsStore::load() const
{
    ConnectionSettingsRead read = readConnectionSettingsFile(m_path);
    if (read.problems.isEmpty())
        return read;
    // What could not be read is never lost: the file as it is goes aside
    // before anything writes over it. One that could not be opened is moved
    // (a fifo, a huge file), so that the settings start anew beside it.
    // A file as this store last kept aside or wrote it holds nothing new;
    // one edited by hand since goes aside again.
    const QByteArray bytes = read.opened ? fileBytes(m_path) : QByteArray();
    if (read.opened && m_known == bytes)
        return read;
    // A file refused at every start is kept aside once.
    const QString before = read.opened ? alreadyAside(m_path) : QString();
    const QString aside = before.isEmpty() ? asidePath(m_path) : before;
    const bool kept = !before.isEmpty() || (read.opened ? QFile::copy(m_path, aside) : QFile::rename(m_path, aside));
    QString told = u"Настройки соединений прочитаны не все: "_s + read.problems.join(u"; "_s) + u"."_s;
    if (kept)
        told += read.opened ? u" Файл как он был сохранён в %1."_s.arg(aside)
                            : u" Файл перенесён в %1; настройки начаты заново."_s.arg(aside);
    else
        told += u" Отложить файл в %1 не удалось: настройки соединений не будут записаны."_s.arg(aside);
    m_problem = told;
    m_problemTold = false;
    m_writable = kept;
    if (kept && read.opened)
        m_known = bytes;
    if (kept && !read.opened)
        read = readConnectionSettingsFile(m_path);
    return read;
}

QString ConnectionSettingsStore::finish(QSettings &file) const
{
    const QString refusal = syncAndTell(file);
    if (refusal.isEmpty())
        m_known = fileBytes(m_path);
    return refusal;
}

QString ConnectionSettingsStore::newProblem() const
{
    if (m_problemTold)
        return {};
    m_problemTold = true;
    return m_problem;
}

QString ConnectionSettingsStore::writeRefusal() const
{
    if (!m_writable)
        return u"Настройки соединений не записаны в %1: файл не отложен"_s.arg(m_path);
    if (const QString refusal = connectionSettingsFileRefusal(m_path); !refusal.isEmpty())
        return u"Настройки соединений не записаны: "_s + refusal;
    return {};
}

std::optional<ConnectionSettings> ConnectionSettingsStore::last() const
{
    return load().last;
}

QString ConnectionSettingsStore::lastName() const
{
    return load().lastName;
}

QString ConnectionSettingsStore::saveLast(const ConnectionSettings &settings, const QString &name)
{
    const ConnectionSettingsRead read = load();
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return refusal;
    QSettings file(m_path, QSettings::IniFormat);
    // The named ones are written again too, so that what could not be read
    // of them (kept aside) goes from the file.
    writeNamed(file, read.named);
    file.remove(lastGroup);
    file.beginGroup(lastGroup);
    writeSettings(file, settings);
    file.setValue(u"name"_s, name);
    file.endGroup();
    return finish(file);
}

QStringList ConnectionSettingsStore::names() const
{
    QStringList names;
    for (const SavedConnection &entry : load().named)
        names.append(entry.name);
    return names;
}

std::optional<ConnectionSettings> ConnectionSettingsStore::named(const QString &name, QString *refusal) const
{
    for (const SavedConnection &entry : load().named) {
        if (entry.name != name)
            continue;
        if (!entry.refusal.isEmpty()) {
            if (refusal)
                *refusal = u"Соединение «%1» не взято: %2"_s.arg(name, entry.refusal);
            return std::nullopt;
        }
        return entry.settings;
    }
    return std::nullopt;
}

QString ConnectionSettingsStore::save(const QString &name, const ConnectionSettings &settings)
{
    if (name.trimmed().isEmpty())
        return u"У соединения нет имени"_s;
    std::vector<SavedConnection> named = load().named;
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return refusal;
    auto it = std::find_if(named.begin(), named.end(), [&name](const auto &entry) { return entry.name == name; });
    if (it == named.end() && int(named.size()) >= maxSavedConnections)
        return u"Сохранено уже %1 соединений: удалите ненужные"_s.arg(maxSavedConnections);
    if (it == named.end())
        it = named.insert(named.end(), SavedConnection{name, {}, {}, {}});
    it->settings = settings;
    it->refusal.clear();
    it->raw.clear();
    QSettings file(m_path, QSettings::IniFormat);
    writeNamed(file, named);
    return finish(file);
}

QString ConnectionSettingsStore::remove(const QString &name)
{
    const ConnectionSettingsRead read = load();
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return refusal;
    std::vector<SavedConnection> named = read.named;
    std::erase_if(named, [&name](const auto &entry) { return entry.name == name; });
    QSettings file(m_path, QSettings::IniFormat);
    writeNamed(file, named);
    if (read.lastName == name)
        file.setValue(lastGroup + u"/name"_s, QString());
    return finish(file);
}

QString ConnectionSettingsStore::forgetPassword(const QString &account)
{
    const ConnectionSettingsRead read = load();
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return refusal;
    std::vector<SavedConnection> named = read.named;
    bool changed = false;
    for (SavedConnection &entry : named)
        if (entry.refusal.isEmpty() && entry.settings.rememberPassword && passwordAccountOf(entry.settings) == account) {
            entry.settings.rememberPassword = false;
            changed = true;
        }
    QSettings file(m_path, QSettings::IniFormat);
    if (changed)
        writeNamed(file, named);
    if (read.last && read.last->rememberPassword && passwordAccountOf(*read.last) == account)
        file.setValue(lastGroup + u"/rememberPassword"_s, false);
    return finish(file);
}

QString passwordAccountOf(const ConnectionSettings &settings)
{
    if (!settings.ssh)
        return databasePasswordAccount(settings.user, settings.host, settings.port, settings.socket);
    return databasePasswordAccount(settings.user, sshForwardTarget(settings.sshTunnel), 0, QString()) + u" via ssh:"_s
        + sshServerText(settings.sshTunnel);
}
