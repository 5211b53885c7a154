#include "check/ScriptStatements.h"

#include "editor/SqlTokenizer.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// One token of a statement, blanks and comments left out. Adjacent word
// pieces are one token, so that a Cyrillic name (one tokenizer token per
// letter) or "12abc" reads as the one word the server sees.
struct Tok
{
    int line;
    int start;
    int length;
    SqlTokenClass cls;
    QString joined;  // a string that runs over several lines, quotes included
};

bool isWordClass(SqlTokenClass c)
{
    return c == SqlTokenClass::Identifier || c == SqlTokenClass::ReservedWord
        || c == SqlTokenClass::DataType || c == SqlTokenClass::Function || c == SqlTokenClass::Number;
}

class Statement
{
public:
    Statement(const QStringList &lines, const std::vector<Tok> &toks) : m_lines(lines), m_toks(toks) {}

    QStringView text(size_t i) const
    {
        const Tok &t = m_toks[i];
        if (!t.joined.isNull())
            return t.joined;
        return QStringView(m_lines.at(t.line)).mid(t.start, t.length);
    }
    bool isSymbol(size_t i, QChar c) const
    {
        return i < m_toks.size() && m_toks[i].cls == SqlTokenClass::Symbol && text(i) == QStringView(&c, 1);
    }
    bool isWord(size_t i, QStringView word) const
    {
        return i < m_toks.size() && isWordClass(m_toks[i].cls)
            && text(i).compare(word, Qt::CaseInsensitive) == 0;
    }
    // A table or column name: a word, or a name in back quotes.
    bool name(size_t i, QString *out) const
    {
        if (i >= m_toks.size())
            return false;
        const Tok &t = m_toks[i];
        const QStringView s = text(i);
        if (isWordClass(t.cls) && t.cls != SqlTokenClass::Number) {
            *out = s.toString();
            return true;
        }
        if (t.cls == SqlTokenClass::DelimitedIdentifier && s.startsWith(u'`') && s.size() >= 2 && s.endsWith(u'`')) {
            *out = s.mid(1, s.size() - 2).toString().replace(u"``"_s, u"`"_s);
            return true;
        }
        return false;
    }

    bool parse(ScriptInsert &insert, QString *why) const;

private:
    ScriptValue value(size_t from, size_t to, int emptyLine) const;

    const QStringList &m_lines;
    const std::vector<Tok> &m_toks;
};

QString unquote(QStringView quoted, QChar quote)
{
    const QStringView body = quoted.mid(1, quoted.size() - 2);
    QString out;
    out.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == u'\\' && i + 1 < body.size()) {
            const QChar n = body[++i];
            switch (n.unicode()) {
            case u'0': out += QChar(0); break;
            case u'n': out += u'\n'; break;
            case u'r': out += u'\r'; break;
            case u't': out += u'\t'; break;
            case u'b': out += u'\b'; break;
            case u'Z': out += QChar(26); break;
            case u'%': case u'_': out += u'\\'; out += n; break;  // kept for LIKE patterns
            default: out += n;
            }
        } else if (c == quote && i + 1 < body.size() && body[i + 1] == quote) {
            out += quote;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits, an optional point with digits, an optional exponent: "12", "50.00", "1e3".
bool isNumberWord(QStringView w)
{
    qsizetype i = 0;
    const qsizetype n = w.size();
    while (i < n && isDigit(w[i]))
        ++i;
    if (i == 0)
        return false;
    if (i < n && w[i] == u'.')
        for (++i; i < n && isDigit(w[i]);)
            ++i;
    if (i < n && (w[i] == u'e' || w[i] == u'E')) {
        const qsizetype from = ++i;
        while (i < n && isDigit(w[i]))
            ++i;
        if (i == from)
            return false;
    }
    return i == n;
}

// A word the server would read as a name: no point or minus, not all digits.
bool isBareWord(QStringView w)
{
    bool allDigits = true;
    for (const QChar c : w) {
        if (c == u'.' || c == u'-')
            return false;
        allDigits = allDigits && isDigit(c);
    }
    return !allDigits;
}

ScriptValue Statement::value(size_t from, size_t to, int emptyLine) const
{
    ScriptValue v;
    v.line = from < to ? m_toks[from].line : emptyLine;
    if (from == to)
        return v;
    v.kind = ValueKind::Expression;
    const Tok &last = m_toks[to - 1];
    const QStringView lastText = text(to - 1);
    if (to - from == 1) {
        if (last.cls == SqlTokenClass::String) {
            v.kind = ValueKind::Text;
            v.text = unquote(lastText, u'\'');
        } else if (last.cls == SqlTokenClass::DelimitedIdentifier && lastText.startsWith(u'"')) {
            // Without ANSI_QUOTES (the server's default) a double-quoted text is a string.
            v.kind = ValueKind::Text;
            v.text = unquote(lastText, u'"');
        } else if (isWordClass(last.cls)) {
            if (isWord(from, u"NULL"))
                v.kind = ValueKind::Null;
            else if (isWord(from, u"DEFAULT"))
                v.kind = ValueKind::Default;
            else if (isWord(from, u"TRUE") || isWord(from, u"FALSE")) {
                v.kind = ValueKind::Number;
                v.text = isWord(from, u"TRUE") ? u"1"_s : u"0"_s;
            } else if (isNumberWord(lastText)) {
                v.kind = ValueKind::Number;
                v.text = lastText.toString();
            } else if (isBareWord(lastText)) {
                v.kind = ValueKind::BareWord;
                v.text = lastText.toString();
            }
        }
        return v;
    }
    // 'it''s' (a doubled quote) and 'a' 'b' (texts in a row) are one text each.
    if (std::all_of(m_toks.begin() + qsizetype(from), m_toks.begin() + qsizetype(to),
                    [](const Tok &t) { return t.cls == SqlTokenClass::String; })) {
        v.kind = ValueKind::Text;
        for (size_t i = from; i < to; ++i) {
            const Tok &t = m_toks[i];
            const Tok *prev = i > from ? &m_toks[i - 1] : nullptr;
            if (prev && prev->joined.isNull() && prev->line == t.line && prev->start + prev->length == t.start)
                v.text += u'\'';
            v.text += unquote(text(i), u'\'');
        }
        return v;
    }
    // Signs before a number: "-1", "- 1", "+-1".
    bool negative = false;
    for (size_t i = from; i + 1 < to; ++i) {
        if (isSymbol(i, u'-'))
            negative = !negative;
        else if (!isSymbol(i, u'+'))
            return v;
    }
    if (last.cls == SqlTokenClass::Number && isNumberWord(lastText)) {
        v.kind = ValueKind::Number;
        v.text = (negative ? u"-"_s : QString()) + lastText.toString();
    }
    return v;
}

bool Statement::parse(ScriptInsert &insert, QString *why) const
{
    const size_t n = m_toks.size();
    size_t i = 0;
    if (!isWord(i, u"INSERT")) {
        *why = u"проверяются только инструкции INSERT … VALUES"_s;
        return false;
    }
    ++i;
    if (isWord(i, u"INTO"))
        ++i;
    if (!name(i, &insert.table)) {
        *why = u"после INSERT INTO ожидалось имя таблицы"_s;
        return false;
    }
    ++i;
    if (isSymbol(i, u'.')) {
        insert.schema = insert.table;
        if (!name(i + 1, &insert.table)) {
            *why = u"после имени базы ожидалось имя таблицы"_s;
            return false;
        }
        i += 2;
    }
    if (isSymbol(i, u'(')) {
        insert.hasColumnList = true;
        ++i;
        for (;;) {
            QString column;
            if (!name(i, &column)) {
                *why = u"список столбцов не прочитан"_s;
                return false;
            }
            insert.columns.append(column);
            ++i;
            if (isSymbol(i, u')')) {
                ++i;
                break;
            }
            if (!isSymbol(i, u',')) {
                *why = u"список столбцов не прочитан"_s;
                return false;
            }
            ++i;
        }
    }
    if (!isWord(i, u"VALUES") && !isWord(i, u"VALUE")) {
        *why = u"проверяются только инструкции INSERT … VALUES с готовыми значениями"_s;
        return false;
    }
    ++i;
    for (;;) {
        if (!isSymbol(i, u'(')) {
            *why = u"после VALUES ожидалась строка значений в скобках"_s;
            return false;
        }
        ScriptRow row;
        row.line = m_toks[i].line;
        int separatorLine = row.line;
        size_t valueStart = ++i;
        int depth = 0;
        for (;; ++i) {
            if (i >= n) {
                *why = u"скобка строки значений не закрыта"_s;
                return false;
            }
            if (isSymbol(i, u'('))
                ++depth;
            else if (depth > 0 && isSymbol(i, u')'))
                --depth;
            else if (depth == 0 && (isSymbol(i, u',') || isSymbol(i, u')'))) {
                row.values.push_back(value(valueStart, i, separatorLine));
                separatorLine = m_toks[i].line;
                valueStart = i + 1;
                if (isSymbol(i, u')'))
                    break;
            }
        }
        insert.rows.push_back(std::move(row));
        ++i;
        if (i == n)
            return true;
        if (!isSymbol(i, u',')) {
            *why = u"после строк значений стоит ещё что-то"_s;
            return false;
        }
        ++i;
    }
}

} // namespace

ParsedScript parseScript(const QStringList &lines)
{
    ParsedScript parsed;
    std::vector<Tok> toks;
    std::vector<SqlToken> lineTokens;
    SqlState state = SqlState::Normal;
    int statementLine = -1;
    int statementIndex = 0;
    bool conditional = false;
    int openedAt = 0;  // line where the string or comment still open began

    const auto finish = [&] {
        if (toks.empty() && !conditional) {
            statementLine = -1;
            return;
        }
        const int line = statementLine < 0 ? 0 : statementLine;
        ScriptInsert insert;
        insert.line = line;
        insert.statement = statementIndex++;
        QString why;
        const Statement statement(lines, toks);
        if (conditional)
            parsed.notChecked.push_back({line, u"инструкция с условным комментарием /*! … */"_s});
        else if (statement.parse(insert, &why))
            parsed.inserts.push_back(std::move(insert));
        else
            parsed.notChecked.push_back({line, why});
        toks.clear();
        conditional = false;
        statementLine = -1;
    };

    for (int l = 0; l < lines.size(); ++l) {
        const QString &text = lines.at(l);
        const SqlState in = state;
        state = tokenizeSqlLine(text, in, lineTokens);
        if (state != in && state != SqlState::Normal && state != SqlState::Statement)
            openedAt = l;
        bool gap = true;
        for (size_t k = 0; k < lineTokens.size(); ++k) {
            const SqlToken &t = lineTokens[k];
            switch (t.cls) {
            case SqlTokenClass::Space:
            case SqlTokenClass::Comment:
                gap = true;
                continue;
            case SqlTokenClass::ConditionalComment:
                conditional = true;
                if (statementLine < 0)
                    statementLine = l;
                gap = true;
                continue;
            default:
                break;
            }
            if (t.cls == SqlTokenClass::Symbol && t.length == 1 && text.at(t.start) == u';') {
                finish();
                gap = true;
                continue;
            }
            if (statementLine < 0)
                statementLine = l;
            const bool quotedIn = in == SqlState::String || in == SqlState::DoubleQuoted || in == SqlState::BackQuoted;
            if (k == 0 && quotedIn && !toks.empty()
                && (t.cls == SqlTokenClass::String || t.cls == SqlTokenClass::DelimitedIdentifier)) {
                // The string goes on from the line before.
                Tok &prev = toks.back();
                if (prev.joined.isNull())
                    prev.joined = QStringView(lines.at(prev.line)).mid(prev.start, prev.length).toString();
                prev.joined += u'\n';
                prev.joined += QStringView(text).mid(t.start, t.length);
                gap = false;
                continue;
            }
            if (!gap && isWordClass(t.cls) && !toks.empty() && isWordClass(toks.back().cls)
                && toks.back().line == l && toks.back().start + toks.back().length == t.start) {
                Tok &prev = toks.back();
                prev.length += t.length;
                prev.cls = SqlTokenClass::Identifier;
                continue;
            }
            toks.push_back({l, t.start, t.length, t.cls, QString()});
            gap = false;
        }
    }
    if (state == SqlState::String || state == SqlState::DoubleQuoted || state == SqlState::BackQuoted) {
        parsed.openString.push_back({openedAt, u"строка в кавычках не закрыта до конца скрипта"_s});
        toks.clear();
        statementLine = -1;
    } else if (state != SqlState::Normal && state != SqlState::Statement) {
        parsed.openComment.push_back({openedAt, u"комментарий не закрыт до конца скрипта: всё после него не выполнится"_s});
    }
    finish();
    return parsed;
}
