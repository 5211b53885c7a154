#pragma once

#include "connect/ConnectionSettings.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;

// The row "Сохранённые соединения" of the connection page: a list of named
// connections (a test server, the live one), picked by name; "Сохранить"
// keeps the page's settings under the name typed or picked, "Удалить" drops
// the one shown. Never a password: see RememberPasswordBox.
class SavedConnectionsBar : public QWidget
{
    Q_OBJECT

public:
    // current gives the page's settings, or throws QmError with what is
    // wrong in its boxes.
    SavedConnectionsBar(ConnectionSettingsStore &store, std::function<ConnectionSettings()> current,
                        QWidget *parent = nullptr);

    // The name shown when it names a saved connection, else empty.
    QString currentName() const;
    void showName(const QString &name);

Q_SIGNALS:
    // The operator picked a saved connection: the page takes its settings.
    void picked(const ConnectionSettings &settings);

private:
    void reload();
    void pick(int index);
    void save();
    void remove();

    ConnectionSettingsStore &m_store;
    std::function<ConnectionSettings()> m_current;
    QComboBox *m_names = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_remove = nullptr;
};
