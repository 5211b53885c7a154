#include "check/KeyLookup.h"

#include "check/ReadOnlyQuery.h"
#include "check/TableSchema.h"
#include "check/ValueFit.h"

#include <QSet>

namespace {

constexpr int batchSize = 1000;

bool isNumeric(const ColumnInfo &c)
{
    return c.type == ColumnInfo::Type::Integer || c.type == ColumnInfo::Type::Decimal
        || c.type == ColumnInfo::Type::Float;
}

} // namespace

std::unordered_set<QString> findExistingKeys(ReadOnlyQuery &query, const TableInfo &table,
                                             const std::vector<int> &columns, const std::vector<KeyProbe> &probes)
{
    std::unordered_set<QString> found;
    if (columns.empty() || probes.empty())
        return found;
    const ColumnInfo &first = table.columns[size_t(columns.front())];

    // The literals of the first column, each once. A number goes in its key
    // form (digits, sign and point only); a text is escaped by the library.
    std::vector<QByteArray> literals;
    QSet<QString> seen;
    for (const KeyProbe &probe : probes) {
        if (seen.contains(probe.firstValue))
            continue;
        seen.insert(probe.firstValue);
        if (isNumeric(first)) {
            const QString number = keyFormOfStored(probe.firstValue, first);
            if (!number.isEmpty())
                literals.push_back(number.toLatin1());
        } else if (const std::optional<QByteArray> quoted = query.quoteText(probe.firstValue)) {
            literals.push_back(*quoted);
        }
    }

    QByteArray head = "SELECT ";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            head += ',';
        head += ReadOnlyQuery::quoteName(table.columns[size_t(columns[i])].name);
    }
    head += " FROM " + ReadOnlyQuery::quoteName(table.name) + " WHERE " + ReadOnlyQuery::quoteName(first.name) + " IN (";

    for (size_t from = 0; from < literals.size(); from += batchSize) {
        QByteArray sql = head;
        const size_t to = std::min(literals.size(), from + batchSize);
        for (size_t i = from; i < to; ++i) {
            if (i > from)
                sql += ',';
            sql += literals[i];
        }
        sql += ')';
        for (const QStringList &row : query.select(sql)) {
            QString tuple;
            bool complete = true;
            for (size_t i = 0; i < columns.size(); ++i) {
                if (row.at(qsizetype(i)).isNull())
                    complete = false;
                if (i > 0)
                    tuple += keyJoint;
                tuple += keyFormOfStored(row.at(qsizetype(i)), table.columns[size_t(columns[i])]);
            }
            if (complete)
                found.insert(tuple);
        }
    }
    return found;
}
