#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What one position of a VALUES row holds, as far as the check can tell
// without running anything.
enum class ValueKind {
    Empty,       // nothing between two commas
    Number,      // a bare number, sign included: text is the number's text
    Text,        // a quoted text: text is its content with the escapes resolved
    Null,
    Default,
    BareWord,    // unquoted text that the server would read as a column name
    Expression,  // anything else (a function call, arithmetic): not checked; text is its source
    Bytes,       // a hexadecimal or bit literal (0x41, X'41', 0b1, b'1'): text is as written
};

struct ScriptValue
{
    ValueKind kind = ValueKind::Empty;
    QString text;
    int line = 0;  // 0-based editor line where the value stands
};

struct ScriptRow
{
    int line = 0;  // line of the row's opening parenthesis
    std::vector<ScriptValue> values;
};

// INSERT INTO <table> [(<columns>)] VALUES (...)[, (...)] with the names as
// written (quotes removed) and the line numbers of every part.
struct ScriptInsert
{
    int line = 0;       // line where the statement begins
    int statement = 0;  // index of the statement in the script
    QString schema;     // the qualifier of `db`.`table`, else the database a "use" above chose; empty when none
    QString table;
    bool hasColumnList = false;
    QStringList columns;
    std::vector<ScriptRow> rows;
};

// A place in the script that the check reads but does not check, or a fault
// of the script's text itself (a string or comment left open).
struct ScriptRemark
{
    int line = 0;
    QString text;
};

// A table whose rows or shape a statement that the check does not read changes.
struct ScriptTableChange
{
    int statement = 0;
    int line = 0;
    QString schema;
    QString table;
    bool shape = false;  // created, altered, dropped or renamed; otherwise only its rows change
};

struct ParsedScript
{
    std::vector<ScriptInsert> inserts;
    std::vector<ScriptRemark> notChecked;      // one per statement of another shape
    std::vector<ScriptRemark> openString;      // a string still open at the end of the script
    std::vector<ScriptRemark> openComment;     // a comment still open at the end of the script
    std::vector<ScriptRemark> clientCommands;  // what the command-line client does itself
    std::vector<ScriptRemark> refused;         // text that the server is sure to refuse
    std::vector<ScriptRemark> misread;         // text that the server reads otherwise than it is written
    std::vector<ScriptRemark> sourcedFiles;    // the file a "source" command runs: text is its name as written
    std::vector<ScriptTableChange> tableChanges;
};

// Reads the script as the command-line client (mariadb, mysql) runs it and the
// server reads each statement: the client's comments, its own commands and
// its DELIMITER; the server's comments, strings and names through the editor's
// MySQL tokenizer. A delimiter outside strings and comments ends a statement
// (the last one needs none), and so does ";" under another delimiter, as the
// client sends such text to the server as several statements. Every statement
// of the INSERT ... VALUES shape is read with its values.
//
// The script is taken to be run from its file, which is Windows-1251 and
// begins by saying so (TextFile::scriptCodePageLine); a SET NAMES or "charset"
// in the script that makes the server read it in another character set makes
// its letters outside ASCII refused (in UTF-8) or misread; a character that
// Windows-1251 lacks is a "?" in the file.
ParsedScript parseScript(const QStringList &lines);
