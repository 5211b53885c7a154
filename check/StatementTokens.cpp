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

int hexDigit(QChar c)
{
    if (isDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// Where a name may begin after "--": a letter, "_", "$", "@", "`" or any character above 127.
bool startsName(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$' || c == u'@' || c == u'`'
        || c.unicode() > 127;
}

} // namespace

std::optional<QByteArray> sqlLiteralBytes(QStringView written)
{
    // 0x.. and 0b.. (the letter in lower case only), or X'..' and B'..' in either case.
    QStringView digits;
    bool hex = false;
    if (written.size() > 2 && written[0] == u'0' && (written[1] == u'x' || written[1] == u'b')) {
        hex = written[1] == u'x';
        digits = written.sliced(2);
    } else if (written.size() >= 3 && written[1] == u'\'' && written.back() == u'\'') {
        const QChar kind = written[0].toLower();
        if (kind != u'x' && kind != u'b')
            return std::nullopt;
        hex = kind == u'x';
        digits = written.sliced(2, written.size() - 3);
        if (hex && digits.size() % 2 != 0)
            return std::nullopt;  // X'3' is refused: a quoted one takes whole bytes
    } else {
        return std::nullopt;
    }
    const int bitsPerDigit = hex ? 4 : 1;
    QByteArray bytes;
    unsigned value = 0;
    qsizetype bits = (8 - (digits.size() * bitsPerDigit) % 8) % 8;  // leading zero bits of the first byte
    for (const QChar c : digits) {
        const int d = hex ? hexDigit(c) : (c == u'0' ? 0 : c == u'1' ? 1 : -1);
        if (d < 0)
            return std::nullopt;
        value = (value << bitsPerDigit) | unsigned(d);
        bits += bitsPerDigit;
        if (bits == 8) {
            bytes.append(char(value));
            value = 0;
            bits = 0;
        }
    }
    return bytes;
}

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
            } else if (isRadixLiteral(lastText) && sqlLiteralBytes(lastText)) {
                v.kind = ValueKind::Bytes;
                v.text = lastText.toString();
            } else if (isBareWord(lastText)) {
                v.kind = ValueKind::BareWord;  // 0xZZ too: no literal, so a name
                v.text = lastText.toString();
            }
        }
        if (v.kind == ValueKind::Expression)
            v.text = source(from, to);
        return v;
    }
    // X'41' and b'1': a letter and a text with nothing between.
    if (to - from == 2 && isWordClass(m_toks[from].cls) && last.cls == SqlTokenClass::String && last.joined.isNull()
        && m_toks[from].line == last.line && m_toks[from].start + m_toks[from].length == last.start) {
        const QString written = source(from, to);
        if (sqlLiteralBytes(written)) {
            v.kind = ValueKind::Bytes;
            v.text = written;
            return v;
        }
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

std::optional<QString> StatementReader::dashedName() const
{
    for (size_t i = 0; i < m_toks.size(); ++i) {
        const StatementToken &t = m_toks[i];
        if (t.cls == SqlTokenClass::String || t.cls == SqlTokenClass::DelimitedIdentifier || !t.joined.isNull())
            continue;
        const QString &line = m_lines.at(t.line);
        for (qsizetype p = t.start; p < t.start + t.length; ++p)
            if (line.at(p) == u'-' && p + 2 < line.size() && line.at(p + 1) == u'-' && startsName(line.at(p + 2))) {
                qsizetype end = p + 2;
                while (end < line.size() && end - p < 22 && !line.at(end).isSpace() && line.at(end) != u','
                       && line.at(end) != u')')
                    ++end;
                return line.mid(p + 2, end - p - 2);
            }
    }
    return std::nullopt;
}

std::optional<QString> StatementReader::namesCharset() const
{
    if (!isWord(0, u"SET"))
        return std::nullopt;
    size_t i = 1;
    if (isWord(1, u"NAMES") || isWord(1, u"CHARSET"))
        i = 2;
    else if (isWord(1, u"CHARACTER") && isWord(2, u"SET"))
        i = 3;
    else
        return std::nullopt;
    if (i >= m_toks.size())
        return std::nullopt;
    QString name = m_toks[i].cls == SqlTokenClass::String ? sqlTextValue(text(i)) : text(i).toString();
    if (name.startsWith(u'`') && name.endsWith(u'`') && name.size() >= 2)
        name = name.mid(1, name.size() - 2);
    return name.toLower();
}

StatementReader::Shape StatementReader::readInsert(ScriptInsert &insert, QString *why) const
{
    const size_t n = m_toks.size();
    size_t i = 0;
    if (!isWord(i, u"INSERT")) {
        *why = u"проверяются только инструкции INSERT … VALUES"_s;
        return Shape::Other;
    }
    if (const std::optional<QString> name = dashedName()) {
        *why = u"«--%1»: без пробела после «--» это не комментарий, сервер прочтёт два минуса и имя «%1» "
               "и инструкцию не примет"_s.arg(*name);
        return Shape::Broken;
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
