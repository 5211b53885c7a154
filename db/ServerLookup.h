#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class DbConnection;
class QLineEdit;
class QWidget;

// A look-up of what the server holds for the text of a box, made once the
// box has rested for a moment after typing, never on every keystroke. While
// another work holds the connection (a load's progress window is up) it waits
// for that work to end.
class ServerLookup : public QObject
{
    Q_OBJECT

public:
    static constexpr int restMs = 300;

    // lookUp runs on this thread, through run() for what it asks the server.
    ServerLookup(QLineEdit *box, DbConnection &connection, std::function<void()> lookUp, QObject *parent);

    // Forgets a look-up still waiting for the box to rest.
    void stop() { m_rest.stop(); }

    // Runs job on the connection as a table load runs (see runWithProgress):
    // off this thread, with the progress window and "Отмена" should the server
    // be slow. Returns the short note of why it did not end well, empty when
    // it did; never throws.
    static QString run(QWidget *window, DbConnection &connection, const std::function<void(DbConnection &)> &job);

private:
    DbConnection &m_connection;
    std::function<void()> m_lookUp;
    QTimer m_rest;
};
