#include "editor/SqlTokenizer.h"

#include "editor/SqlWords.h"

namespace {

bool isBlank(char16_t c) { return c >= 1 && c <= 32; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isWordChar(char16_t c) { return isLetter(c) || isDigit(c) || c == u'_' || c == u'$'; }

char16_t quoteOf(SqlState s)
{
    return s == SqlState::String ? u'\'' : s == SqlState::DoubleQuoted ? u'"' : u'`';
}

SqlTokenClass quotedClass(char16_t quote)
{
    return quote == u'\'' ? SqlTokenClass::String : SqlTokenClass::DelimitedIdentifier;
}

SqlState quotedState(char16_t quote)
{
    return quote == u'\'' ? SqlState::String : quote == u'"' ? SqlState::DoubleQuoted : SqlState::BackQuoted;
}

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
    // Index just past the `quote` that closes a quoted text whose content
    // starts at `from`, or -1. A doubled quote stays inside; so does a
    // character after a backslash, except in `...`.
    int quotedEnd(int from, char16_t quote) const;
    // Whether "--" at `i` opens a comment inside a statement: a blank or a
    // control character follows, or the line ends.
    bool dashCommentAt(int i) const;
    int numberEnd(int from) const;
    int operatorLength(int at) const;
    // The rest of the line after `from` is inside what `in` left open.
    SqlState openToEnd(int from, SqlState in, SqlTokenClass cls);

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

int LineScanner::quotedEnd(int from, char16_t quote) const
{
    const bool escapes = quote != u'`';
    int i = from;
    while (i < m_size) {
        const char16_t c = m_line[i].unicode();
        if (escapes && c == u'\\') {
            i += 2;
        } else if (c == quote) {
            if (quote == u'\'' || at(i + 1) != quote)
                return i + 1;
            i += 2;  // a doubled quote stays inside
        } else {
            ++i;
        }
    }
    return -1;
}

bool LineScanner::dashCommentAt(int i) const
{
    return i + 2 >= m_size || isBlank(m_line[i + 2].unicode());
}

int LineScanner::numberEnd(int from) const
{
    int i = from + 1;
    while (i < m_size) {
        const char16_t c = m_line[i].unicode();
        if (isDigit(c) || (c == u'-' && !(at(i + 1) == u'-' && dashCommentAt(i))) || (c == u'.' && at(i + 1) != u'.'))
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

SqlState LineScanner::openToEnd(int from, SqlState in, SqlTokenClass cls)
{
    if (from < m_size)
        push(from, m_size, cls);
    return in;
}

SqlState LineScanner::run(SqlState in)
{
    int i = 0;
    // Whether a statement has begun: "--" and what a "/*" leaves open depend on it.
    bool inStatement = in != SqlState::Normal && in != SqlState::BlockComment;
    // What the previous line left open comes first.
    switch (in) {
    case SqlState::BlockComment:
    case SqlState::StatementComment:
    case SqlState::ConditionalComment: {
        const SqlTokenClass cls = in == SqlState::ConditionalComment ? SqlTokenClass::ConditionalComment
                                                                      : SqlTokenClass::Comment;
        const int end = commentEnd(0);
        if (end < 0)
            return openToEnd(0, in, cls);
        push(0, end, cls);
        i = end;
        break;
    }
    case SqlState::String:
    case SqlState::DoubleQuoted:
    case SqlState::BackQuoted: {
        const char16_t quote = quoteOf(in);
        const int end = quotedEnd(0, quote);
        if (end < 0)
            return openToEnd(0, in, quotedClass(quote));
        push(0, end, quotedClass(quote));
        i = end;
        break;
    }
    case SqlState::Normal:
    case SqlState::Statement:
        break;
    }

    while (i < m_size) {
        const int start = i;
        const char16_t c = m_line[i].unicode();
        if (isBlank(c)) {
            while (i < m_size && isBlank(m_line[i].unicode()))
                ++i;
            push(start, i, SqlTokenClass::Space);
            continue;
        }
        if (c == u'#' || (c == u'-' && at(i + 1) == u'-' && (!inStatement || dashCommentAt(i)))) {
            push(start, m_size, SqlTokenClass::Comment);
            break;
        }
        if (c == u'/' && at(i + 1) == u'*') {
            const bool conditional = at(i + 2) == u'!' || (at(i + 2) == u'M' && at(i + 3) == u'!');
            if (!conditional) {
                const SqlState open = inStatement ? SqlState::StatementComment : SqlState::BlockComment;
                const int end = commentEnd(i + 2);
                if (end < 0)
                    return openToEnd(start, open, SqlTokenClass::Comment);
                push(start, end, SqlTokenClass::Comment);
                i = end;
                continue;
            }
            // The server runs the text of a conditional comment: a statement has begun.
            const int end = commentEnd(i + 2);
            if (end < 0)
                return openToEnd(start, SqlState::ConditionalComment, SqlTokenClass::ConditionalComment);
            push(start, end, SqlTokenClass::ConditionalComment);
            i = end;
            inStatement = true;
            continue;
        }
        inStatement = true;
        if (c == u'/') {
            i += at(i + 1) == u'=' ? 2 : 1;
            push(start, i, SqlTokenClass::Symbol);
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            const int end = quotedEnd(i + 1, c);
            if (end < 0)
                return openToEnd(start, quotedState(c), quotedClass(c));
            push(start, end, quotedClass(c));
            i = end;
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
            // "[", "@", ":", "-", ";", the operators and every other punctuation character.
            i += operatorLength(i);
            push(start, i, SqlTokenClass::Symbol);
            if (c == u';')
                inStatement = false;
        }
    }
    return inStatement ? SqlState::Statement : SqlState::Normal;
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
