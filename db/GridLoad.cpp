#include "db/GridLoad.h"

#include "base/Error.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "db/TableLoader.h"
#include "db/WorkRunner.h"
#include "grid/RecordGrid.h"
#include "grid/RowStore.h"

#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// The grid redraws once, after the new rows are in, whatever way it ends.
class BulkChange
{
public:
    explicit BulkChange(RecordGrid &grid) : m_grid(grid) { m_grid.beginBulkChange(); }
    ~BulkChange() { m_grid.endBulkChange(); }
    BulkChange(const BulkChange &) = delete;
    BulkChange &operator=(const BulkChange &) = delete;

private:
    RecordGrid &m_grid;
};

// A load grows its column buffers by doubling. Blocks of a megabyte or more
// are mapped on their own, so every outgrown buffer goes back to the system
// as soon as it is copied, instead of staying resident in the heap (glibc
// would otherwise raise this threshold as large blocks are freed).
void mapLargeBlocksAlone()
{
#if defined(__GLIBC__)
    static const bool once = mallopt(M_MMAP_THRESHOLD, 1 << 20) != 0;
    Q_UNUSED(once);
#endif
}

std::vector<CellKind> columnKinds(const RowStore &store)
{
    std::vector<CellKind> kinds;
    for (int c = 0; c < store.columnCount(); ++c)
        kinds.push_back(store.columnKind(c));
    return kinds;
}

} // namespace

void LoadTable(RecordGrid &grid, DbConnection &connection, const QByteArray &query)
{
    mapLargeBlocksAlone();
    // The grid is empty from here on; the rows it had are freed by the
    // loading thread while the server starts on the query.
    RowStore previous;
    previous.setColumnKinds(columnKinds(grid.store()));
    {
        const BulkChange bulk(grid);
        previous.takeRows(grid.store());
    }

    // The rows arrive in a store of their own; only this (the GUI) thread
    // hands them to the grid, and only when the load is complete.
    RowStore loaded;
    loaded.setColumnKinds(columnKinds(grid.store()));
    const auto load = [&](WorkControl &control) {
        previous = RowStore();
        const LoadOutcome outcome = LoadTable(loaded, connection, query, &control);
        if (!outcome.loaded && !outcome.cancelled)
            throw QmError(outcome.errorText);
    };
    runWithProgress(grid.window(), connection, load,
                    {u"Загрузка таблицы"_s, [](int rows) { return u"Прочитано строк: %1"_s.arg(rows); }});
    const BulkChange bulk(grid);
    grid.store().takeRows(loaded);
}

void LoadTable(RecordGrid &grid, DbShell &shell, const QByteArray &query, const QString &table)
{
    try {
        LoadTable(grid, shell.connection(), query);
    } catch (const QmRunEnding &) {
        throw;
    } catch (const QmCancelled &) {
        shell.LogEvent(LogTexts::loadCancelled(shell.refreshTimeStr(), table));
        throw;
    } catch (const QmError &error) {
        shell.LogEvent(LogTexts::loadFailed(shell.refreshTimeStr(), table, error.text()));
        throw;
    }
    shell.LogEvent(LogTexts::tableLoaded(shell.refreshTimeStr(), table));
}
