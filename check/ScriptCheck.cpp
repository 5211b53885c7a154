#include "check/ScriptCheck.h"

#include "check/KeyLookup.h"
#include "check/ReadOnlyQuery.h"
#include "check/ScriptStatements.h"
#include "check/TableSchema.h"
#include "check/ValueFit.h"

#include <QHash>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A value of a table's column that should name a row elsewhere: found in one
// of the target tables, or (when createdBy is set) inserted by an earlier
// statement of the script.
struct ReferenceRule
{
    QString table;
    QString column;
    QStringList targets;
    QString targetColumn;
    QString createdByTable;
    QString createdByColumn;
    QString message;  // %1: the value
};

const std::vector<ReferenceRule> &referenceRules()
{
    static const std::vector<ReferenceRule> rules = {
        {u"merchant_buylists"_s, u"item_id"_s, {u"weapon"_s, u"armor"_s, u"etcitem"_s}, u"item_id"_s, {}, {},
         u"предмета %1 нет ни в weapon, ни в armor, ни в etcitem"_s},
        {u"merchant_shopids"_s, u"npc_id"_s, {u"npc"_s}, u"id"_s, u"npc"_s, u"id"_s,
         u"NPC %1 нет ни в таблице npc, ни среди созданных выше в скрипте"_s},
        {u"npc"_s, u"idTemplate"_s, {u"npc"_s}, u"idTemplate"_s, {}, {},
         u"шаблона %1 нет в таблице npc"_s},
    };
    return rules;
}

// One checked statement: its table and, per value position, the column.
struct Plan
{
    const ScriptInsert *insert = nullptr;
    const TableInfo *table = nullptr;
    std::vector<int> columnOf;
    std::vector<bool> rowFits;  // the row's values match the columns in number
    std::vector<std::vector<bool>> valueFits;  // per row and position: the value fits its column
};

class Checker
{
public:
    Checker(ReadOnlyQuery &query, const DatabaseSchema &schema) : m_query(query), m_schema(schema) {}

    void run(const ParsedScript &parsed);
    std::vector<ScriptProblem> take() { return std::move(m_problems); }

private:
    void add(int line, ProblemKind kind, const QString &text) { m_problems.push_back({line, kind, text}); }
    void plan(const ScriptInsert &insert);
    void checkKeys(const TableInfo &table, const std::vector<int> &key);
    void checkReference(const ReferenceRule &rule);
    // The value a row gives to a column; null when the statement leaves the column out.
    static const ScriptValue *valueOf(const Plan &plan, const ScriptRow &row, int column);
    // The key form of the value that row r gives to a column, compared as a
    // value of column `as`; empty when there is none or it does not fit.
    static QString formOf(const Plan &plan, size_t r, int column, const ColumnInfo &as);
    static QString shownKey(const Plan &plan, size_t r, const std::vector<int> &key);

    ReadOnlyQuery &m_query;
    const DatabaseSchema &m_schema;
    std::vector<Plan> m_plans;
    std::vector<ScriptProblem> m_problems;
};

const ScriptValue *Checker::valueOf(const Plan &plan, const ScriptRow &row, int column)
{
    const auto it = std::find(plan.columnOf.begin(), plan.columnOf.end(), column);
    if (it == plan.columnOf.end())
        return nullptr;
    return &row.values[size_t(it - plan.columnOf.begin())];
}

QString Checker::formOf(const Plan &plan, size_t r, int column, const ColumnInfo &as)
{
    const auto it = std::find(plan.columnOf.begin(), plan.columnOf.end(), column);
    if (it == plan.columnOf.end() || !plan.rowFits[r])
        return {};
    const size_t position = size_t(it - plan.columnOf.begin());
    const ScriptValue &v = plan.insert->rows[r].values[position];
    if (!plan.valueFits[r][position] || (v.kind != ValueKind::Number && v.kind != ValueKind::Text))
        return {};
    return keyFormOfStored(v.text, as);
}

QString Checker::shownKey(const Plan &plan, size_t r, const std::vector<int> &key)
{
    QStringList names, values;
    for (int c : key) {
        names.append(plan.table->columns[size_t(c)].name);
        const ScriptValue *v = valueOf(plan, plan.insert->rows[r], c);
        values.append(v ? v->text : QString());
    }
    return u"%1 = %2"_s.arg(names.join(u", "_s), values.join(u", "_s));
}

void Checker::plan(const ScriptInsert &insert)
{
    if (!insert.schema.isEmpty() && !m_schema.sameName(insert.schema, m_schema.database)) {
        add(insert.line, ProblemKind::NotChecked, u"таблица другой базы (%1) не проверяется"_s.arg(insert.schema));
        return;
    }
    const TableInfo *table = m_schema.find(insert.table);
    if (!table) {
        add(insert.line, ProblemKind::Error,
            u"таблицы %1 нет в базе %2 (или этой учётной записи не дано читать её)"_s.arg(insert.table, m_schema.database));
        return;
    }
    Plan p{&insert, table, {}, {}, {}};
    if (insert.hasColumnList) {
        bool ok = true;
        for (const QString &name : insert.columns) {
            const int c = table->columnIndex(name);
            if (c < 0) {
                add(insert.line, ProblemKind::Error, u"в таблице %1 нет столбца %2"_s.arg(table->name, name));
                ok = false;
            } else if (std::find(p.columnOf.begin(), p.columnOf.end(), c) != p.columnOf.end()) {
                add(insert.line, ProblemKind::Error, u"столбец %1 назван в списке дважды"_s.arg(table->columns[size_t(c)].name));
                ok = false;
            }
            p.columnOf.push_back(c);
        }
        if (!ok)
            return;
        for (size_t c = 0; c < table->columns.size(); ++c) {
            const ColumnInfo &col = table->columns[c];
            if (!col.nullable && !col.hasDefault && !col.autoIncrement && !col.generated
                && std::find(p.columnOf.begin(), p.columnOf.end(), int(c)) == p.columnOf.end())
                add(insert.line, ProblemKind::Error,
                    u"столбец %1 не получает значения, а умолчания у него нет"_s.arg(col.name));
        }
    } else {
        for (size_t c = 0; c < table->columns.size(); ++c)
            p.columnOf.push_back(int(c));
    }

    for (const ScriptRow &row : insert.rows) {
        const bool fits = row.values.size() == p.columnOf.size();
        p.rowFits.push_back(fits);
        std::vector<bool> &valueFits = p.valueFits.emplace_back(row.values.size(), false);
        if (!fits) {
            add(row.line, ProblemKind::Error,
                u"значений %1, а столбцов %2"_s.arg(row.values.size()).arg(p.columnOf.size()));
            continue;
        }
        for (size_t i = 0; i < row.values.size(); ++i) {
            const QString problem = valueFitProblem(row.values[i], table->columns[size_t(p.columnOf[i])]);
            valueFits[i] = problem.isEmpty();
            if (!problem.isEmpty())
                add(row.values[i].line, ProblemKind::Error, problem);
        }
    }
    m_plans.push_back(std::move(p));
}

void Checker::checkKeys(const TableInfo &table, const std::vector<int> &key)
{
    struct Candidate
    {
        const Plan *plan;
        size_t row;
    };
    QHash<QString, int> inScript;  // tuple -> line of the row that inserts it first
    std::vector<KeyProbe> probes;
    std::vector<Candidate> candidates;
    for (const Plan &p : m_plans) {
        if (p.table != &table)
            continue;
        for (size_t r = 0; r < p.insert->rows.size(); ++r) {
            QString tuple;
            bool complete = true;
            for (size_t i = 0; i < key.size() && complete; ++i) {
                const QString form = formOf(p, r, key[i], table.columns[size_t(key[i])]);
                complete = !form.isEmpty();
                if (i > 0)
                    tuple += keyJoint;
                tuple += form;
            }
            if (!complete)
                continue;
            const ScriptRow &row = p.insert->rows[r];
            if (const auto it = inScript.constFind(tuple); it != inScript.cend()) {
                add(row.line, ProblemKind::Error,
                    u"ключ %1 уже вставляет строка %2 скрипта"_s.arg(shownKey(p, r, key)).arg(it.value() + 1));
                continue;
            }
            inScript.insert(tuple, row.line);
            probes.push_back({tuple, valueOf(p, row, key.front())->text});
            candidates.push_back({&p, r});
        }
    }
    const std::unordered_set<QString> existing = findExistingKeys(m_query, table, key, probes);
    for (size_t i = 0; i < probes.size(); ++i)
        if (existing.count(probes[i].tuple)) {
            const Candidate &c = candidates[i];
            add(c.plan->insert->rows[c.row].line, ProblemKind::Error,
                u"ключ %1 уже есть в таблице %2"_s.arg(shownKey(*c.plan, c.row, key), table.name));
        }
}

void Checker::checkReference(const ReferenceRule &rule)
{
    const TableInfo *table = m_schema.find(rule.table);
    const int column = table ? table->columnIndex(rule.column) : -1;
    if (column < 0)
        return;
    std::vector<std::pair<const TableInfo *, int>> targets;
    for (const QString &name : rule.targets) {
        const TableInfo *target = m_schema.find(name);
        const int c = target ? target->columnIndex(rule.targetColumn) : -1;
        if (c >= 0)
            targets.emplace_back(target, c);
    }
    if (targets.empty())
        return;  // no target the account can read: nothing to tell
    const TableInfo *creator = rule.createdByTable.isEmpty() ? nullptr : m_schema.find(rule.createdByTable);
    const int creatorColumn = creator ? creator->columnIndex(rule.createdByColumn) : -1;
    const ColumnInfo &col = table->columns[size_t(column)];

    // In script order: what the earlier statements create, and what each reference names.
    QHash<QString, int> createdAt;  // key form -> first statement creating it
    struct Reference
    {
        int line;
        int statement;
        QString form;
        QString text;
    };
    std::vector<Reference> references;
    std::vector<KeyProbe> probes;
    QSet<QString> probed;
    for (const Plan &p : m_plans) {
        for (size_t r = 0; r < p.insert->rows.size(); ++r) {
            if (p.table == creator && creatorColumn >= 0) {
                const QString form = formOf(p, r, creatorColumn, creator->columns[size_t(creatorColumn)]);
                if (!form.isEmpty() && !createdAt.contains(form))
                    createdAt.insert(form, p.insert->statement);
            }
            if (p.table != table)
                continue;
            const QString form = formOf(p, r, column, col);
            if (form.isEmpty())
                continue;
            const ScriptValue *v = valueOf(p, p.insert->rows[r], column);
            references.push_back({v->line, p.insert->statement, form, v->text});
            if (!probed.contains(form)) {
                probed.insert(form);
                probes.push_back({form, v->text});
            }
        }
    }
    if (references.empty())
        return;
    std::unordered_set<QString> found;
    for (const auto &[target, c] : targets) {
        // The target column's own key form, so that 7 and 7.00 meet.
        std::vector<KeyProbe> asked;
        for (const KeyProbe &probe : probes)
            asked.push_back({keyFormOfStored(probe.firstValue, target->columns[size_t(c)]), probe.firstValue});
        for (const QString &form : findExistingKeys(m_query, *target, {c}, asked))
            found.insert(form);
    }
    for (const Reference &ref : references) {
        const auto created = createdAt.constFind(ref.form);
        const bool createdEarlier = created != createdAt.cend() && created.value() < ref.statement;
        if (!found.count(ref.form) && !createdEarlier)
            add(ref.line, ProblemKind::Warning, rule.message.arg(ref.text));
    }
}

void Checker::run(const ParsedScript &parsed)
{
    for (const ScriptRemark &r : parsed.openString)
        add(r.line, ProblemKind::Error, r.text);
    for (const ScriptRemark &r : parsed.openComment)
        add(r.line, ProblemKind::Warning, r.text);
    for (const ScriptRemark &r : parsed.notChecked)
        add(r.line, ProblemKind::NotChecked, r.text);
    for (const ScriptRemark &r : parsed.clientCommands)
        add(r.line, ProblemKind::Warning, r.text);
    for (const ScriptRemark &r : parsed.refused)
        add(r.line, ProblemKind::Error, r.text);
    for (const ScriptInsert &insert : parsed.inserts)
        plan(insert);

    std::vector<const TableInfo *> tables;
    for (const Plan &p : m_plans)
        if (std::find(tables.begin(), tables.end(), p.table) == tables.end())
            tables.push_back(p.table);
    for (const TableInfo *table : tables)
        for (const std::vector<int> &key : table->uniqueKeys)
            checkKeys(*table, key);
    for (const ReferenceRule &rule : referenceRules())
        checkReference(rule);
}

} // namespace

ScriptCheckResult checkScript(const QStringList &lines, DbConnection &connection)
{
    ReadOnlyQuery query(connection);
    const DatabaseSchema schema = readSchema(query);
    const ParsedScript parsed = parseScript(lines);
    Checker checker(query, schema);
    checker.run(parsed);

    ScriptCheckResult result;
    result.problems = checker.take();
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const ScriptProblem &a, const ScriptProblem &b) { return a.line < b.line; });
    for (const ScriptProblem &p : result.problems) {
        if (p.kind == ProblemKind::Error)
            ++result.errors;
        else if (p.kind == ProblemKind::Warning)
            ++result.warnings;
    }
    return result;
}
