#include "check/InsertPlan.h"

#include "check/ScriptStatements.h"
#include "check/TableSchema.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void add(std::vector<ScriptProblem> &problems, int line, ProblemKind kind, const QString &text)
{
    problems.push_back({line, kind, text});
}

// Columns for each value position, -1 where the list names a column the
// table lacks. Adds the list's faults; *failsWhole: the list fails the
// statement (a column unknown or named twice, or one it leaves out needs a value).
void mapColumns(const ScriptInsert &insert, const TableInfo &table, std::vector<int> &columnOf,
                std::vector<ScriptProblem> &problems, bool *failsWhole)
{
    if (!insert.hasColumnList) {
        for (size_t c = 0; c < table.columns.size(); ++c)
            columnOf.push_back(int(c));
        return;
    }
    for (const QString &name : insert.columns) {
        const int c = table.columnIndex(name);
        if (c < 0) {
            add(problems, insert.line, ProblemKind::Error, u"в таблице %1 нет столбца %2"_s.arg(table.name, name));
            *failsWhole = true;
        } else if (std::find(columnOf.begin(), columnOf.end(), c) != columnOf.end()) {
            add(problems, insert.line, ProblemKind::Error,
                u"столбец %1 назван в списке дважды"_s.arg(table.columns[size_t(c)].name));
            *failsWhole = true;
        }
        columnOf.push_back(c);
    }
    // Which column a misspelt name meant is the operator's to say.
    if (*failsWhole)
        return;
    for (size_t c = 0; c < table.columns.size(); ++c) {
        const ColumnInfo &col = table.columns[c];
        if (!col.nullable && !col.hasDefault && !col.autoIncrement && !col.generated
            && std::find(columnOf.begin(), columnOf.end(), int(c)) == columnOf.end()) {
            add(problems, insert.line, ProblemKind::Error,
                u"столбец %1 не получает значения, а умолчания у него нет"_s.arg(col.name));
            *failsWhole = true;
        }
    }
}

} // namespace

int changedAbove(const ParsedScript &parsed, const DatabaseSchema &schema, const QString &table, int statement,
                 bool shape)
{
    int line = -1;
    for (const ScriptTableChange &c : parsed.tableChanges)
        if (c.statement < statement && (c.shape || !shape) && schema.sameName(c.table, table)
            && (c.schema.isEmpty() || schema.sameName(c.schema, schema.database)))
            line = c.line;
    return line;
}

std::vector<InsertPlan> planInserts(const ParsedScript &parsed, const DatabaseSchema &schema,
                                    std::vector<ScriptProblem> &problems)
{
    std::vector<InsertPlan> plans;
    for (const ScriptInsert &insert : parsed.inserts) {
        if (!insert.schema.isEmpty() && !schema.sameName(insert.schema, schema.database)) {
            add(problems, insert.line, ProblemKind::NotChecked,
                u"таблица другой базы (%1) не проверяется"_s.arg(insert.schema));
            continue;
        }
        if (const int above = changedAbove(parsed, schema, insert.table, insert.statement, true); above >= 0) {
            add(problems, insert.line, ProblemKind::NotChecked,
                u"таблицу %1 создаёт или меняет инструкция в строке %2, которую проверка не читает"_s.arg(insert.table)
                    .arg(above + 1));
            continue;
        }
        const TableInfo *table = schema.find(insert.table);
        if (!table) {
            add(problems, insert.line, ProblemKind::Error,
                u"таблицы %1 нет в базе %2 (или этой учётной записи не дано читать её)"_s.arg(insert.table, schema.database));
            continue;
        }
        InsertPlan plan{&insert, table, false, {}, {}};
        // Faults of the statement as a whole hide none of its rows' faults.
        std::vector<int> columnOf;
        mapColumns(insert, *table, columnOf, problems, &plan.failsWhole);
        std::vector<ValueFit> defaults;
        for (const ColumnInfo &c : table->columns)
            defaults.push_back(fitValue(ScriptValue{ValueKind::Default, {}, insert.line}, c));

        for (size_t r = 0; r < insert.rows.size(); ++r) {
            const ScriptRow &row = insert.rows[r];
            PlannedRow planned;
            planned.line = row.line;
            planned.written.assign(table->columns.size(), QString());
            planned.lineOf.assign(table->columns.size(), row.line);
            if (row.values.size() != columnOf.size()) {
                // The server counts every row's values before it inserts any.
                add(problems, row.line, ProblemKind::Error,
                    u"значений %1, а столбцов %2"_s.arg(row.values.size()).arg(columnOf.size()));
                plan.failsWhole = true;
                plan.rows.push_back(std::move(planned));
                continue;
            }
            planned.kept = defaults;  // what columns left out take
            // Strict mode refuses a value that does not fit, except in the rows
            // after the first of a table that cannot take a statement back.
            const bool changesInstead = !table->transactional && r > 0;
            for (size_t i = 0; i < row.values.size(); ++i) {
                if (columnOf[i] < 0)
                    continue;  // a column the table lacks: said above
                const ScriptValue &v = row.values[i];
                const ColumnInfo &column = table->columns[size_t(columnOf[i])];
                ValueFit fit = fitValue(v, column);
                if (fit.verdict == ValueFit::Verdict::Refused) {
                    if (changesInstead && fit.changedInLaterRows) {
                        add(problems, v.line, ProblemKind::Warning,
                            u"%1; в этой строке сервер вставит изменённое значение и только предупредит"_s.arg(fit.problem));
                    } else {
                        add(problems, v.line, ProblemKind::Error, fit.problem);
                        planned.refused = true;
                        fit.kept = ValueFit::Kept::Unknown;  // never stored
                        // A name or a gap in the values fails the statement before any row.
                        plan.failsWhole = plan.failsWhole || v.kind == ValueKind::BareWord || v.kind == ValueKind::Empty;
                    }
                } else if (fit.verdict == ValueFit::Verdict::Unknown && v.kind == ValueKind::Expression) {
                    add(problems, v.line, ProblemKind::NotChecked,
                        u"значение «%1» — выражение, его вычислит только сервер"_s.arg(v.text.left(40)));
                } else if (fit.verdict == ValueFit::Verdict::Unknown) {
                    add(problems, v.line, ProblemKind::NotChecked,
                        u"значение для столбца %1 (%2) не проверяется"_s.arg(column.name, column.columnType));
                }
                planned.kept[size_t(columnOf[i])] = std::move(fit);
                planned.written[size_t(columnOf[i])] = v.text;
                planned.lineOf[size_t(columnOf[i])] = v.line;
            }
            plan.rows.push_back(std::move(planned));
        }
        plans.push_back(std::move(plan));
    }
    return plans;
}
