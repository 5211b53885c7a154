#pragma once

#include "ssh/SshTunnel.h"

#include <QByteArray>
#include <QString>

// What ssh says, read for the operator: its askpass prompts as questions, its
// errors as a cause in Russian with ssh's own words kept.

// The prompt that asks whether to trust an unknown host key.
bool isHostKeyPrompt(const QString &prompt);
// The host and the fingerprint from that prompt; empty fields when ssh's
// wording is not the known one.
SshHostKeyQuestion parseHostKeyPrompt(const QString &prompt);
SshSecretQuestion parseSecretPrompt(const QString &prompt);

// Why ssh ended before the tunnel was up. host: how the operator knows the
// SSH server (account, address and port).
SshTunnelFailure describeSshFailure(const SshTunnelSettings &settings, const QString &host, const QByteArray &errors);
// Why a tunnel that was up went away.
QString describeLostTunnel(const QString &host, const QByteArray &errors);
// The last lines ssh wrote that say something, without its notices.
QString sshWords(const QByteArray &errors);
