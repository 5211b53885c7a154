#include "db/TableLoader.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "grid/NumberText.h"
#include "grid/RowStore.h"

#include <mysql.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Freeing a streamed result reads what the server still sends and drops it.
struct ResultFree
{
    void operator()(MYSQL_RES *result) const { mysql_free_result(result); }
};
using ResultPtr = std::unique_ptr<MYSQL_RES, ResultFree>;

// Empties the store unless the load got to its end.
class ClearUnlessDone
{
public:
    explicit ClearUnlessDone(RowStore &store) : m_store(store) {}
    ~ClearUnlessDone()
    {
        if (!m_done)
            m_store.clearRows();
    }
    ClearUnlessDone(const ClearUnlessDone &) = delete;
    ClearUnlessDone &operator=(const ClearUnlessDone &) = delete;
    void done() { m_done = true; }

private:
    RowStore &m_store;
    bool m_done = false;
};

LoadOutcome failed(const DbConnection &connection)
{
    LoadOutcome outcome;
    outcome.errorText = connection.errorText();
    if (connection.errorNumber() == 0)
        outcome.errorText = u"The query returned no result set"_s;
    return outcome;
}

// The progress count is written now and then, not per row: the watcher
// reads it a few times a second.
constexpr int progressEvery = 4096;
// A streamed result has no row count. A load that gets past its first rows
// makes room for a million at the size per row seen so far, so that a large
// catalogue is not copied again and again as its buffers double.
constexpr int sizeAfterRows = 4096;
constexpr std::size_t expectedLargeRows = std::size_t(1) << 20;

} // namespace

LoadOutcome LoadTable(RowStore &store, DbConnection &connection, const QByteArray &query, WorkControl *control)
{
    store.clearRows();

    MYSQL *mysql = connection.handle();
    if (!mysql) {
        LoadOutcome outcome;
        outcome.errorText = connection.errorText();
        return outcome;
    }
    WorkControl unused;
    WorkControl &watch = control ? *control : unused;
    LoadOutcome cancelled;
    cancelled.cancelled = true;
    if (watch.cancelRequested.load(std::memory_order_relaxed))
        return cancelled;

    // The query's own status is not needed: a failed query has no result.
    mysql_real_query(mysql, query.constData(), static_cast<unsigned long>(query.size()));
    const ResultPtr result(mysql_use_result(mysql));
    if (!result)
        return watch.cancelRequested.load() ? cancelled : failed(connection);

    const int fields = static_cast<int>(mysql_num_fields(result.get()));
    const QChar decimalPoint = numberDecimalPoint();
    ClearUnlessDone guard(store);
    int rows = 0;
    while (const MYSQL_ROW row = mysql_fetch_row(result.get())) {
        store.appendRowCp1251(row, mysql_fetch_lengths(result.get()), fields, decimalPoint);
        if (++rows == sizeAfterRows)
            store.reserveForRows(expectedLargeRows);
        if (rows % progressEvery == 0) {
            watch.progress.store(rows, std::memory_order_relaxed);
            if (watch.cancelRequested.load(std::memory_order_relaxed))
                return cancelled;
        }
    }
    watch.progress.store(rows, std::memory_order_relaxed);
    // A streamed result ends early, without a row, when the server or the
    // connection fails half-way (or the query is killed): no partial table.
    if (watch.cancelRequested.load())
        return cancelled;
    if (mysql_errno(mysql) != 0)
        return failed(connection);
    guard.done();

    LoadOutcome outcome;
    outcome.loaded = true;
    outcome.rows = rows;
    return outcome;
}
