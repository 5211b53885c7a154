#include "db/GridLoad.h"

#include "base/Error.h"
#include "db/LoadProgressDialog.h"
#include "db/LoadThread.h"
#include "db/WaitCursor.h"
#include "grid/RecordGrid.h"
#include "grid/RowStore.h"

#include <memory>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

using namespace std::chrono_literals;

// A load shorter than this never shows the progress window.
constexpr auto progressAfter = 500ms;
// How long a cancelled load may take to end before its connection is cut.
constexpr auto cancelGrace = 900ms;

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
    const WaitCursor wait;
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
    std::unique_ptr<LoadProgressDialog> dialog;
    QObject finishNotice;
    LoadThread load(loaded, connection, query, std::move(previous), [&finishNotice, &dialog] {
        QMetaObject::invokeMethod(&finishNotice, [&dialog] {
            if (dialog)
                dialog->finish();
        }, Qt::QueuedConnection);
    });

    // Until then the window waits, as for any blocking call: no input is taken.
    if (!load.waitFinished(progressAfter)) {
        dialog = std::make_unique<LoadProgressDialog>(grid.window(), [&load] { return load.rowsRead(); });
        if (!load.finished() && dialog->exec() != QDialog::Accepted)
            load.cancel();
        dialog.reset();
    }
    if (load.cancelRequested()) {
        if (!load.waitFinished(cancelGrace))
            load.breakConnection();
        throw QmCancelled();
    }
    load.waitFinished(24h);
    const LoadOutcome outcome = load.outcome();
    if (!outcome.loaded)
        throw QmError(outcome.errorText);
    const BulkChange bulk(grid);
    grid.store().takeRows(loaded);
}
