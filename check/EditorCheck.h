#pragma once

class SqlEditor;
struct ScriptCheckResult;

struct CheckCounts
{
    int errors = 0;
    int warnings = 0;
    int notChecked = 0;
};

// Marks what a check of the editor's script (checkScript, run on the lines
// the editor held) found under the lines, the view on the first of them. The
// caller takes the old marks away before the check, so a check that fails
// leaves none behind.
CheckCounts showCheckMarks(SqlEditor &editor, const ScriptCheckResult &result);
