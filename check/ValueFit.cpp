#include "check/ValueFit.h"

#include "check/ScriptStatements.h"
#include "check/TableSchema.h"

#include <algorithm>
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

QString canonical(const DecimalParts &p)
{
    QString s = p.negative ? u"-"_s : QString();
    if (p.whole.isEmpty())
        s += u'0';
    else
        s += p.whole;
    if (!p.fraction.isEmpty()) {
        s += u'.';
        s += p.fraction;
    }
    return s;
}

bool integerFits(const DecimalParts &p, const ColumnInfo &c)
{
    if (p.huge || p.whole.size() > 20)
        return false;
    bool ok = true;
    const quint64 magnitude = p.whole.isEmpty() ? 0 : p.whole.toULongLong(&ok);
    if (!ok)
        return false;
    const int bits = c.integerBits;
    if (c.isUnsigned)
        return !p.negative && (bits == 64 || magnitude <= (quint64(1) << bits) - 1);
    const quint64 half = quint64(1) << (bits - 1);
    return p.negative ? magnitude <= half : magnitude <= half - 1;
}

qsizetype characterCount(const QString &text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text.at(i).isLowSurrogate())
            ++n;
    return n;
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

} // namespace

QString valueFitProblem(const ScriptValue &value, const ColumnInfo &column)
{
    switch (value.kind) {
    case ValueKind::Expression:
        return {};
    case ValueKind::Empty:
        return u"пустая позиция: значения для столбца %1 нет"_s.arg(column.name);
    case ValueKind::Null:
        if (!column.nullable && !column.autoIncrement)
            return u"NULL в столбце %1, который не допускает NULL"_s.arg(shown(column));
        return {};
    case ValueKind::Default:
        if (!column.nullable && !column.hasDefault && !column.autoIncrement)
            return u"DEFAULT в столбце %1, у которого нет значения по умолчанию"_s.arg(shown(column));
        return {};
    case ValueKind::BareWord:
        if (isNumeric(column))
            return u"«%1» — не число, а столбец %2 числовой"_s.arg(shortened(value.text), shown(column));
        return u"«%1» без кавычек: сервер прочтёт это как имя столбца, а не как значение для %2"_s
            .arg(shortened(value.text), column.name);
    case ValueKind::Number:
    case ValueKind::Text:
        break;
    }
    if (column.generated)
        return u"столбец %1 вычисляется сервером и значения не принимает"_s.arg(column.name);
    if (isNumeric(column)) {
        const std::optional<DecimalParts> p = parseNumber(value.text);
        if (!p)
            return u"«%1» — не число, а столбец %2 числовой"_s.arg(shortened(value.text), shown(column));
        if (column.type == ColumnInfo::Type::Integer) {
            if (!p->fraction.isEmpty())
                return u"%1 — не целое число, а столбец %2 целый"_s.arg(shortened(value.text), shown(column));
            if (!integerFits(*p, column))
                return u"%1 вне диапазона столбца %2"_s.arg(shortened(value.text), shown(column));
        } else if (column.type == ColumnInfo::Type::Decimal) {
            if (p->huge || p->whole.size() > column.precision - column.scale)
                return u"%1 вне диапазона столбца %2"_s.arg(shortened(value.text), shown(column));
            if (p->fraction.size() > column.scale)
                return u"у %1 знаков после точки больше, чем %2 у столбца %3"_s
                    .arg(shortened(value.text)).arg(column.scale).arg(shown(column));
        }
        return {};
    }
    if (column.type == ColumnInfo::Type::Text && column.maxChars >= 0) {
        const qsizetype chars = characterCount(value.text);
        if (chars > column.maxChars)
            return u"текст из %1 знаков длиннее столбца %2"_s.arg(chars).arg(shown(column));
    }
    return {};
}

QString keyForm(const ScriptValue &value, const ColumnInfo &column)
{
    if ((value.kind != ValueKind::Number && value.kind != ValueKind::Text) || !valueFitProblem(value, column).isEmpty())
        return {};
    return keyFormOfStored(value.text, column);
}

QString keyFormOfStored(const QString &stored, const ColumnInfo &column)
{
    if (isNumeric(column)) {
        const std::optional<DecimalParts> p = parseNumber(stored);
        return p ? canonical(*p) : QString();
    }
    // Empty means "no key" to the callers, so a text (even an empty one) gets a mark of its own.
    if (!column.caseInsensitive)
        return u"'"_s + stored;
    QString folded = stored.toCaseFolded();
    while (folded.endsWith(u' '))
        folded.chop(1);
    return u"'"_s + folded;
}
