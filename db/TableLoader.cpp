#include "db/TableLoader.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "grid/RowStore.h"

#include <mysql.h>

#include <algorithm>
#include <climits>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

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

} // namespace

LoadOutcome LoadTable(RowStore &store, DbConnection &connection, const QByteArray &query)
{
    store.clearRows();

    MYSQL *mysql = connection.handle();
    if (!mysql) {
        LoadOutcome outcome;
        outcome.errorText = connection.errorText();
        return outcome;
    }

    // The query's own status is not needed: a failed query has no result.
    mysql_real_query(mysql, query.constData(), static_cast<unsigned long>(query.size()));
    const ResultPtr result(mysql_store_result(mysql));
    if (!result)
        return failed(connection);

    const my_ulonglong rowCount = mysql_num_rows(result.get());
    if (rowCount > my_ulonglong(INT_MAX)) {
        LoadOutcome outcome;
        outcome.errorText = u"The result has %1 rows, more than a grid can hold"_s.arg(rowCount);
        return outcome;
    }
    const int rows = int(rowCount);
    const int columns = std::min(int(mysql_num_fields(result.get())), store.columnCount());

    ClearUnlessDone guard(store);
    // The rows exist before any cell is written, so every write lands on one.
    store.addRows(rows);
    for (int k = 0; k < rows; ++k) {
        const MYSQL_ROW row = mysql_fetch_row(result.get());
        const unsigned long *lengths = mysql_fetch_lengths(result.get());
        if (!row || !lengths)
            throw QmError(u"The result ended after %1 of %2 rows"_s.arg(k).arg(rows));
        for (int c = 0; c < columns; ++c) {
            if (row[c])
                store.setTextCp1251(c, k, row[c], lengths[c]);
            else
                store.setTextCp1251(c, k, "", 0);
        }
    }
    guard.done();

    LoadOutcome outcome;
    outcome.loaded = true;
    outcome.rows = rows;
    return outcome;
}
