#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class DbConnection;

enum class ProblemKind { Error, Warning, NotChecked };

// One finding, under the 0-based editor line it is about.
struct ScriptProblem
{
    int line = 0;
    ProblemKind kind = ProblemKind::Error;
    QString text;
};

struct ScriptCheckResult
{
    std::vector<ScriptProblem> problems;  // in line order
    int errors = 0;
    int warnings = 0;
};

// Checks the script's INSERT statements against the connected database
// without changing it: tables, columns and keys from the server's metadata,
// every value against its column, keys against the table and the script's
// earlier rows, and the references a trader needs (items, NPCs, templates).
// Throws QmError when the server cannot be asked (no connection, no database
// selected, the connection lost on the way); then nothing is found.
ScriptCheckResult checkScript(const QStringList &lines, DbConnection &connection);
