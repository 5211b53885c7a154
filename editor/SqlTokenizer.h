#pragma once

#include <QStringView>

#include <cstdint>
#include <vector>

// What the end of one line hands to the next line of a MySQL script.
enum class SqlState : std::uint8_t {
    Normal,
    BlockComment,        // inside "/* ... */"
    String,              // inside '...'
    ConditionalComment,  // inside "/*! ... */"
};
inline constexpr int SqlStateCount = 4;

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
// inside the text counts as a blank, a NUL as a Symbol. Inside a '...' string
// a backslash escapes the character after it, so "\'" stays inside and "\\"
// does not hide the closing quote.
SqlState tokenizeSqlLine(QStringView line, SqlState in, std::vector<SqlToken> &tokens);

// The same, for callers that do not keep a token buffer.
struct SqlLineTokens
{
    std::vector<SqlToken> tokens;
    SqlState out = SqlState::Normal;
};
SqlLineTokens tokenizeSqlLine(QStringView line, SqlState in);
