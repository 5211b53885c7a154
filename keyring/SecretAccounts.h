#pragma once

#include <QString>

// The accounts under which the keyring keeps the program's secrets, all named
// here so that one look shows every name the keyring holds for us.

// A database password: user, host and port (or socket), so two servers with
// the same account name keep two passwords.
QString databasePasswordAccount(const QString &user, const QString &host, unsigned port, const QString &socket);
// The passphrase of an SSH key, under the key file's absolute path.
QString sshKeyPassphraseAccount(const QString &keyFile);
// The password of an SSH account: account, host and port (0: ssh's default),
// as the tunnel's settings name them.
QString sshPasswordAccount(const QString &account, const QString &host, int port);
