// The program's catalogue load (the core loader into a row store) through the
// SSH tunnel and directly, over the same local link, in one run: a private
// sshd on 127.0.0.1 forwards the tunnel to the database server's socket, and
// the direct load reads that socket itself. Beside them the stock client the
// same two ways. Best of five, 100k and 1M rows, each load on an open
// connection; the connect apart (the stock client's figures include it).
//
// The server's socket comes from MYSQL_UNIX_PORT (scripts/bench sets it).
// Starting the private sshd needs root.

#include "CatalogueLoad.h"
#include "SshTestServer.h"

#include "ssh/AskpassClient.h"
#include "db/Connection.h"
#include "ssh/SshTunnel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int repeats = 5;

double secondsOf(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

// Connects through socket and selects the database; false with the reason on
// standard error.
bool connectTo(DbConnection &db, const QByteArray &socket, const QString &database)
{
    if (db.connect(u"localhost"_s, u"root"_s, u"kelp"_s, DbEndpoint{0, socket}).errorNumber == 0
        && db.selectDatabase(database) == 0)
        return true;
    std::fprintf(stderr, "bench_ssh_load: %s\n", qPrintable(db.errorText()));
    return false;
}

// The tunnel to the server's socket, up; its local end, or empty.
QString openTunnel(SshTunnel &tunnel, const SshTestServer &server, const QString &databaseSocket)
{
    QFile known(server.file(u"known_hosts"_s));
    if (!known.open(QIODevice::WriteOnly) || known.write(server.knownHostsLine(u"host_key.pub"_s)) <= 0)
        return {};
    known.close();
    SshTunnelSettings settings;
    settings.host = u"127.0.0.1"_s;
    settings.port = server.port();
    settings.account = u"root"_s;
    settings.login = SshLogin::KeyFile;
    settings.keyFile = server.file(u"user_key"_s);
    settings.databaseHost = databaseSocket;
    settings.configFile = server.file(u"config"_s);
    settings.knownHostsFile = known.fileName();
    QEventLoop loop;
    QString socket;
    QObject::connect(&tunnel, &SshTunnel::ready, &loop, [&](const QString &path) {
        socket = path;
        loop.quit();
    });
    QObject::connect(&tunnel, &SshTunnel::failed, &loop, [&](const SshTunnelFailure &failure) {
        std::fprintf(stderr, "bench_ssh_load: %s\n", qPrintable(failure.message));
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    tunnel.open(settings);
    loop.exec();
    return socket;
}

} // namespace

int main(int argc, char *argv[])
{
    // ssh runs this program as its askpass helper, as it runs the program.
    if (const std::optional<int> code = answerSshAskpass(argc, argv))
        return *code;
    QCoreApplication app(argc, argv);
    const QByteArray direct = qgetenv("MYSQL_UNIX_PORT");
    if (direct.isEmpty()) {
        std::fprintf(stderr, "bench_ssh_load: set MYSQL_UNIX_PORT (eval \"$(scripts/db env)\")\n");
        return 1;
    }
    SshTestServer server;
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "bench_ssh_load: %s\n", qPrintable(error));
        return 1;
    }
    SshTunnel tunnel;
    const QByteArray tunnelled = openTunnel(tunnel, server, QString::fromLocal8Bit(direct)).toLocal8Bit();
    if (tunnelled.isEmpty())
        return 1;

    const QByteArray ways[2] = {direct, tunnelled};
    // The connect alone: what each connection of the program pays once.
    double connectBest[2] = {1e9, 1e9};
    for (int i = 0; i < 10; ++i) {
        for (int way = 0; way < 2; ++way) {
            QElapsedTimer clock;
            clock.start();
            DbConnection db;
            if (!connectTo(db, ways[way], u"vosteldb"_s))
                return 1;
            connectBest[way] = std::min(connectBest[way], secondsOf(clock));
        }
    }
    std::printf("ssh-connect-direct: %.4f s (connect and select the database, the server's socket)\n", connectBest[0]);
    std::printf("ssh-connect-tunnel: %.4f s (through the tunnel)\n", connectBest[1]);

    for (const QString &database : {u"vostelbig100k"_s, u"vostelbig1m"_s}) {
        const QString size = database.mid(9);
        DbConnection db[2];
        if (!connectTo(db[0], direct, database) || !connectTo(db[1], tunnelled, database))
            return 1;
        // The two ways take turns, so that what else the machine does falls on both.
        double best[2] = {1e9, 1e9}, clientBest[2] = {1e9, 1e9};
        int rows = 0;
        for (int i = 0; i < repeats; ++i) {
            for (int way = 0; way < 2; ++way) {
                const double seconds = loadCatalogue(db[way], &rows);
                const double clientSeconds = clientCatalogue({u"--socket="_s + QString::fromLocal8Bit(ways[way])}, database);
                if (seconds < 0 || clientSeconds < 0)
                    return 1;
                best[way] = std::min(best[way], seconds);
                clientBest[way] = std::min(clientBest[way], clientSeconds);
            }
        }
        std::printf("ssh-%s-load-direct: %.3f s (%d rows on an open connection, the server's socket)\n",
                    qPrintable(size), best[0], rows);
        std::printf("ssh-%s-load-tunnel: %.3f s (%.2f x direct; target <= 1.3 x ssh-%s-load-direct; "
                    "sshd on 127.0.0.1)\n",
                    qPrintable(size), best[1], best[1] / best[0], qPrintable(size));
        std::printf("ssh-%s-client-direct: %.3f s (mariadb --batch, connect included)\n", qPrintable(size),
                    clientBest[0]);
        std::printf("ssh-%s-client-tunnel: %.3f s (%.2f x direct, mariadb --batch, connect included)\n",
                    qPrintable(size), clientBest[1], clientBest[1] / clientBest[0]);
        std::fflush(stdout);
    }
    return 0;
}
