#pragma once

#include <QStringView>

#include <cstdint>
#include <vector>

// What the end of one line hands to the next line of a MySQL script. The
// script is read as the server and the command-line client read it, so a line
// also carries whether a statement has begun: at the start of a statement
// "--" opens a comment even without a blank after it (the client drops it),
// inside one only "--" followed by a blank, a control character or the line
// end does.
enum class SqlState : std::uint8_t {
    Normal,              // between statements, nothing of the next one read yet
    BlockComment,        // inside "/* ... */" between statements
    String,              // inside '...'
    ConditionalComment,  // inside "/*! ... */" or "/*M! ... */" (the server runs its text)
    Statement,           // inside a statement, outside strings and comments
    StatementComment,    // inside "/* ... */" within a statement
    DoubleQuoted,        // inside "..." (a string for the server)
    BackQuoted,          // inside `...`
};
inline constexpr int SqlStateCount = 8;

// The classes the MySQL rules produce (the highlighter's other classes never occur).
enum class SqlTokenClass : std::uint8_t {
    Space,
    Comment,
    ConditionalComment,
    DataType,
    DelimitedIdentifier,
    Function,
    Identifier,
    ReservedWord,
    Number,
    String,
    Symbol,
};
inline constexpr int SqlTokenClassCount = 11;

// One token: `length` UTF-16 code units from `start`; never empty.
struct SqlToken
{
    int start;
    int length;
    SqlTokenClass cls;

    friend bool operator==(const SqlToken &, const SqlToken &) = default;
};

// A state as stored beside a line (an int); anything out of range reads as Normal.
SqlState sqlStateFromInt(int value);

// Splits one line of a MySQL script (without its line end) into tokens that
// cover the line exactly, in order, given the state the line before left
// behind. `tokens` is cleared first; the state carried to the next line is
// returned.
//
// Every character above 127 (Cyrillic included) is a token of its own shown as
// an Identifier; a surrogate pair counts as one character. A stray CR or LF
// inside the text counts as a blank, a NUL as a Symbol. Inside '...' and "..."
// a backslash escapes the character after it, so "\'" stays inside and "\\"
// does not hide the closing quote; in `...` it is an ordinary character. "#"
// opens a comment wherever it stands outside those, also touching a word.
SqlState tokenizeSqlLine(QStringView line, SqlState in, std::vector<SqlToken> &tokens);

// The same, for callers that do not keep a token buffer.
struct SqlLineTokens
{
    std::vector<SqlToken> tokens;
    SqlState out = SqlState::Normal;
};
SqlLineTokens tokenizeSqlLine(QStringView line, SqlState in);
