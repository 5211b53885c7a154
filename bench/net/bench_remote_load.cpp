// The program's catalogue load (the core loader into a row store) through
// qm_relay, a link of 100 Mbit/s with a 20 ms round trip, beside the stock
// client over the same relay in the same run (bench_remote_client prints
// that one). Uncompressed only for now: the connection takes no compression
// option yet.
//
// The server's socket comes from MYSQL_UNIX_PORT (eval "$(scripts/db env)").

#include "db/Connection.h"
#include "db/TableLoader.h"
#include "grid/RowStore.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QByteArray catalogueQuery = "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon";
constexpr int repeats = 3;

// The best of a few loads of the database's catalogue through the relay.
double bestLoad(unsigned port, const QString &database, int *rows)
{
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        DbConnection db;
        if (db.connect(u"127.0.0.1"_s, u"root"_s, u"kelp"_s, DbEndpoint{port, {}}).errorNumber != 0 ||
            db.selectDatabase(database) != 0) {
            std::fprintf(stderr, "bench_remote_load: %s\n", qPrintable(db.errorText()));
            return -1;
        }
        RowStore store;
        store.setColumnKinds(std::vector<CellKind>(6, CellKind::Text));
        const LoadOutcome outcome = LoadTable(store, db, catalogueQuery);
        if (!outcome.loaded) {
            std::fprintf(stderr, "bench_remote_load: %s\n", qPrintable(outcome.errorText));
            return -1;
        }
        *rows = outcome.rows;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray socket = qgetenv("MYSQL_UNIX_PORT");
    if (socket.isEmpty()) {
        std::fprintf(stderr, "bench_remote_load: set MYSQL_UNIX_PORT (eval \"$(scripts/db env)\")\n");
        return 1;
    }
    QProcess relay;
    relay.start(QCoreApplication::applicationDirPath() + u"/qm_relay"_s,
                {u"--target"_s, u"unix:"_s + QString::fromLocal8Bit(socket)});
    if (!relay.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_remote_load: the relay did not start\n");
        return 1;
    }
    const unsigned port = relay.readLine().trimmed().split(':').value(1).toUInt();
    int status = 0;
    for (const QString &database : {u"vostelbig100k"_s, u"vostelbig1m"_s}) {
        int rows = 0;
        const double seconds = bestLoad(port, database, &rows);
        if (seconds < 0) {
            status = 1;
            break;
        }
        std::printf("remote-%s-load: %.3f s (%d rows, connect and load, 100 Mbit/s, 20 ms round trip; "
                    "target <= 1.0 x remote-%s-client)\n",
                    qPrintable(database.mid(9)), seconds, rows, qPrintable(database.mid(9)));
    }
    relay.terminate();
    relay.waitForFinished(5000);
    return status;
}
