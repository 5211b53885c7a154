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
    int notChecked = 0;
};

// Checks the script against the connected database without changing it, as
// the command-line client would run it there: the script read as the client
// and the server read it, tables, columns and keys from the server's
// metadata, every value against its column under strict mode, keys against
// the table and the rows inserted above as the server compares them, and the
// references a trader needs (items, NPCs, templates). Whatever it cannot
// tell (other statements, expressions, client commands' files, tables another
// session holds locked) is marked NotChecked. Thread-agnostic: it uses only
// the connection it is given. Throws QmError when the server cannot be asked
// (no connection, no database selected, the connection lost or the query
// killed on the way); then nothing is found.
ScriptCheckResult checkScript(const QStringList &lines, DbConnection &connection);
