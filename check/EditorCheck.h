#pragma once

class DbConnection;
class SqlEditor;

struct CheckCounts
{
    int errors = 0;
    int warnings = 0;
    int notChecked = 0;
};

// Checks the editor's script against the connected database and marks what
// it finds under the lines, the view on the first of them. The old marks go
// first, so a check that fails (its QmError passes on) leaves none behind.
CheckCounts checkEditorScript(SqlEditor &editor, DbConnection &connection);
