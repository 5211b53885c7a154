#include "editor/SqlTokenizer.h"

#include "editor/SqlWords.h"

namespace {

bool isBlank(char16_t c) { return c >= 1 && c <= 32; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isWordChar(char16_t c) { return isLetter(c) || isDigit(c) || c == u'_' || c == u'#' || c == u'$'; }

// Reads a line once, front to back, appending tokens.
class LineScanner
{
public:
    LineScanner(QStringView line, std::vector<SqlToken> &tokens)
        : m_line(line), m_size(int(line.size())), m_tokens(tokens)
    {
    }

    SqlState run(SqlState in);

private:
    char16_t at(int i) const { return i < m_size ? m_line[i].unicode() : u'\0'; }
    void push(int start, int end, SqlTokenClass cls) { m_tokens.push_back({start, end - start, cls}); }
    // Index just past the "*/" found at or after `from`, or -1.
    int commentEnd(int from) const;
    // Index just past the quote that closes a string whose text starts at `from`, or -1.
    int stringEnd(int from) const;
    // Index just past a delimited identifier opened at `open`; the line end closes it too.
    int delimitedEnd(int open) const;
    int numberEnd(int from) const;
    int operatorLength(int at) const;

    QStringView m_line;
    int m_size;
    std::vector<SqlToken> &m_tokens;
};

int LineScanner::commentEnd(int from) const
{
    for (int i = from; i + 1 < m_size; ++i) {
        if (m_line[i] == u'*' && m_line[i + 1] == u'/')
            return i + 2;
    }
    return -1;
}

int LineScanner::stringEnd(int from) const
{
    for (int i = from; i < m_size; ++i) {
        const char16_t c = m_line[i].unicode();
        if (c == u'\\')
            ++i;
        else if (c == u'\'')
            return i + 1;
    }
    return -1;
}

int LineScanner::delimitedEnd(int open) const
{
    const char16_t quote = m_line[open].unicode();
    int i = open + 1;
    while (i < m_size) {
        if (m_line[i] == quote) {
            if (at(i + 1) != quote)
                return i + 1;
            i += 2;  // a doubled delimiter stays inside
        } else {
            ++i;
        }
    }
    return m_size;
}

int LineScanner::numberEnd(int from) const
{
    int i = from + 1;
    while (i < m_size) {
        const char16_t c = m_line[i].unicode();
        if (isDigit(c) || c == u'-' || (c == u'.' && at(i + 1) != u'.'))
            ++i;
        else
            break;
    }
    return i;
}

int LineScanner::operatorLength(int i) const
{
    const char16_t a = m_line[i].unicode();
    const char16_t b = at(i + 1);
    if (a == u'<' && b == u'<' && at(i + 2) == u'=')
        return 3;
    switch (a) {
    case u'&': return (b == u'&' || b == u'=') ? 2 : 1;
    case u'|': return (b == u'|' || b == u'=') ? 2 : 1;
    case u'+': return (b == u'+' || b == u'=') ? 2 : 1;
    case u'!':
    case u'%':
    case u'*':
    case u'^': return b == u'=' ? 2 : 1;
    case u'<': return (b == u'<' || b == u'=') ? 2 : 1;
    case u'>': return (b == u'>' || b == u'=') ? 2 : 1;
    case u'=': return (b == u'=' || b == u'>') ? 2 : 1;
    default: return 1;
    }
}

SqlState LineScanner::run(SqlState in)
{
    int i = 0;
    // What the previous line left open comes first.
    if (in == SqlState::BlockComment || in == SqlState::ConditionalComment) {
        const SqlTokenClass cls = in == SqlState::BlockComment ? SqlTokenClass::Comment
                                                                : SqlTokenClass::ConditionalComment;
        const int end = commentEnd(0);
        if (end < 0) {
            if (m_size > 0)
                push(0, m_size, cls);
            return in;
        }
        push(0, end, cls);
        i = end;
    } else if (in == SqlState::String) {
        const int end = stringEnd(0);
        if (end < 0) {
            if (m_size > 0)
                push(0, m_size, SqlTokenClass::String);
            return in;
        }
        push(0, end, SqlTokenClass::String);
        i = end;
    }

    while (i < m_size) {
        const int start = i;
        const char16_t c = m_line[i].unicode();
        if (isBlank(c)) {
            while (i < m_size && isBlank(m_line[i].unicode()))
                ++i;
            push(start, i, SqlTokenClass::Space);
        } else if (c == u'#' || (c == u'-' && at(i + 1) == u'-')) {
            push(start, m_size, SqlTokenClass::Comment);
            return SqlState::Normal;
        } else if (c == u'/' && at(i + 1) == u'*') {
            const bool conditional = at(i + 2) == u'!';
            const SqlTokenClass cls = conditional ? SqlTokenClass::ConditionalComment : SqlTokenClass::Comment;
            const int end = commentEnd(i + 2);
            if (end < 0) {
                push(start, m_size, cls);
                return conditional ? SqlState::ConditionalComment : SqlState::BlockComment;
            }
            push(start, end, cls);
            i = end;
        } else if (c == u'/') {
            i += at(i + 1) == u'=' ? 2 : 1;
            push(start, i, SqlTokenClass::Symbol);
        } else if (c == u'\'') {
            const int end = stringEnd(i + 1);
            if (end < 0) {
                push(start, m_size, SqlTokenClass::String);
                return SqlState::String;
            }
            push(start, end, SqlTokenClass::String);
            i = end;
        } else if (c == u'"' || c == u'`') {
            i = delimitedEnd(i);
            push(start, i, SqlTokenClass::DelimitedIdentifier);
        } else if (isDigit(c)) {
            i = numberEnd(i);
            push(start, i, SqlTokenClass::Number);
        } else if (isLetter(c) || c == u'_') {
            ++i;
            while (i < m_size && isWordChar(m_line[i].unicode()))
                ++i;
            push(start, i, sqlWordClass(m_line.mid(start, i - start)));
        } else if (c == u'$' || c == u'\\' || c >= 127) {
            i += (QChar::isHighSurrogate(c) && QChar::isLowSurrogate(at(i + 1))) ? 2 : 1;
            push(start, i, SqlTokenClass::Identifier);
        } else {
            // "[", "@", ":", "-", the operators and every other punctuation character.
            i += operatorLength(i);
            push(start, i, SqlTokenClass::Symbol);
        }
    }
    return SqlState::Normal;
}

} // namespace

SqlState sqlStateFromInt(int value)
{
    return (value >= 0 && value < SqlStateCount) ? SqlState(value) : SqlState::Normal;
}

SqlState tokenizeSqlLine(QStringView line, SqlState in, std::vector<SqlToken> &tokens)
{
    tokens.clear();
    return LineScanner(line, tokens).run(in);
}

SqlLineTokens tokenizeSqlLine(QStringView line, SqlState in)
{
    SqlLineTokens result;
    result.out = tokenizeSqlLine(line, in, result.tokens);
    return result;
}
