#include "check/ScriptCheck.h"

#include "check/InsertPlan.h"
#include "check/KeyReplay.h"
#include "check/ReadOnlyQuery.h"
#include "check/ReferenceCheck.h"
#include "check/ScriptStatements.h"
#include "check/TableSchema.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The client stops at a file it cannot open; one it opens runs unread by the check.
ScriptProblem sourcedFile(const ScriptRemark &file)
{
    const QString head = u"команда клиента source (\\.): "_s;
    const QFileInfo info(file.text);
    if (file.text.isEmpty() || (info.isAbsolute() && !(info.isFile() && info.isReadable())))
        return {file.line, ProblemKind::Error,
                head + u"клиент не откроет файл «%1» и на этом остановится"_s.arg(file.text)};
    if (!info.isAbsolute())
        return {file.line, ProblemKind::NotChecked,
                head + u"файл %1 клиент ищет в папке, из которой его запустят; его инструкции проверка не читает"_s
                           .arg(file.text)};
    return {file.line, ProblemKind::NotChecked, head + u"клиент выполнит файл %1, его инструкции проверка не читает"_s.arg(file.text)};
}

} // namespace

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
    for (const ScriptRemark &r : parsed.misread)
        problems.push_back({r.line, ProblemKind::Warning, r.text});
    for (const ScriptRemark &r : parsed.sourcedFiles)
        problems.push_back(sourcedFile(r));
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
