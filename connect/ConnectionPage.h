#pragma once

#include "connect/ConnectionSettings.h"

#include <QWidget>

class ConnectRoute;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class RememberPasswordBox;
class SavedConnectionsBar;
class DbShell;
class TlsGroup;

// The page "Соединение": server, account, password and database, and the
// button that connects and selects the database, reporting to the log; around
// them the port, the link's protection and compression, the named
// connections, and the settings of the last connection, which come back at
// the next start (the password only from the keyring, when asked to).
class ConnectionPage : public QWidget
{
    Q_OBJECT

public:
    explicit ConnectionPage(DbShell &shell, QWidget *parent = nullptr);

    // Connects with the boxes' settings and selects the database; two log
    // lines with one TimeStr, whatever either step comes to (none when the
    // connect is cancelled). A connection made is remembered for the next start.
    void Button1Click();

    // A way that connects must open first (an SSH tunnel) and its group of
    // settings, placed under the group of the link's protection. The page
    // does not own route; group becomes the page's.
    void setRoute(ConnectRoute *route, QWidget *group);

    // A log line for the settings file each time part of it could not be
    // read and it was kept aside; nothing when there is nothing new.
    void logSettingsProblem();

    QLineEdit *Edit1 = nullptr; // host
    QLineEdit *Edit2 = nullptr; // account
    QLineEdit *Edit3 = nullptr; // password
    QLineEdit *Edit4 = nullptr; // database
    QPushButton *Button1 = nullptr;

Q_SIGNALS:
    // Where the connection goes ("root@db.example.org:3307 / world"), after a
    // connect; empty when there is none.
    void serverChanged(const QString &server);

private:
    void showSettings(const ConnectionSettings &settings);
    // Every setting but the address, which the host and port boxes give.
    ConnectionSettings settingsBesideAddress() const;
    // The boxes' settings; throws QmError when the host or port box is wrong.
    ConnectionSettings settingsOfBoxes() const;
    void showState(const QString &state);
    // "Запомнить пароль" unticked: the keyring and the settings forget at once.
    void forgetPassword();

    DbShell &m_shell;
    ConnectionSettingsStore m_store;
    ConnectRoute *m_route = nullptr;
    QLineEdit *m_port = nullptr;
    RememberPasswordBox *m_remember = nullptr;
    TlsGroup *m_tls = nullptr;
    SavedConnectionsBar *m_saved = nullptr;
    QLabel *m_state = nullptr;
    QVBoxLayout *m_routeSlot = nullptr;
};
