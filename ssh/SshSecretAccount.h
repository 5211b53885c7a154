#pragma once

#include "ssh/SshTunnel.h"

#include <QString>

// The keyring account under which the answer to one of ssh's questions is
// kept: a key's passphrase under the key file's absolute path, a password
// under the account, host and port as the settings name them. Empty for a
// question whose answer must not be kept (anything but those two, such as a
// one-time code).
QString sshSecretAccount(const SshTunnelSettings &settings, const SshSecretQuestion &question);
