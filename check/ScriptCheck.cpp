#include "check/ScriptCheck.h"

#include "check/InsertPlan.h"
#include "check/KeyReplay.h"
#include "check/ReadOnlyQuery.h"
#include "check/ReferenceCheck.h"
#include "check/ScriptStatements.h"
#include "check/TableSchema.h"

#include <algorithm>

ScriptCheckResult checkScript(const QStringList &lines, DbConnection &connection)
{
    ReadOnlyQuery query(connection);
    const DatabaseSchema schema = readSchema(query);
    const ParsedScript parsed = parseScript(lines);

    ScriptCheckResult result;
    std::vector<ScriptProblem> &problems = result.problems;
    for (const ScriptRemark &r : parsed.openString)
        problems.push_back({r.line, ProblemKind::Error, r.text});
    for (const ScriptRemark &r : parsed.refused)
        problems.push_back({r.line, ProblemKind::Error, r.text});
    for (const ScriptRemark &r : parsed.openComment)
        problems.push_back({r.line, ProblemKind::Warning, r.text});
    for (const ScriptRemark &r : parsed.clientCommands)
        problems.push_back({r.line, ProblemKind::Warning, r.text});
    for (const ScriptRemark &r : parsed.notChecked)
        problems.push_back({r.line, ProblemKind::NotChecked, r.text});

    std::vector<InsertPlan> plans = planInserts(parsed, schema, problems);
    StoppedTables stopped;
    replayKeys(query, parsed, schema, plans, stopped, problems);
    checkReferences(query, parsed, schema, plans, stopped, problems);

    std::stable_sort(problems.begin(), problems.end(),
                     [](const ScriptProblem &a, const ScriptProblem &b) { return a.line < b.line; });
    for (const ScriptProblem &p : problems) {
        switch (p.kind) {
        case ProblemKind::Error: ++result.errors; break;
        case ProblemKind::Warning: ++result.warnings; break;
        case ProblemKind::NotChecked: ++result.notChecked; break;
        }
    }
    return result;
}
