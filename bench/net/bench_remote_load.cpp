// The catalogue load over a remote link: qm_relay stands for it (100 Mbit/s,
// 20 ms round trip). In the same run and over the same relay: the program's
// own load (its connect, then the core loader into a row store), without and
// with compression, and the stock client reading the same SELECT without and
// with --compress. Each figure is the best of three runs, with the bytes that
// crossed the relay back to the reader in the last of them and the processor
// time the server and the reader spent on that one (where the time goes).
//
//   bench_remote_load [--mbit N] [--rtt-ms N] [--only 100k|1m]
//
// The server's socket comes from MYSQL_UNIX_PORT (eval "$(scripts/db env)").

#include "CatalogueLoad.h"

#include "db/Connection.h"

#include <QCoreApplication>
#include <QProcess>

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int repeats = 3;

struct Figure
{
    double seconds = 1e9;
    double megabytesBack = 0;
    double serverCpu = 0;
    double readerCpu = 0;
};

// The processor time of the server process (scripts/db keeps its pid beside
// its socket); 0 when it cannot be read.
double serverCpuSeconds(const QString &pidFile)
{
    QFile pid(pidFile);
    if (!pid.open(QIODevice::ReadOnly))
        return 0;
    QFile stat(u"/proc/"_s + QString::fromLatin1(pid.readAll().trimmed()) + u"/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // utime and stime, fields 14 and 15, after the command in brackets.
    const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

// The processor time of this process and of the children it has waited for.
double readerCpuSeconds()
{
    const auto seconds = [](int who) {
        rusage usage{};
        ::getrusage(who, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    return seconds(RUSAGE_SELF) + seconds(RUSAGE_CHILDREN);
}

// The relay and what it says of each connection that has ended.
class Relay
{
public:
    bool start(const QString &socket, const QString &mbit, const QString &rttMs)
    {
        m_process.start(QCoreApplication::applicationDirPath() + u"/qm_relay"_s,
                        {u"--target"_s, u"unix:"_s + socket, u"--mbit"_s, mbit, u"--rtt-ms"_s, rttMs});
        if (!m_process.waitForReadyRead(5000))
            return false;
        m_port = m_process.readLine().trimmed().split(':').value(1).toUInt();
        return m_port != 0;
    }
    ~Relay()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    unsigned port() const { return m_port; }

    // The bytes sent back on the next connection to end.
    double nextMegabytesBack()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        // "connection N: X bytes to the target, Y bytes back"
        const QList<QByteArray> words = m_process.readLine().split(' ');
        return words.value(7).toDouble() / 1e6;
    }

private:
    QProcess m_process;
    unsigned m_port = 0;
};

// One load through the program's connect; seconds, or -1 with the reason on standard error.
double ourLoad(unsigned port, const QString &database, bool compressed, int *rows)
{
    const auto start = std::chrono::steady_clock::now();
    QString refusal;
    const std::optional<DbLogin> login = makeDbLogin({u"127.0.0.1"_s, port, {}}, u"root"_s, u"kelp"_s,
                                                     {TlsMode::Off, {}, compressed, {}}, &refusal);
    DbConnection db;
    if (db.connect(*login).errorNumber != 0 || db.selectDatabase(database) != 0) {
        std::fprintf(stderr, "bench_remote_load: %s\n", qPrintable(db.errorText()));
        return -1;
    }
    if (loadCatalogue(db, rows) < 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of a few runs, with the bytes and processor times of the last.
template<typename Run>
Figure best(Relay &relay, const QString &serverPidFile, Run run)
{
    Figure figure;
    for (int i = 0; i < repeats; ++i) {
        const double server = serverCpuSeconds(serverPidFile);
        const double reader = readerCpuSeconds();
        const double seconds = run();
        if (seconds < 0)
            return {-1, 0, 0, 0};
        figure.seconds = std::min(figure.seconds, seconds);
        figure.megabytesBack = relay.nextMegabytesBack();
        figure.serverCpu = serverCpuSeconds(serverPidFile) - server;
        figure.readerCpu = readerCpuSeconds() - reader;
    }
    return figure;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&args](const QString &name, const QString &fallback) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
    };
    const QString mbit = option(u"--mbit"_s, u"100"_s);
    const QString rttMs = option(u"--rtt-ms"_s, u"20"_s);
    const QString only = option(u"--only"_s, QString());
    const QByteArray socket = qgetenv("MYSQL_UNIX_PORT");
    if (socket.isEmpty()) {
        std::fprintf(stderr, "bench_remote_load: set MYSQL_UNIX_PORT (eval \"$(scripts/db env)\")\n");
        return 1;
    }
    Relay relay;
    if (!relay.start(QString::fromLocal8Bit(socket), mbit, rttMs)) {
        std::fprintf(stderr, "bench_remote_load: the relay did not start\n");
        return 1;
    }
    const QString serverPidFile = QFileInfo(QString::fromLocal8Bit(socket)).dir().filePath(u"mysqld.pid"_s);
    const QByteArray link = (mbit + u" Mbit/s, "_s + rttMs + u" ms round trip"_s).toUtf8();
    for (const QString &size : {u"100k"_s, u"1m"_s}) {
        if (!only.isEmpty() && only != size)
            continue;
        const QString database = u"vostelbig"_s + size;
        int rows = 0;
        Figure figures[4];
        for (int i = 0; i < 4; ++i) {
            const bool compressed = i % 2 == 1;
            figures[i] = i < 2
                ? best(relay, serverPidFile, [&] { return ourLoad(relay.port(), database, compressed, &rows); })
                : best(relay, serverPidFile, [&] {
                      return clientCatalogue({u"--host=127.0.0.1"_s, u"--port="_s + QString::number(relay.port()),
                                              u"--protocol=tcp"_s},
                                             database, compressed ? QStringList{u"--compress"_s} : QStringList{});
                  });
            if (figures[i].seconds < 0)
                return 1;
        }
        const Figure &load = figures[0], &loadCompressed = figures[1], &client = figures[2],
                     &clientCompressed = figures[3];
        const QByteArray name = u"remote-"_s.append(size).toUtf8();
        std::printf("%s-load: %.3f s, %.1f MB back (%d rows, connect and load, %s; target <= 1.0 x %s-client: %.2f)\n",
                    name.constData(), load.seconds, load.megabytesBack, rows, link.constData(), name.constData(),
                    load.seconds / client.seconds);
        std::printf("%s-load-compressed: %.3f s, %.1f MB back (target <= 0.5 x %s-load: %.2f; "
                    "<= 1.0 x %s-client-compressed: %.2f)\n",
                    name.constData(), loadCompressed.seconds, loadCompressed.megabytesBack, name.constData(),
                    loadCompressed.seconds / load.seconds, name.constData(),
                    loadCompressed.seconds / clientCompressed.seconds);
        std::printf("%s-client: %.3f s, %.1f MB back (mariadb --batch, %s)\n", name.constData(), client.seconds,
                    client.megabytesBack, link.constData());
        std::printf("%s-client-compressed: %.3f s, %.1f MB back (mariadb --batch --compress, %s)\n",
                    name.constData(), clientCompressed.seconds, clientCompressed.megabytesBack, link.constData());
        std::printf("%s-cpu: server %.2f / %.2f s, reader %.2f / %.2f s (load uncompressed / compressed); "
                    "client: server %.2f / %.2f s, reader %.2f / %.2f s\n",
                    name.constData(), load.serverCpu, loadCompressed.serverCpu, load.readerCpu,
                    loadCompressed.readerCpu, client.serverCpu, clientCompressed.serverCpu, client.readerCpu,
                    clientCompressed.readerCpu);
        std::fflush(stdout);
    }
    return 0;
}
