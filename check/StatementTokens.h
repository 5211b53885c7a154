#pragma once

#include "check/ScriptStatements.h"
#include "editor/SqlTokenizer.h"

#include <QStringList>

#include <optional>
#include <vector>

// One token of a statement, blanks and comments left out. Adjacent word
// pieces are one token, so that a Cyrillic name (one tokenizer token per
// letter) or "12abc" reads as the one word the server sees.
struct StatementToken
{
    int line;
    int start;
    int length;
    SqlTokenClass cls;
    QString joined;  // a quoted text that runs over several lines, quotes included
};

// Identifiers, listed words and numbers: the pieces a word is made of.
bool isWordClass(SqlTokenClass c);

// The text a quoted SQL literal ('...' or "...", quotes included) stands for:
// backslash escapes resolved, a doubled quote taken as one.
QString sqlTextValue(QStringView quoted);

// The bytes of a hexadecimal or bit literal as written (0x1F4, X'01F4',
// 0b101, b'101'); nothing when the text is no such literal.
std::optional<QByteArray> sqlLiteralBytes(QStringView written);

// Reads the tokens of one statement as the server would.
class StatementReader
{
public:
    StatementReader(const QStringList &lines, const std::vector<StatementToken> &tokens)
        : m_lines(lines), m_toks(tokens)
    {
    }

    enum class Shape {
        Insert,  // INSERT [INTO] table [(columns)] VALUE[S] (...)[, (...)]: read
        Other,   // another statement, or another kind of INSERT: not read
        Broken,  // an INSERT ... VALUES that the server refuses as written
    };
    // Reads the statement as an INSERT of literal rows; *why says why not.
    Shape readInsert(ScriptInsert &insert, QString *why) const;
    // The table whose rows or shape a statement of another kind changes
    // (UPDATE, DELETE, REPLACE, INSERT of another shape, TRUNCATE, LOAD DATA;
    // CREATE, ALTER, DROP, RENAME TABLE), the first one when it names several.
    std::optional<ScriptTableChange> changedTable() const;

    // The character set that SET NAMES x, SET CHARACTER SET x or SET CHARSET x
    // chooses for what the client sends, in lower case; nothing for another statement.
    std::optional<QString> namesCharset() const;

    QStringView text(size_t i) const;
    bool isWord(size_t i, QStringView word) const;

private:
    bool isSymbol(size_t i, QChar c) const;
    // A table or column name: a word, or a name in back quotes.
    bool name(size_t i, QString *out) const;
    // A name with an optional database in front; `i` moves past it.
    bool qualifiedName(size_t &i, QString *schema, QString *table) const;
    ScriptValue value(size_t from, size_t to, int emptyLine) const;
    // The first name that "--" stands before with no blank between (no
    // comment then, but two minus signs and a name), up to a blank, "," or ")".
    std::optional<QString> dashedName() const;
    // The statement's own text of tokens [from, to), as written on one line.
    QString source(size_t from, size_t to) const;

    const QStringList &m_lines;
    const std::vector<StatementToken> &m_toks;
};
