#include "check/StatementTokens.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

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

// "0x41" and "0b101": bit and hexadecimal literals, not names.
bool isRadixLiteral(QStringView w)
{
    return w.size() > 2 && w[0] == u'0' && (w[1] == u'x' || w[1] == u'b');
}

} // namespace

QString sqlTextValue(QStringView quoted)
{
    return quoted.isEmpty() ? QString() : unquote(quoted, quoted.front());
}

bool isWordClass(SqlTokenClass c)
{
    return c == SqlTokenClass::Identifier || c == SqlTokenClass::ReservedWord
        || c == SqlTokenClass::DataType || c == SqlTokenClass::Function || c == SqlTokenClass::Number;
}

QStringView StatementReader::text(size_t i) const
{
    const StatementToken &t = m_toks[i];
    if (!t.joined.isNull())
        return t.joined;
    return QStringView(m_lines.at(t.line)).mid(t.start, t.length);
}

bool StatementReader::isSymbol(size_t i, QChar c) const
{
    return i < m_toks.size() && m_toks[i].cls == SqlTokenClass::Symbol && text(i) == QStringView(&c, 1);
}

bool StatementReader::isWord(size_t i, QStringView word) const
{
    return i < m_toks.size() && isWordClass(m_toks[i].cls) && text(i).compare(word, Qt::CaseInsensitive) == 0;
}

bool StatementReader::name(size_t i, QString *out) const
{
    if (i >= m_toks.size())
        return false;
    const StatementToken &t = m_toks[i];
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

bool StatementReader::qualifiedName(size_t &i, QString *schema, QString *table) const
{
    if (!name(i, table))
        return false;
    ++i;
    if (isSymbol(i, u'.')) {
        *schema = *table;
        if (!name(i + 1, table))
            return false;
        i += 2;
    }
    return true;
}

QString StatementReader::source(size_t from, size_t to) const
{
    QString out;
    for (size_t i = from; i < to; ++i) {
        const StatementToken &t = m_toks[i];
        if (i > from) {
            const StatementToken &p = m_toks[i - 1];
            if (p.line != t.line || !p.joined.isNull() || p.start + p.length != t.start)
                out += u' ';
        }
        out += text(i);
    }
    return out;
}

ScriptValue StatementReader::value(size_t from, size_t to, int emptyLine) const
{
    ScriptValue v;
    v.line = from < to ? m_toks[from].line : emptyLine;
    if (from == to)
        return v;
    v.kind = ValueKind::Expression;
    const StatementToken &last = m_toks[to - 1];
    const QStringView lastText = text(to - 1);
    if (to - from == 1) {
        if (last.cls == SqlTokenClass::String) {
            v.kind = ValueKind::Text;
            v.text = unquote(lastText, u'\'');
        } else if (last.cls == SqlTokenClass::DelimitedIdentifier && lastText.startsWith(u'"')) {
            // Without ANSI_QUOTES (the server's default) a double-quoted text is a string.
            v.kind = ValueKind::Text;
            v.text = unquote(lastText, u'"');
        } else if (last.cls == SqlTokenClass::Number && isNumberWord(lastText)) {
            v.kind = ValueKind::Number;  // most values: ahead of the word comparisons
            v.text = lastText.toString();
        } else if (isWordClass(last.cls)) {
            if (isWord(from, u"NULL") || lastText == u"\\N")
                v.kind = ValueKind::Null;
            else if (isWord(from, u"DEFAULT"))
                v.kind = ValueKind::Default;
            else if (isWord(from, u"TRUE") || isWord(from, u"FALSE")) {
                v.kind = ValueKind::Number;
                v.text = isWord(from, u"TRUE") ? u"1"_s : u"0"_s;
            } else if (isNumberWord(lastText)) {
                v.kind = ValueKind::Number;
                v.text = lastText.toString();
            } else if (isBareWord(lastText) && !isRadixLiteral(lastText)) {
                v.kind = ValueKind::BareWord;
                v.text = lastText.toString();
            }
        }
        if (v.kind == ValueKind::Expression)
            v.text = source(from, to);
        return v;
    }
    // 'it''s' (a doubled quote) and 'a' 'b' (texts in a row) are one text each.
    if (std::all_of(m_toks.begin() + qsizetype(from), m_toks.begin() + qsizetype(to),
                    [](const StatementToken &t) { return t.cls == SqlTokenClass::String; })) {
        v.kind = ValueKind::Text;
        for (size_t i = from; i < to; ++i) {
            const StatementToken &t = m_toks[i];
            const StatementToken *prev = i > from ? &m_toks[i - 1] : nullptr;
            if (prev && prev->joined.isNull() && prev->line == t.line && prev->start + prev->length == t.start)
                v.text += u'\'';
            v.text += unquote(text(i), u'\'');
        }
        return v;
    }
    // Signs before a number: "-1", "- 1", "+-1".
    bool negative = false;
    for (size_t i = from; i + 1 < to; ++i) {
        if (isSymbol(i, u'-')) {
            negative = !negative;
        } else if (!isSymbol(i, u'+')) {
            v.text = source(from, to);
            return v;
        }
    }
    if (last.cls == SqlTokenClass::Number && isNumberWord(lastText)) {
        v.kind = ValueKind::Number;
        v.text = (negative ? u"-"_s : QString()) + lastText.toString();
    } else {
        v.text = source(from, to);
    }
    return v;
}

StatementReader::Shape StatementReader::readInsert(ScriptInsert &insert, QString *why) const
{
    const size_t n = m_toks.size();
    size_t i = 0;
    if (!isWord(i, u"INSERT")) {
        *why = u"проверяются только инструкции INSERT … VALUES"_s;
        return Shape::Other;
    }
    ++i;
    if (isWord(i, u"INTO"))
        ++i;
    if (!qualifiedName(i, &insert.schema, &insert.table)) {
        *why = u"после INSERT INTO ожидалось имя таблицы"_s;
        return Shape::Other;
    }
    if (isSymbol(i, u'(')) {
        insert.hasColumnList = true;
        ++i;
        for (;;) {
            QString column;
            if (!name(i, &column)) {
                *why = u"список столбцов не прочитан"_s;
                return Shape::Other;
            }
            insert.columns.append(column);
            ++i;
            if (isSymbol(i, u')')) {
                ++i;
                break;
            }
            if (!isSymbol(i, u',')) {
                *why = u"список столбцов не прочитан"_s;
                return Shape::Other;
            }
            ++i;
        }
    }
    if (!isWord(i, u"VALUES") && !isWord(i, u"VALUE")) {
        *why = u"проверяются только инструкции INSERT … VALUES с готовыми значениями"_s;
        return Shape::Other;
    }
    ++i;
    for (;;) {
        if (!isSymbol(i, u'(')) {
            *why = u"после VALUES нет строки значений в скобках: сервер такую инструкцию не примет"_s;
            return Shape::Broken;
        }
        ScriptRow row;
        row.line = m_toks[i].line;
        int separatorLine = row.line;
        size_t valueStart = ++i;
        int depth = 0;
        for (;; ++i) {
            if (i >= n) {
                *why = u"скобка строки значений не закрыта: сервер такую инструкцию не примет"_s;
                return Shape::Broken;
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
            return Shape::Insert;
        if (!isSymbol(i, u',')) {
            // Only these clauses may follow the rows; anything else fails the statement.
            if (isWord(i, u"ON") || isWord(i, u"RETURNING") || isWord(i, u"AS")) {
                *why = u"инструкции INSERT … VALUES … %1 не проверяются"_s.arg(text(i).toString().toUpper());
                return Shape::Other;
            }
            *why = u"после строк значений стоит «%1»: сервер такую инструкцию не примет"_s.arg(source(i, std::min(n, i + 3)));
            return Shape::Broken;
        }
        ++i;
    }
}



std::optional<ScriptTableChange> StatementReader::changedTable() const
{
    // The words that may stand between the statement's word and the table.
    static const QStringList skipped = {u"LOW_PRIORITY"_s, u"DELAYED"_s, u"HIGH_PRIORITY"_s, u"QUICK"_s, u"IGNORE"_s,
                                        u"INTO"_s, u"FROM"_s, u"TABLE"_s, u"TEMPORARY"_s, u"ONLINE"_s, u"OR"_s,
                                        u"REPLACE"_s, u"IF"_s, u"NOT"_s, u"EXISTS"_s};
    static const QStringList rowWords = {u"UPDATE"_s, u"DELETE"_s, u"REPLACE"_s, u"INSERT"_s, u"TRUNCATE"_s};
    static const QStringList shapeWords = {u"CREATE"_s, u"ALTER"_s, u"DROP"_s, u"RENAME"_s};
    if (m_toks.empty() || !isWordClass(m_toks[0].cls))
        return std::nullopt;
    const QString first = text(0).toString().toUpper();
    ScriptTableChange change;
    change.line = m_toks[0].line;
    size_t i = 1;
    if (first == u"LOAD"_s) {
        // LOAD DATA ... INTO TABLE t
        while (i < m_toks.size() && !isWord(i, u"TABLE"))
            ++i;
        ++i;
    } else if (shapeWords.contains(first)) {
        change.shape = true;
        // CREATE [OR REPLACE] [TEMPORARY] TABLE, ALTER [ONLINE] [IGNORE] TABLE, DROP TABLE, RENAME TABLE
        size_t t = 1;
        while (t < m_toks.size() && !isWord(t, u"TABLE") && skipped.contains(text(t).toString().toUpper()))
            ++t;
        if (!isWord(t, u"TABLE"))
            return std::nullopt;
        i = t + 1;
    } else if (!rowWords.contains(first)) {
        return std::nullopt;
    }
    while (i < m_toks.size() && isWordClass(m_toks[i].cls) && skipped.contains(text(i).toString().toUpper()))
        ++i;
    if (!qualifiedName(i, &change.schema, &change.table))
        return std::nullopt;
    return change;
}
