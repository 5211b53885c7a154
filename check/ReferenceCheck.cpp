#include "check/ReferenceCheck.h"

#include "check/KeyLookup.h"
#include "check/ScriptStatements.h"
#include "check/TableSchema.h"

#include <QHash>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// A value of a table's column that should name a row elsewhere: found in one
// of the target tables, or (when createdBy is set) inserted above by a
// statement into the first target.
struct ReferenceRule
{
    const char *table;
    const char *column;
    std::vector<const char *> targets;
    const char *targetColumn;
    bool createdAbove;
    const char *message;  // %1: the value as written
};

const std::vector<ReferenceRule> &referenceRules()
{
    static const std::vector<ReferenceRule> rules = {
        {"merchant_buylists", "item_id", {"weapon", "armor", "etcitem"}, "item_id", false,
         "предмета %1 нет ни в weapon, ни в armor, ни в etcitem"},
        {"merchant_shopids", "npc_id", {"npc"}, "id", true, "NPC %1 нет ни в таблице npc, ни среди созданных выше в скрипте"},
        {"npc", "idTemplate", {"npc"}, "idTemplate", false, "шаблона %1 нет в таблице npc"},
    };
    return rules;
}

struct Reference
{
    int line;
    int statement;
    QString written;
    std::vector<std::optional<size_t>> tupleOf;  // per target: its tuple in that target's probe
    bool refusedEverywhere = true;               // no target's column could hold the value
};

QString text(const char *s)
{
    return QString::fromUtf8(s);
}

} // namespace

void checkReferences(ReadOnlyQuery &query, const ParsedScript &parsed, const DatabaseSchema &schema,
                     const std::vector<InsertPlan> &plans, StoppedTables &stopped, std::vector<ScriptProblem> &problems)
{
    for (const ReferenceRule &rule : referenceRules()) {
        const TableInfo *table = schema.find(text(rule.table));
        const int column = table ? table->columnIndex(text(rule.column)) : -1;
        if (column < 0)
            continue;
        std::vector<std::pair<const TableInfo *, int>> targets;
        for (const char *name : rule.targets) {
            const TableInfo *target = schema.find(text(name));
            const int c = target ? target->columnIndex(text(rule.targetColumn)) : -1;
            if (c >= 0)
                targets.emplace_back(target, c);
        }
        if (targets.empty())
            continue;  // no target the account can read: nothing to tell
        const bool sourceNumeric = table->columns[size_t(column)].type != ColumnInfo::Type::Text
            && table->columns[size_t(column)].type != ColumnInfo::Type::Enum;

        // One probe per target: the references in the target column's form,
        // each distinct text once, and for the first target the values that
        // statements above create in it.
        std::vector<KeyProbe> probes(targets.size());
        std::vector<QHash<QString, size_t>> sent(targets.size());
        const auto tupleFor = [&](size_t t, const QString &stored) {
            const auto it = sent[t].constFind(stored);
            if (it != sent[t].cend())
                return it.value();
            const size_t i = probes[t].tuples.size();
            probes[t].tuples.push_back({stored});
            sent[t].insert(stored, i);
            return i;
        };
        for (size_t t = 0; t < targets.size(); ++t) {
            probes[t].form = {&targets[t].first->columns[size_t(targets[t].second)]};
            probes[t].table = targets[t].first;
            probes[t].tableColumns = {targets[t].second};
        }
        std::vector<Reference> references;
        std::vector<QHash<QString, ValueFit>> targetFits(targets.size());  // each value read once per target
        // created: (statement, tuple in the first target's probe) of every row inserted there
        std::vector<std::pair<int, size_t>> created;
        for (const InsertPlan &p : plans) {
            for (size_t r = 0; r < p.rows.size(); ++r) {
                const PlannedRow &row = p.rows[r];
                if (row.kept.empty())
                    continue;
                if (rule.createdAbove && p.table == targets.front().first && p.inserted[r]) {
                    const ValueFit &made = row.kept[size_t(targets.front().second)];
                    if (made.kept == ValueFit::Kept::Value)
                        created.emplace_back(p.insert->statement, tupleFor(0, made.stored));
                }
                if (p.table != table || row.kept[size_t(column)].kept != ValueFit::Kept::Value)
                    continue;
                // The value as the referring column keeps it, read as the target column would take it.
                const ScriptValue asKept{sourceNumeric ? ValueKind::Number : ValueKind::Text,
                                         row.kept[size_t(column)].stored, row.line};
                Reference ref{row.lineOf[size_t(column)], p.insert->statement, row.written[size_t(column)], {}, true};
                if (ref.written.isEmpty())
                    ref.written = asKept.text;
                for (size_t t = 0; t < targets.size(); ++t) {
                    auto fitted = targetFits[t].find(asKept.text);
                    if (fitted == targetFits[t].end())
                        fitted = targetFits[t].insert(asKept.text, fitValue(asKept, *probes[t].form.front()));
                    const ValueFit &inTarget = fitted.value();
                    ref.tupleOf.emplace_back();
                    if (inTarget.verdict == ValueFit::Verdict::Fits && inTarget.kept == ValueFit::Kept::Value) {
                        ref.tupleOf.back() = tupleFor(t, inTarget.stored);
                        ref.refusedEverywhere = false;
                    } else if (inTarget.verdict != ValueFit::Verdict::Refused) {
                        ref.refusedEverywhere = false;
                    }
                }
                references.push_back(std::move(ref));
            }
        }
        if (references.empty())
            continue;

        std::vector<std::optional<KeyAnswer>> answers(targets.size());
        std::vector<std::optional<ReadOnlyQuery::Limit>> stops(targets.size());
        for (size_t t = 0; t < targets.size(); ++t) {
            if (const auto it = stopped.find(targets[t].first); it != stopped.end())
                stops[t] = it->second;
            else if (!probes[t].tuples.empty())
                answers[t] = probeKeys(query, probes[t], &stops[t]);
            if (stops[t])
                stopped.emplace(targets[t].first, *stops[t]);
        }
        // The first statement creating each value of the first target, by the first tuple equal to it.
        QHash<size_t, int> createdAt;
        if (answers.front())
            for (const auto &[statement, tuple] : created) {
                const size_t same = answers.front()->sameAs[tuple];
                if (!createdAt.contains(same) || createdAt.value(same) > statement)
                    createdAt.insert(same, statement);
            }

        for (const Reference &ref : references) {
            bool found = false;
            std::optional<size_t> unanswered;  // a target the limit kept the check from reading
            int changedAt = -1;
            for (size_t t = 0; t < targets.size() && !found; ++t) {
                const std::optional<size_t> tuple = ref.tupleOf[t];
                if (!tuple)
                    continue;
                if (!answers[t]) {
                    unanswered = t;
                    continue;
                }
                found = answers[t]->inTable[*tuple];
                if (t == 0 && rule.createdAbove) {
                    const auto c = createdAt.constFind(answers[t]->sameAs[*tuple]);
                    found = found || (c != createdAt.cend() && c.value() < ref.statement);
                }
                changedAt = std::max(changedAt, changedAbove(parsed, schema, targets[t].first->name, ref.statement, false));
            }
            if (found)
                continue;
            const QString missing = QString::fromUtf8(rule.message).arg(ref.written);
            if (unanswered)
                problems.push_back({ref.line, ProblemKind::NotChecked,
                                    u"%1? %2"_s.arg(missing, limitText(*stops[*unanswered], targets[*unanswered].first->name))});
            else if (changedAt >= 0 && !ref.refusedEverywhere)
                problems.push_back({ref.line, ProblemKind::NotChecked,
                                    u"%1? Строки таблицы меняет инструкция в строке %2, которую проверка не читает"_s
                                        .arg(missing).arg(changedAt + 1)});
            else
                problems.push_back({ref.line, ProblemKind::Warning, missing});
        }
    }
}
