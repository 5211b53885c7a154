#include "db/GridLoad.h"

#include "base/Error.h"
#include "db/TableLoader.h"
#include "db/WaitCursor.h"
#include "grid/RecordGrid.h"

namespace {

// The grid redraws once, after the last cell, whatever way the load ends.
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

} // namespace

void LoadTable(RecordGrid &grid, DbConnection &connection, const QByteArray &query)
{
    LoadOutcome outcome;
    {
        const WaitCursor wait;
        const BulkChange bulk(grid);
        outcome = LoadTable(grid.store(), connection, query);
    }
    if (!outcome.loaded)
        throw QmError(outcome.errorText);
}
