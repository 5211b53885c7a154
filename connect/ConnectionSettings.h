#pragma once

#include "ssh/SshTunnelSettings.h"
#include "db/TlsOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

class QSettings;

// Everything that says where and how to connect, except secrets: the
// password (and any passphrase) lives only in the keyring (PasswordStore),
// never in these settings or their file.
struct ConnectionSettings
{
    // The initial texts of the page "Соединение".
    QString host = QStringLiteral("localhost");
    unsigned port = 0; // 0 = the default port
    QString socket;    // a local server's socket; empty = none given
    QString user = QStringLiteral("root");
    QString database = QStringLiteral("vosteldb");
    TlsOptions tls;
    // The operator asked to keep the password in the keyring.
    bool rememberPassword = false;

    // Through an SSH tunnel: the connection then goes to the tunnel's local
    // end, and the database's address is the one the SSH server sees
    // (sshTunnel.databaseHost and databasePort). The tunnel's settings are
    // kept while it is off, so that turning it on again brings them back.
    bool ssh = false;
    SshTunnelSettings sshTunnel;

    bool operator==(const ConnectionSettings &) const = default;
};

// The keyring account of the database password for these settings. Through a
// tunnel the database is the SSH server's, so the account names that server:
// two servers reached as 127.0.0.1:3306 never share a password.
QString passwordAccountOf(const ConnectionSettings &settings);

// The settings file of the connections, in the user's config folder:
// <config>/Quenmark/connections.ini.
QString connectionSettingsPath();

// The last successful connection and the named connections, in one settings
// file. Writers return an empty text on success, else why the file could not
// be written (nothing is lost: the previous file stays as it was).
class ConnectionSettingsStore
{
public:
    // The store in the user's config folder, or in the given file (tests).
    ConnectionSettingsStore();
    explicit ConnectionSettingsStore(const QString &path);

    // The connection that last succeeded, and the name it was picked under
    // (empty when it was typed). nullopt before the first success.
    std::optional<ConnectionSettings> last() const;
    QString lastName() const;
    QString saveLast(const ConnectionSettings &settings, const QString &name = QString());

    // Named connections, in the order they were first saved. Saving under an
    // existing name replaces it; a name is any non-blank text.
    QStringList names() const;
    std::optional<ConnectionSettings> named(const QString &name) const;
    QString save(const QString &name, const ConnectionSettings &settings);
    QString remove(const QString &name);

    QString path() const { return m_path; }

private:
    QString m_path;
};
