#include "CatalogueLoad.h"

#include "db/Connection.h"
#include "db/TableLoader.h"
#include "grid/RowStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>

using namespace Qt::StringLiterals;

const QByteArray catalogueQuery = "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon";

namespace {

double secondsOf(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

void complain(const QByteArray &what)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), what.constData());
}

} // namespace

double loadCatalogue(DbConnection &db, int *rows)
{
    QElapsedTimer clock;
    clock.start();
    RowStore store;
    store.setColumnKinds(std::vector<CellKind>(6, CellKind::Text));
    const LoadOutcome outcome = LoadTable(store, db, catalogueQuery);
    if (!outcome.loaded) {
        complain(outcome.errorText.toLocal8Bit());
        return -1;
    }
    *rows = outcome.rows;
    return secondsOf(clock);
}

double clientCatalogue(const QStringList &where, const QString &database, const QStringList &extra)
{
    const QStringList args = QStringList{u"--no-defaults"_s} + where
        + QStringList{u"--user=root"_s, u"--password=kelp"_s, u"--batch"_s, u"--default-character-set=cp1251"_s,
                      u"--database="_s + database, u"-e"_s, QString::fromLatin1(catalogueQuery)}
        + extra;
    QElapsedTimer clock;
    clock.start();
    QProcess client;
    client.setStandardOutputFile(QProcess::nullDevice());
    client.start(u"mariadb"_s, args);
    if (!client.waitForFinished(600000) || client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0) {
        complain("mariadb: " + client.readAllStandardError());
        return -1;
    }
    return secondsOf(clock);
}
