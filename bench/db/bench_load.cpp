// Loads the benchmark catalogues (100k and 1M weapons) into a record grid,
// from the click to the painted grid, and compares time and memory with the
// stock client printing the same SELECT to /dev/null on the same server, both
// as it stores the whole result (--batch) and as it streams it (--quick, the
// floor for reading the rows at all).
//
//   bench_load            runs both sizes, each in a fresh process
//   bench_load --one DB   one size in this process (used by the above)
//   bench_load --client DB batch|quick   one run of the stock client (used by --one)
//
// The server's socket comes from MYSQL_UNIX_PORT (eval "$(scripts/db env)").

#include "db/Connection.h"
#include "db/GridLoad.h"
#include "grid/RecordGrid.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QProcess>

#include <mysql.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const char *const catalogueQuery = "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon";
constexpr int repeats = 3;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// VmRSS or VmHWM of this process, in KiB.
long statusKiB(const char *field)
{
    QFile file(u"/proc/self/status"_s);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

void resetPeak()
{
    QFile file(u"/proc/self/clear_refs"_s);
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
}

struct ClientRun
{
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

// One run of the stock client, output to /dev/null; wall time and peak RSS.
ClientRun runClient(const QByteArray &database, bool quick)
{
    const QByteArray socket = "--socket=" + qgetenv("MYSQL_UNIX_PORT");
    const QByteArray db = "--database=" + database;
    const char *argv[] = {"mariadb", "--no-defaults", "--batch", socket.constData(), "--user=root",
                          "--password=kelp", "--default-character-set=cp1251", db.constData(),
                          "-e", catalogueQuery, quick ? "--quick" : nullptr, nullptr};
    ClientRun run;
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execvp(argv[0], const_cast<char *const *>(argv));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = secondsSince(start);
    run.peakKiB = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// A child forked from a process inherits its resident pages in its peak
// figure, so the client is started from a fresh, small copy of this program
// (--client) and not from the one that holds a loaded grid.
ClientRun runClientFromSmallProcess(const QByteArray &database, bool quick)
{
    QProcess launcher;
    launcher.start(QApplication::applicationFilePath(),
                   {u"--client"_s, QString::fromLatin1(database), quick ? u"quick"_s : u"batch"_s});
    ClientRun run;
    if (!launcher.waitForFinished(600000) || launcher.exitCode() != 0)
        return run;
    const QList<QByteArray> f = launcher.readAllStandardOutput().trimmed().split(' ');
    if (f.size() == 3)
        run = {f[0].toDouble(), f[1].toLong(), f[2] == "1"};
    return run;
}

// One size in this process: prints "grid-seconds peak-KiB after-KiB
// client-seconds client-peak-KiB rows quick-seconds quick-peak-KiB
// wire-seconds" on one line for the parent.
int runOne(const QByteArray &database)
{
    DbConnection db;
    db.connect(u"localhost"_s, u"root"_s, u"kelp"_s);
    if (db.errorNumber() != 0 || db.selectDatabase(QString::fromLatin1(database)) != 0) {
        std::fprintf(stderr, "bench_load: %s\n", qPrintable(db.errorText()));
        return 1;
    }

    RecordGrid grid;
    grid.setColumns({{u"item id"_s, 50, SortKind::Numeric},
                     {u"Type"_s, 50},
                     {u"Name"_s, 160},
                     {u"Grade"_s, 40},
                     {u"Price"_s, 60, SortKind::Numeric},
                     {u"Sellable"_s, 40}});
    grid.resize(417, 369);
    grid.show();
    QApplication::processEvents();

    const long baseKiB = statusKiB("VmRSS");
    double best = 1e9;
    long peakKiB = 0;
    long afterKiB = 0;
    for (int i = 0; i < repeats; ++i) {
        if (i == 0)
            resetPeak();
        const Clock::time_point start = Clock::now();
        LoadTable(grid, db, catalogueQuery);
        grid.viewport()->repaint();
        QApplication::processEvents();
        best = std::min(best, secondsSince(start));
        if (i == 0) {
            peakKiB = statusKiB("VmHWM") - baseKiB;
            afterKiB = statusKiB("VmRSS") - baseKiB;
        }
    }

    // The wire alone: every row fetched through the library and dropped.
    double wireBest = 1e9;
    for (int i = 0; i < repeats; ++i) {
        const Clock::time_point start = Clock::now();
        mysql_query(db.handle(), catalogueQuery);
        MYSQL_RES *result = mysql_use_result(db.handle());
        while (result && mysql_fetch_row(result)) {
        }
        mysql_free_result(result);
        wireBest = std::min(wireBest, secondsSince(start));
    }

    double clientBest[2] = {1e9, 1e9};
    long clientPeak[2] = {0, 0};
    for (int i = 0; i < repeats; ++i) {
        for (int quick = 0; quick < 2; ++quick) {
            const ClientRun run = runClientFromSmallProcess(database, quick == 1);
            if (!run.ok) {
                std::fprintf(stderr, "bench_load: the mariadb client failed\n");
                return 1;
            }
            clientBest[quick] = std::min(clientBest[quick], run.seconds);
            clientPeak[quick] = std::max(clientPeak[quick], run.peakKiB);
        }
    }
    std::printf("%f %ld %ld %f %ld %d %f %ld %f\n", best, peakKiB, afterKiB, clientBest[0], clientPeak[0],
                grid.RowCount(), clientBest[1], clientPeak[1], wireBest);
    return 0;
}

struct SizeResult
{
    double grid = 0, client = 0;
    long peak = 0, after = 0, clientPeak = 0;
    int rows = 0;
    double quick = 0;
    long quickPeak = 0;
    double wire = 0;
};

bool measure(const QString &self, const QString &database, SizeResult &out)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {u"--one"_s, database});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        return false;
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    if (f.size() != 9)
        return false;
    out = {f[0].toDouble(), f[3].toDouble(), f[1].toLong(), f[2].toLong(), f[4].toLong(), f[5].toInt(),
           f[6].toDouble(), f[7].toLong(), f[8].toDouble()};
    return true;
}

void printSize(const char *name, const SizeResult &r, double timeTarget)
{
    std::printf("load-%s-grid: %.3f s (%d rows, click to painted)\n", name, r.grid, r.rows);
    std::printf("load-%s-client: %.3f s, peak %.0f MB (mariadb --batch > /dev/null)\n", name, r.client,
                r.clientPeak / 1024.0);
    std::printf("load-%s-client-quick: %.3f s, peak %.0f MB (mariadb --batch --quick > /dev/null)\n", name,
                r.quick, r.quickPeak / 1024.0);
    std::printf("load-%s-wire: %.3f s = %.2f x client (the rows fetched and dropped: the floor here)\n", name,
                r.wire, r.wire / r.client);
    std::printf("load-%s-time: %.2f x client (target <= %.1f x)\n", name, r.grid / r.client, timeTarget);
    std::printf("load-%s-time-quick: %.2f x the streamed client\n", name, r.grid / r.quick);
    std::printf("load-%s-rss-after: %.2f x client peak (%.0f MB vs %.0f MB; target <= 0.6 x)\n", name,
                double(r.after) / double(r.clientPeak), r.after / 1024.0, r.clientPeak / 1024.0);
    std::printf("load-%s-peak: %.2f x client peak (%.0f MB; target <= 1.0 x)\n", name,
                double(r.peak) / double(r.clientPeak), r.peak / 1024.0);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--client") == 0) {
        const ClientRun run = runClient(argv[2], std::strcmp(argv[3], "quick") == 0);
        std::printf("%f %ld %d\n", run.seconds, run.peakKiB, run.ok ? 1 : 0);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == u"--one"_s)
        return runOne(args[2].toLatin1());

    if (qEnvironmentVariableIsEmpty("MYSQL_UNIX_PORT")) {
        std::fprintf(stderr, "bench_load: set MYSQL_UNIX_PORT (eval \"$(scripts/db env)\")\n");
        return 1;
    }
    SizeResult small, large;
    if (!measure(QApplication::applicationFilePath(), u"vostelbig100k"_s, small) ||
        !measure(QApplication::applicationFilePath(), u"vostelbig1m"_s, large)) {
        std::fprintf(stderr, "bench_load: a measurement failed (are the tables there? scripts/db big)\n");
        return 1;
    }
    printSize("100k", small, 0.8);
    printSize("1m", large, 0.7);
    std::printf("load-growth: %.1f x the 100k time at 1M (target <= 11 x)\n", large.grid / small.grid);
    return 0;
}
