#include "check/KeyReplay.h"

#include "check/KeyLookup.h"
#include "check/ScriptStatements.h"
#include "check/TableSchema.h"

#include <QHash>

#include <optional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Where a row's key stands in the probe of that key: its tuple, or none when
// the row gives no key the server could hold twice (NULL, auto_increment,
// an expression).
struct KeyOfRows
{
    std::vector<int> columns;
    std::vector<std::vector<std::optional<size_t>>> tupleOf;  // per plan, per row
    std::optional<KeyAnswer> answer;
    std::optional<ReadOnlyQuery::Limit> stoppedBy;
};

KeyOfRows probeKey(ReadOnlyQuery &query, const TableInfo &table, const std::vector<int> &key,
                   const std::vector<InsertPlan> &plans, StoppedTables &stopped)
{
    KeyOfRows k;
    k.columns = key;
    KeyProbe probe;
    probe.table = &table;
    probe.tableColumns = key;
    for (int c : key)
        probe.form.push_back(&table.columns[size_t(c)]);
    for (const InsertPlan &p : plans) {
        std::vector<std::optional<size_t>> &tuples = k.tupleOf.emplace_back(p.rows.size());
        if (p.table != &table)
            continue;
        for (size_t r = 0; r < p.rows.size(); ++r) {
            if (p.rows[r].kept.empty())
                continue;  // values not counted out to the columns
            std::vector<QString> tuple;
            for (int c : key) {
                const ValueFit &fit = p.rows[r].kept[size_t(c)];
                if (fit.kept != ValueFit::Kept::Value)
                    break;
                tuple.push_back(fit.stored);
            }
            if (tuple.size() != key.size())
                continue;
            tuples[r] = probe.tuples.size();
            probe.tuples.push_back(std::move(tuple));
        }
    }
    if (probe.tuples.empty())
        return k;
    if (const auto it = stopped.find(&table); it != stopped.end()) {
        k.stoppedBy = it->second;
        return k;
    }
    k.answer = probeKeys(query, probe, &k.stoppedBy);
    if (k.stoppedBy)
        stopped.emplace(&table, *k.stoppedBy);
    return k;
}

} // namespace

QString shownKey(const InsertPlan &plan, const PlannedRow &row, const std::vector<int> &key)
{
    QStringList names, values;
    for (int c : key) {
        names.append(plan.table->columns[size_t(c)].name);
        const ValueFit &fit = row.kept[size_t(c)];
        values.append(!row.written[size_t(c)].isEmpty() ? row.written[size_t(c)]
                      : fit.kept == ValueFit::Kept::Value ? fit.stored : QString());
    }
    return u"%1 = %2"_s.arg(names.join(u", "_s), values.join(u", "_s));
}

void replayKeys(ReadOnlyQuery &query, const ParsedScript &parsed, const DatabaseSchema &schema,
                std::vector<InsertPlan> &plans, StoppedTables &stopped, std::vector<ScriptProblem> &problems)
{
    std::vector<const TableInfo *> tables;
    for (InsertPlan &p : plans) {
        p.inserted.assign(p.rows.size(), false);
        if (std::find(tables.begin(), tables.end(), p.table) == tables.end())
            tables.push_back(p.table);
    }
    for (const TableInfo *table : tables) {
        std::vector<KeyOfRows> keys;
        for (const std::vector<int> &key : table->uniqueKeys)
            keys.push_back(probeKey(query, *table, key, plans, stopped));

        // Per key: the tuples in the table now (by the first tuple equal to
        // them), with the line of the row that inserted each.
        std::vector<QHash<size_t, int>> present(keys.size());
        for (size_t pi = 0; pi < plans.size(); ++pi) {
            InsertPlan &p = plans[pi];
            if (p.table != table)
                continue;
            // A statement above that the check does not read may have changed the rows.
            const int changedAt = changedAbove(parsed, schema, table->name, p.insert->statement, false);
            // Every row is compared, also after the first that fails the
            // statement and in a statement that fails as a whole, so that all
            // its faults are told at once; only the rows before a failing one
            // stay in the table, and only where it keeps them.
            std::vector<std::tuple<size_t, size_t, size_t>> added;  // (row, key, tuple) this statement put in
            std::optional<size_t> failAt;
            for (size_t r = 0; r < p.rows.size(); ++r) {
                const PlannedRow &row = p.rows[r];
                bool fails = row.refused || row.kept.empty();
                for (size_t k = 0; k < keys.size(); ++k) {
                    const KeyOfRows &key = keys[k];
                    const std::optional<size_t> tuple = key.tupleOf[pi][r];
                    if (!tuple)
                        continue;
                    if (!key.answer) {
                        problems.push_back({row.line, ProblemKind::NotChecked,
                                            u"ключ %1: %2"_s.arg(shownKey(p, row, key.columns),
                                                                limitText(*key.stoppedBy, table->name))});
                        continue;
                    }
                    const size_t same = key.answer->sameAs[*tuple];
                    const auto earlier = present[k].constFind(same);
                    const bool inTable = key.answer->inTable[*tuple];
                    if (!inTable && earlier == present[k].cend())
                        continue;
                    if (changedAt >= 0) {
                        problems.push_back({row.line, ProblemKind::NotChecked,
                                            u"ключ %1 может уже быть в таблице %2, но её строки меняет инструкция в строке %3, "
                                            "которую проверка не читает"_s
                                                .arg(shownKey(p, row, key.columns), table->name).arg(changedAt + 1)});
                        continue;
                    }
                    problems.push_back(
                        {row.line, ProblemKind::Error,
                         inTable ? u"ключ %1 уже есть в таблице %2"_s.arg(shownKey(p, row, key.columns), table->name)
                                 : u"ключ %1 уже вставляет строка %2 скрипта"_s.arg(shownKey(p, row, key.columns))
                                       .arg(earlier.value() + 1)});
                    fails = true;
                }
                if (fails) {
                    failAt = failAt.value_or(r);
                    continue;
                }
                for (size_t k = 0; k < keys.size(); ++k) {
                    const std::optional<size_t> tuple = keys[k].tupleOf[pi][r];
                    if (tuple && keys[k].answer) {
                        const size_t same = keys[k].answer->sameAs[*tuple];
                        if (!present[k].contains(same)) {
                            present[k].insert(same, row.line);
                            added.emplace_back(r, k, same);
                        }
                    }
                }
                p.inserted[r] = !failAt;
            }
            // The rows after a failing one never reach the table; with
            // transactions, or a fault of the whole statement, none does.
            const size_t keptRows = p.failsWhole || (failAt && table->transactional) ? 0 : failAt.value_or(p.rows.size());
            for (const auto &[r, k, same] : added)
                if (r >= keptRows)
                    present[k].remove(same);
            for (size_t r = keptRows; r < p.rows.size(); ++r)
                p.inserted[r] = false;
        }
    }
}
