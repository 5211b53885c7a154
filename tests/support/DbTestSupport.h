#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Helpers shared by the database tests. They talk to the private server that
// scripts/db runs; its socket comes in MYSQL_UNIX_PORT.

// The socket of the shared test server; empty when the environment lacks it.
QByteArray sharedSocket();

// Runs `scripts/db ARGS` with extra environment entries; returns the exit
// status (-1 when it could not run) and puts its output in *output.
int runDbScript(const QStringList &args, const QStringList &env, QString *output = nullptr);

// The number of sessions the given account has open on the shared server,
// asked through an account of its own (root).
int openSessions(const QByteArray &user);

// Runs one statement as root on the server behind socket; true when it ran.
bool runAsRoot(const QByteArray &statement, const QByteArray &socket = sharedSocket());

// A second server of its own (own folder and socket) that a test may
// stop at will without touching the shared one. Stopped when it goes.
class ThrowawayServer
{
public:
    // extraEnv: scripts/db's knobs, e.g. QM_DB_PORT=free, QM_DB_TLS_DIR=...
    explicit ThrowawayServer(const QStringList &extraEnv = {});
    ~ThrowawayServer();
    ThrowawayServer(const ThrowawayServer &) = delete;
    ThrowawayServer &operator=(const ThrowawayServer &) = delete;

    bool start(QString *output);
    bool stop(QString *output);
    QByteArray socket() const;
    // The TCP port it listens on (QM_DB_PORT), 0 when none.
    unsigned port() const;
    // The server's process id, 0 when it is not running.
    qint64 pid() const;

private:
    QStringList env() const;

    QTemporaryDir m_dir;
    QStringList m_extraEnv;
    bool m_started = false;
};
