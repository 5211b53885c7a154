#pragma once

#include "ssh/SshTunnelSettings.h"
#include "db/TlsOptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct ConnectionSettingsRead;

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

class QSettings;

// The settings file of the connections, in the user's config folder:
// <config>/Quenmark/connections.ini.
QString connectionSettingsPath();

// The last successful connection and the named connections, in one settings
// file. Writers return an empty text on success, else why the file could not
// be written (nothing is lost: the previous file stays as it was).
//
// The file is read strictly (ConnectionSettingsFile): when any of it cannot
// be read, the file as it was is kept aside under another name before
// anything writes over it, and problem() says so.
class ConnectionSettingsStore
{
public:
    // The store in the user's config folder, or in the given file (tests).
    ConnectionSettingsStore();
    explicit ConnectionSettingsStore(const QString &path);

    // What the operator must be told about the file (what could not be read
    // and where the file was kept aside); empty when it was read whole.
    QString problem() const { return m_problem; }
    // problem() once after each time the file was kept aside; empty after.
    QString newProblem() const;

    // The connection that last succeeded, and the name it was picked under
    // (empty when it was typed). nullopt before the first success.
    std::optional<ConnectionSettings> last() const;
    QString lastName() const;
    QString saveLast(const ConnectionSettings &settings, const QString &name = QString());

    // Named connections, in the order they were first saved; names are
    // unique. Saving under an existing name replaces it; a name is any
    // non-blank text.
    QStringList names() const;
    // nullopt also for a connection refused on reading: refusal then says why.
    std::optional<ConnectionSettings> named(const QString &name, QString *refusal = nullptr) const;
    QString save(const QString &name, const ConnectionSettings &settings);
    QString remove(const QString &name);

    // The password of account is no longer kept: the last and the named
    // connections of that account stop asking the keyring for it.
    QString forgetPassword(const QString &account);

    QString path() const { return m_path; }

private:
    ConnectionSettingsRead load() const;
    QString writeRefusal() const;
    // Writes file out; the file as written is then known, not hand-edited.
    QString finish(QSettings &file) const;

    QString m_path;
    mutable QString m_problem;
    mutable bool m_problemTold = true;
    // The file's bytes as this store last kept aside or wrote them.
    mutable QByteArray m_known;
    mutable bool m_writable = true;
};
