#pragma once

#include "ssh/SshTunnelSettings.h"

#include <QGroupBox>

class QLineEdit;
class QRadioButton;
class QToolButton;

// The SSH part of the page "Соединение": whether the connection goes through
// an SSH tunnel (the group's check box), the SSH server (a host or an alias of
// ~/.ssh/config, its port, the account), how to log in (the running agent, a
// key file, a password) and the database's host and port as the SSH server
// sees it. An empty port or account leaves them to ssh's config.
class SshGroup : public QGroupBox
{
    Q_OBJECT

public:
    explicit SshGroup(QWidget *parent = nullptr);
    ~SshGroup() override;

    bool isOn() const;
    void setOn(bool on);

    SshTunnelSettings settings() const;
    // Settings the boxes do not show (ssh's config and known hosts files) are
    // kept and given back by settings().
    void setSettings(const SshTunnelSettings &settings);

    // Why the boxes cannot make a tunnel, for the operator; empty when they can.
    QString problem() const;

private:
    void pickKeyFile();
    void showLogin();

    QLineEdit *m_host = nullptr;
    QLineEdit *m_port = nullptr;
    QLineEdit *m_account = nullptr;
    QRadioButton *m_agent = nullptr;
    QRadioButton *m_keyFileLogin = nullptr;
    QRadioButton *m_password = nullptr;
    QLineEdit *m_keyFile = nullptr;
    QToolButton *m_pickKeyFile = nullptr;
    QLineEdit *m_databaseHost = nullptr;
    QLineEdit *m_databasePort = nullptr;
    SshTunnelSettings m_kept;
};
