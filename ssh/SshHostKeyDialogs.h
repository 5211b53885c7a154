#pragma once

#include "ssh/SshTunnel.h"

#include <QDialog>

// The question about a host key that no known hosts file holds: the host, the
// key's type and SHA256 fingerprint, and "Соединиться один раз", "Доверять и
// запомнить" or "Отмена" (also Escape and the close box).
class SshUnknownHostKeyDialog : public QDialog
{
    Q_OBJECT

public:
    SshUnknownHostKeyDialog(QWidget *parent, const SshHostKeyQuestion &question);

    SshHostKeyChoice choice() const { return m_choice; }

private:
    SshHostKeyChoice m_choice = SshHostKeyChoice::Cancel;
};

// The warning for a host key that changed: the host, the key on record and
// where it is written, the key offered now. Its one button closes it; nothing
// connects anyway. Returns when the operator has closed it.
void showChangedHostKeyWarning(QWidget *parent, const SshTunnelFailure &failure);
