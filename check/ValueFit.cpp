#include "check/ValueFit.h"

#include "check/ScriptStatements.h"
#include "check/StatementTokens.h"
#include "check/TableSchema.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// A decimal number taken apart: digits before and after the point, with
// leading and trailing zeros dropped and the exponent applied.
// The digits are views into the scanned text, or into storage when an
// exponent moved the point.
struct DecimalParts
{
    bool negative = false;
    QStringView whole;
    QStringView fraction;
    bool huge = false;  // an exponent too large to write out
    QString storage;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Blanks, a sign, digits with one optional point, an optional exponent, blanks;
// the number the server reads in a text (and every bare number). A hand-made
// scanner, as this runs for every value of a long script.
std::optional<DecimalParts> parseNumber(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    bool minus = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        minus = text[i++] == u'-';
    const qsizetype wholeFrom = i;
    while (i < n && isDigit(text[i]))
        ++i;
    const QStringView wholeDigits = text.sliced(wholeFrom, i - wholeFrom);
    QStringView fractionDigits;
    if (i < n && text[i] == u'.') {
        const qsizetype from = ++i;
        while (i < n && isDigit(text[i]))
            ++i;
        fractionDigits = text.sliced(from, i - from);
    }
    if (wholeDigits.isEmpty() && fractionDigits.isEmpty())
        return std::nullopt;
    long long exponent = 0;
    bool hasExponent = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expMinus = false;
        if (i < n && (text[i] == u'-' || text[i] == u'+'))
            expMinus = text[i++] == u'-';
        const qsizetype from = i;
        while (i < n && isDigit(text[i])) {
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), 1000000LL);
            ++i;
        }
        if (i == from)
            return std::nullopt;
        if (expMinus)
            exponent = -exponent;
        hasExponent = true;
    }
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;

    DecimalParts p;
    if (!hasExponent) {
        p.whole = wholeDigits;
        p.fraction = fractionDigits;
    } else if (exponent > 400) {
        p.huge = true;
        p.storage = wholeDigits.toString() + fractionDigits.toString();
        p.whole = p.storage;
    } else if (exponent >= -400) {
        QString &digits = p.storage;
        digits = wholeDigits.toString() + fractionDigits.toString();
        qsizetype point = wholeDigits.size() + qsizetype(exponent);
        if (point < 0) {
            digits.prepend(QString(-point, u'0'));
            point = 0;
        }
        if (point > digits.size())
            digits.append(QString(point - digits.size(), u'0'));
        p.whole = QStringView(digits).first(point);
        p.fraction = QStringView(digits).sliced(point);
    }  // else vanishingly small: zero
    while (!p.whole.isEmpty() && p.whole.front() == u'0')
        p.whole = p.whole.sliced(1);
    while (!p.fraction.isEmpty() && p.fraction.back() == u'0')
        p.fraction.chop(1);
    p.negative = minus && !(p.whole.isEmpty() && p.fraction.isEmpty());
    if (p.huge && p.whole.isEmpty())
        p.huge = false;  // 0e999 is still zero
    return p;
}

// A number as digit strings that own their text: no leading zeros before
// the point, none trailing after it.
struct Number
{
    bool negative = false;
    QString whole;
    QString fraction;
    bool huge = false;
};

Number owned(const DecimalParts &p)
{
    return {p.negative, p.whole.toString(), p.fraction.toString(), p.huge};
}

void tidy(Number &n)
{
    while (!n.whole.isEmpty() && n.whole.front() == u'0')
        n.whole.remove(0, 1);
    while (!n.fraction.isEmpty() && n.fraction.back() == u'0')
        n.fraction.chop(1);
    if (n.whole.isEmpty() && n.fraction.isEmpty())
        n.negative = false;
}

// Rounded to `scale` digits after the point, half away from zero, as the
// server stores 990.5 into decimal(9,0) (991) and 7.5 into int (8).
Number rounded(Number n, int scale)
{
    if (n.fraction.size() <= scale)
        return n;
    const bool up = n.fraction.at(scale) >= u'5';
    n.fraction.truncate(scale);
    if (up) {
        QString digits = n.whole + n.fraction;
        qsizetype i = digits.size() - 1;
        for (; i >= 0; --i) {
            if (digits.at(i) == u'9') {
                digits[i] = u'0';
            } else {
                digits[i] = QChar(digits.at(i).unicode() + 1);
                break;
            }
        }
        if (i < 0)
            digits.prepend(u'1');
        n.whole = digits.left(digits.size() - scale);
        n.fraction = digits.right(scale);
    }
    tidy(n);
    return n;
}

QString canonical(const Number &n)
{
    QString s = n.negative ? u"-"_s : QString();
    s += n.whole.isEmpty() ? u"0"_s : n.whole;
    if (!n.fraction.isEmpty())
        s += u'.' + n.fraction;
    return s;
}

bool integerFits(const Number &n, const ColumnInfo &c)
{
    if (n.huge || n.whole.size() > 20)
        return false;
    bool ok = true;
    const quint64 magnitude = n.whole.isEmpty() ? 0 : n.whole.toULongLong(&ok);
    if (!ok)
        return false;
    const int bits = c.integerBits;
    if (c.isUnsigned)
        return !n.negative && (bits == 64 || magnitude <= (quint64(1) << bits) - 1);
    const quint64 half = quint64(1) << (bits - 1);
    return n.negative ? magnitude <= half : magnitude <= half - 1;
}

// The largest magnitude the column holds, with the sign of `n`: what a
// table without transactions keeps for a number out of range.
QString clipped(const Number &n, const ColumnInfo &c)
{
    if (c.type == ColumnInfo::Type::Decimal) {
        if (c.isUnsigned && n.negative)
            return u"0"_s;
        QString s = n.negative ? u"-"_s : QString();
        s += c.precision > c.scale ? QString(c.precision - c.scale, u'9') : u"0"_s;
        if (c.scale > 0)
            s += u'.' + QString(c.scale, u'9');
        return s;
    }
    if (c.isUnsigned)
        return n.negative ? u"0"_s : QString::number(c.integerBits == 64 ? ~quint64(0) : (quint64(1) << c.integerBits) - 1);
    const quint64 half = quint64(1) << (c.integerBits - 1);
    return n.negative ? u"-"_s + QString::number(half) : QString::number(half - 1);
}

qsizetype characterCount(const QString &text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text.at(i).isLowSurrogate())
            ++n;
    return n;
}

// The first `count` characters, a surrogate pair counting once.
QString firstCharacters(const QString &text, qsizetype count)
{
    qsizetype i = 0;
    for (qsizetype n = 0; i < text.size() && n < count; ++i)
        if (!text.at(i).isLowSurrogate())
            ++n;
    while (i < text.size() && text.at(i).isLowSurrogate())
        ++i;
    return text.left(i);
}

bool isNumeric(const ColumnInfo &c)
{
    return c.type == ColumnInfo::Type::Integer || c.type == ColumnInfo::Type::Decimal
        || c.type == ColumnInfo::Type::Float;
}

QString shown(const ColumnInfo &c)
{
    return u"%1 (%2)"_s.arg(c.name, c.columnType);
}

QString shortened(const QString &text)
{
    return text.size() > 40 ? text.left(37) + u"…"_s : text;
}

// The text the server makes of a number literal for a text column: 007 is
// "7", 007.50 is "7.50"; empty when it writes it another way (1e3).
QString numberText(const QString &literal)
{
    if (literal.contains(u'e', Qt::CaseInsensitive))
        return {};
    const std::optional<DecimalParts> p = parseNumber(literal);
    if (!p)
        return {};
    QString s = p->negative ? u"-"_s : QString();
    s += p->whole.isEmpty() ? u"0"_s : p->whole.toString();
    const qsizetype point = literal.indexOf(u'.');
    if (point >= 0)
        s += literal.mid(point);
    return s;
}

ValueFit fits(const QString &stored)
{
    return {ValueFit::Verdict::Fits, {}, false, ValueFit::Kept::Value, stored};
}

ValueFit refused(const QString &problem)
{
    return {ValueFit::Verdict::Refused, problem, false, ValueFit::Kept::Unknown, {}};
}

ValueFit changed(const QString &problem, const QString &stored)
{
    return {ValueFit::Verdict::Refused, problem, true, ValueFit::Kept::Value, stored};
}

ValueFit unknown()
{
    return {};
}

// What the column keeps for NULL where strict mode cannot refuse it.
QString implicitValue(const ColumnInfo &c)
{
    return isNumeric(c) ? u"0"_s : QString();
}

// A whole number in its shortest form ("0", "-12", never "007" or "+1"):
// what the column keeps is the text itself, and the digits are few enough
// to compare without taking the number apart. Most values of a script are such.
bool isPlainWhole(const QString &text)
{
    const qsizetype digitsFrom = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digits = text.size() - digitsFrom;
    if (digits < 1 || digits > 18 || (text.at(digitsFrom) == u'0' && (digits > 1 || digitsFrom == 1)))
        return false;
    for (qsizetype i = digitsFrom; i < text.size(); ++i)
        if (!isDigit(text.at(i)))
            return false;
    return true;
}

ValueFit fitNumber(const QString &text, const ColumnInfo &column)
{
    if (column.type == ColumnInfo::Type::Integer && isPlainWhole(text)) {
        const qint64 v = text.toLongLong();
        const bool inRange = column.isUnsigned ? v >= 0 && (column.integerBits == 64 || v <= (qint64(1) << column.integerBits) - 1)
                                               : column.integerBits == 64
                || (v >= -(qint64(1) << (column.integerBits - 1)) && v <= (qint64(1) << (column.integerBits - 1)) - 1);
        if (inRange)
            return fits(text);
    }
    const std::optional<DecimalParts> parsed = parseNumber(text);
    if (!parsed)
        return changed(u"«%1» — не число, а столбец %2 числовой"_s.arg(shortened(text), shown(column)), u"0"_s);
    const Number n = owned(*parsed);
    if (column.type == ColumnInfo::Type::Float)
        return n.huge ? unknown() : fits(canonical(n));
    const Number r = rounded(n, column.type == ColumnInfo::Type::Decimal ? column.scale : 0);
    const bool inRange = column.type == ColumnInfo::Type::Integer
        ? integerFits(r, column)
        : !r.huge && r.whole.size() <= column.precision - column.scale && !(column.isUnsigned && r.negative);
    if (!inRange)
        return changed(u"%1 вне диапазона столбца %2"_s.arg(shortened(text), shown(column)), clipped(r, column));
    return fits(canonical(r));
}

ValueFit fitText(const QString &text, const ColumnInfo &column)
{
    const qsizetype chars = characterCount(text);
    if (column.maxChars < 0 || chars <= column.maxChars)
        return fits(text);
    const QString kept = firstCharacters(text, column.maxChars);
    // Strict mode cuts blanks, tabs and line ends off the end with a note only.
    const QStringView cut = QStringView(text).sliced(kept.size());
    if (std::all_of(cut.begin(), cut.end(), [](QChar c) { return isBlank(c); }))
        return fits(kept);
    return changed(u"текст из %1 знаков длиннее столбца %2"_s.arg(chars).arg(shown(column)), kept);
}

ValueFit fitEnum(const ScriptValue &value, const ColumnInfo &column)
{
    if (value.kind == ValueKind::Text) {
        QString text = value.text;
        while (text.endsWith(u' '))
            text.chop(1);
        const Qt::CaseSensitivity cs = column.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (const QString &member : column.members) {
            QString m = member;
            while (m.endsWith(u' '))
                m.chop(1);
            if (m.compare(text, cs) == 0)
                return fits(member);
        }
        // A text of digits that names no member is the member's number.
        bool digits = !text.isEmpty();
        for (const QChar c : text)
            digits = digits && isDigit(c);
        if (!digits)
            return changed(u"«%1» нет среди значений столбца %2"_s.arg(shortened(value.text), shown(column)), QString());
    }
    const std::optional<DecimalParts> parsed = parseNumber(value.text);
    if (!parsed || !parsed->fraction.isEmpty())
        return unknown();
    const Number n = owned(*parsed);
    bool ok = false;
    const qsizetype index = n.negative ? -1 : n.whole.isEmpty() ? 0 : n.whole.toLongLong(&ok);
    if (index >= 1 && index <= column.members.size())
        return fits(column.members.at(index - 1));
    return changed(u"номера %1 нет у столбца %2: его значения считаются с 1"_s.arg(shortened(value.text), shown(column)),
                   QString());
}

// A hexadecimal or bit literal is a number where the column holds numbers,
// else a text of those bytes in the column's character set.
ValueFit fitBytes(const ScriptValue &value, const ColumnInfo &column)
{
    if (column.generated)
        return refused(u"столбец %1 вычисляется сервером и значения не принимает"_s.arg(column.name));
    QByteArray bytes = sqlLiteralBytes(value.text).value_or(QByteArray());
    if (isNumeric(column)) {
        while (!bytes.isEmpty() && bytes.front() == '\0')
            bytes.remove(0, 1);
        if (bytes.size() > 8)
            return unknown();
        quint64 n = 0;
        for (const char b : bytes)
            n = (n << 8) | quint64(std::uint8_t(b));
        return fitNumber(QString::number(n), column);
    }
    if (column.type != ColumnInfo::Type::Text && column.type != ColumnInfo::Type::Enum)
        return unknown();
    QString text;
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return std::uint8_t(b) < 0x80; })) {
        text = QString::fromLatin1(bytes);
    } else {
        // Bytes above 127 are letters only as the column's character set reads them.
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(bytes);
        if (!column.charset.startsWith(u"utf8"_s) || utf8.hasError())
            return unknown();
    }
    const ScriptValue asText{ValueKind::Text, text, value.line};
    return column.type == ColumnInfo::Type::Enum ? fitEnum(asText, column) : fitText(text, column);
}

ValueFit fitLiteral(const ScriptValue &value, const ColumnInfo &column)
{
    if (column.generated)
        return refused(u"столбец %1 вычисляется сервером и значения не принимает"_s.arg(column.name));
    if (column.type == ColumnInfo::Type::Enum)
        return fitEnum(value, column);
    if (isNumeric(column))
        return fitNumber(value.text, column);
    if (column.type == ColumnInfo::Type::Text) {
        const QString text = value.kind == ValueKind::Number ? numberText(value.text) : value.text;
        return text.isNull() ? unknown() : fitText(text, column);
    }
    return unknown();
}

} // namespace

ValueFit fitValue(const ScriptValue &value, const ColumnInfo &column)
{
    ValueFit generated{ValueFit::Verdict::Fits, {}, false, ValueFit::Kept::Generated, {}};
    switch (value.kind) {
    case ValueKind::Expression:
        return unknown();
    case ValueKind::Empty:
        return refused(u"пустая позиция: значения для столбца %1 нет"_s.arg(column.name));
    case ValueKind::BareWord:
        if (isNumeric(column))
            return refused(u"«%1» — не число, а столбец %2 числовой"_s.arg(shortened(value.text), shown(column)));
        return refused(u"«%1» без кавычек: сервер прочтёт это как имя столбца, а не как значение для %2"_s
                           .arg(shortened(value.text), column.name));
    case ValueKind::Null:
        if (column.autoIncrement)
            return generated;
        if (column.nullable)
            return {ValueFit::Verdict::Fits, {}, false, ValueFit::Kept::Null, {}};
        return changed(u"NULL в столбце %1, который не допускает NULL"_s.arg(shown(column)), implicitValue(column));
    case ValueKind::Default:
        if (column.autoIncrement || column.generated)
            return generated;
        if (column.defaultValue.kind == ValueKind::Empty) {
            if (column.nullable)
                return {ValueFit::Verdict::Fits, {}, false, ValueFit::Kept::Null, {}};
            return refused(u"DEFAULT в столбце %1, у которого нет значения по умолчанию"_s.arg(shown(column)));
        }
        if (column.defaultValue.kind == ValueKind::Default)
            return unknown();  // never: a default is no DEFAULT
        {
            // The server takes its own default; only what the column keeps matters.
            ValueFit d = fitValue(column.defaultValue, column);
            return {ValueFit::Verdict::Fits, {}, false, d.verdict == ValueFit::Verdict::Fits ? d.kept : ValueFit::Kept::Unknown,
                    d.stored};
        }
    case ValueKind::Number:
    case ValueKind::Text:
    case ValueKind::Bytes:
        break;
    }
    ValueFit fit = value.kind == ValueKind::Bytes ? fitBytes(value, column) : fitLiteral(value, column);
    // 0 (and NULL above) into an auto_increment column make a value of its own.
    if (column.autoIncrement && fit.kept == ValueFit::Kept::Value && fit.stored == u"0"_s)
        fit.kept = ValueFit::Kept::Generated;
    return fit;
}
