#include "connect/ConnectionSettingsFile.h"

#include <QFileInfo>
#include <QSet>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

// Reads the keys of one connection (the current group of file), noting the
// first value that cannot be read.
class StrictReader
{
public:
    StrictReader(const QSettings &file, QString prefix)
        : m_file(file)
        , m_prefix(std::move(prefix))
    {
    }

    QString refusal() const { return m_refusal; }

    QString text(const QString &key, const QString &initial)
    {
        if (!m_file.contains(key))
            return initial;
        const QVariant value = m_file.value(key);
        // The file holds texts; what this program wrote in this run is still
        // held as the number or flag it wrote. A list or a serialised value
        // is no setting of ours.
        const int type = value.typeId();
        if (type != QMetaType::QString && type != QMetaType::Bool && type != QMetaType::Int && type != QMetaType::UInt
            && type != QMetaType::LongLong && type != QMetaType::ULongLong) {
            refuse(key, value.toString(), u"не строка"_s);
            return initial;
        }
        const QString read = value.toString();
        // A NUL would end the text where the library reads it, short of what
        // the page shows; no setting of ours holds a control character.
        for (const QChar c : read)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
                refuse(key, read, u"в нём управляющий символ"_s);
                return initial;
            }
        return read;
    }

    bool flag(const QString &key, bool initial)
    {
        const QString read = text(key, initial ? u"true"_s : u"false"_s);
        if (read == u"true"_s || read == u"false"_s)
            return read == u"true"_s;
        refuse(key, read, u"не true и не false"_s);
        return initial;
    }

    // A port: from to 65535, or 0 where zero means the default.
    int port(const QString &key, int initial, int from)
    {
        const QString read = text(key, QString::number(initial));
        bool ok = false;
        const uint value = read.toUInt(&ok);
        bool digits = !read.isEmpty();
        for (const QChar c : read)
            digits = digits && c >= u'0' && c <= u'9';
        if (ok && digits && (value == 0 ? from == 0 : value <= 65535))
            return int(value);
        refuse(key, read, from == 0 ? u"не число от 0 до 65535"_s : u"не число от 1 до 65535"_s);
        return initial;
    }

    // One of names, exactly as written by this program.
    int choice(const QString &key, const QStringList &names, int initial)
    {
        const QString read = text(key, names.value(initial));
        const qsizetype index = names.indexOf(read);
        if (index >= 0)
            return int(index);
        refuse(key, read, u"не одно из: "_s + names.join(u", "_s));
        return initial;
    }

private:
    void refuse(const QString &key, const QString &value, const QString &why)
    {
        if (m_refusal.isEmpty())
            m_refusal = u"в файле %1 ключ %2 = «%3» не прочитан: %4"_s.arg(m_file.fileName(), m_prefix + key,
                                                                             value.left(80), why);
    }

    const QSettings &m_file;
    QString m_prefix;
    QString m_refusal;
};

const QStringList tlsNames{u"off"_s, u"preferred"_s, u"required"_s, u"verified"_s};
const QStringList sshLoginNames{u"agent"_s, u"key"_s, u"password"_s};

void readSsh(StrictReader &read, ConnectionSettings &settings)
{
    SshTunnelSettings &tunnel = settings.sshTunnel;
    settings.ssh = read.flag(u"ssh"_s, false);
    tunnel.host = read.text(u"sshHost"_s, {});
    tunnel.port = read.port(u"sshPort"_s, 0, 0);
    tunnel.account = read.text(u"sshAccount"_s, {});
    tunnel.login = SshLogin(read.choice(u"sshLogin"_s, sshLoginNames, 0));
    tunnel.keyFile = read.text(u"sshKeyFile"_s, {});
    tunnel.databaseHost = read.text(u"sshDatabaseHost"_s, tunnel.databaseHost);
    tunnel.databasePort = read.port(u"sshDatabasePort"_s, tunnel.databasePort, 1);
    // ssh's config and known-hosts files are never taken from this file: a
    // file from someone else could point ssh at a ProxyCommand or at host
    // keys of their choosing, and the page would show neither.
}

// The settings of the current group; missing keys keep the initial values.
ConnectionSettings readSettings(StrictReader &read)
{
    ConnectionSettings settings;
    settings.host = read.text(u"host"_s, settings.host);
    settings.port = unsigned(read.port(u"port"_s, 0, 0));
    settings.socket = read.text(u"socket"_s, {});
    settings.user = read.text(u"user"_s, settings.user);
    settings.database = read.text(u"database"_s, settings.database);
    settings.tls.mode = TlsMode(read.choice(u"tls"_s, tlsNames, int(settings.tls.mode)));
    settings.tls.caFile = read.text(u"ca"_s, {});
    settings.tls.certificateName = read.text(u"certificateName"_s, {});
    settings.tls.compressed = read.flag(u"compressed"_s, false);
    settings.rememberPassword = read.flag(u"rememberPassword"_s, false);
    readSsh(read, settings);
    return settings;
}

QMap<QString, QVariant> rawValues(const QSettings &file)
{
    QMap<QString, QVariant> raw;
    for (const QString &key : file.allKeys())
        raw.insert(key, file.value(key));
    return raw;
}

void readNamed(QSettings &file, ConnectionSettingsRead &read)
{
    const QString array = u"connections"_s;
    // The count is read as text first: beginReadArray would take any number,
    // and millions of empty entries freeze the start.
    const QString sizeText = file.value(array + u"/size"_s).toString();
    bool ok = false;
    const int size = sizeText.toInt(&ok);
    if (file.contains(array + u"/size"_s) && (!ok || size < 0 || size > maxSavedConnections))
        read.problems.append(u"в файле %1 ключ %2/size = «%3» не прочитан: не число от 0 до %4"_s.arg(
            file.fileName(), array, sizeText.left(80), QString::number(maxSavedConnections)));
    const int count = std::clamp(ok ? size : 0, 0, maxSavedConnections);
    QSet<QString> taken;
    file.beginReadArray(array);
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        const QString prefix = u"%1/%2/"_s.arg(array).arg(i + 1);
        StrictReader strict(file, prefix);
        SavedConnection entry;
        entry.name = strict.text(u"name"_s, {});
        if (!strict.refusal().isEmpty() || entry.name.trimmed().isEmpty()) {
            if (file.childKeys().isEmpty())
                continue;
            read.problems.append(strict.refusal().isEmpty()
                                     ? u"в файле %1 у соединения %2 нет имени"_s.arg(file.fileName(), prefix + u"name"_s)
                                     : strict.refusal());
            continue;
        }
        if (taken.contains(entry.name)) {
            read.problems.append(u"в файле %1 ключ %2 = «%3» не прочитан: это имя уже занято"_s.arg(
                file.fileName(), prefix + u"name"_s, entry.name));
            continue;
        }
        taken.insert(entry.name);
        entry.settings = readSettings(strict);
        entry.refusal = strict.refusal();
        if (!entry.refusal.isEmpty()) {
            entry.raw = rawValues(file);
            read.problems.append(entry.refusal);
        }
        read.named.push_back(std::move(entry));
    }
    file.endArray();
}

} // namespace

QString connectionSettingsFileRefusal(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    if (!info.isFile())
        return u"файл настроек соединений %1 — не обычный файл"_s.arg(path);
    if (info.size() > maxConnectionSettingsBytes)
        return u"файл настроек соединений %1 больше %2 байт"_s.arg(path).arg(maxConnectionSettingsBytes);
    return {};
}

ConnectionSettingsRead readConnectionSettingsFile(const QString &path)
{
    ConnectionSettingsRead read;
    if (const QString refusal = connectionSettingsFileRefusal(path); !refusal.isEmpty()) {
        read.opened = false;
        read.problems.append(refusal);
        return read;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() == QSettings::FormatError)
        read.problems.append(u"файл настроек соединений %1 прочитан не весь: в нём есть строки не в формате INI"_s.arg(path));
    if (file.childGroups().contains(u"last"_s)) {
        file.beginGroup(u"last"_s);
        StrictReader strict(file, u"last/"_s);
        const ConnectionSettings last = readSettings(strict);
        read.lastName = strict.text(u"name"_s, {});
        read.lastRefusal = strict.refusal();
        if (read.lastRefusal.isEmpty())
            read.last = last;
        else
            read.problems.append(read.lastRefusal);
        file.endGroup();
    }
    readNamed(file, read);
    return read;
}
