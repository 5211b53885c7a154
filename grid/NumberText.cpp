#include "grid/NumberText.h"

#include "base/Error.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Checks the grammar on code units and converts through from_chars, which
// wants ASCII with '.' and no '+'.
template<typename Unit>
bool parseUnits(const Unit *p, std::size_t n, char16_t point, double &value)
{
    auto at = [p](std::size_t i) { return static_cast<char16_t>(p[i]); };
    std::size_t b = 0;
    std::size_t e = n;
    while (b < e && isBlank(at(b)))
        ++b;
    while (e > b && isBlank(at(e - 1)))
        --e;
    if (b == e)
        return false;

    std::string ascii;
    ascii.reserve(e - b + 1);
    std::size_t i = b;
    if (at(i) == u'+' || at(i) == u'-') {
        if (at(i) == u'-')
            ascii.push_back('-');
        ++i;
    }
    // Decimal magnitude of the first significant digit, for telling
    // underflow from overflow when the conversion is out of range.
    long long lead = 0;
    bool significant = false;
    std::size_t digits = 0;
    while (i < e && isDigit(at(i))) {
        if (at(i) != u'0')
            significant = true;
        if (significant)
            ++lead;
        ascii.push_back(static_cast<char>(at(i)));
        ++i;
        ++digits;
    }
    if (i < e && at(i) == point) {
        ascii.push_back('.');
        ++i;
        while (i < e && isDigit(at(i))) {
            if (!significant) {
                if (at(i) != u'0')
                    significant = true;
                else
                    --lead;
            }
            ascii.push_back(static_cast<char>(at(i)));
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    long long exponent = 0;
    if (i < e && (at(i) == u'e' || at(i) == u'E')) {
        ascii.push_back('e');
        ++i;
        bool negative = false;
        if (i < e && (at(i) == u'+' || at(i) == u'-')) {
            negative = at(i) == u'-';
            if (negative)
                ascii.push_back('-');
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < e && isDigit(at(i))) {
            if (exponent < 100000)
                exponent = exponent * 10 + (at(i) - u'0');
            ascii.push_back(static_cast<char>(at(i)));
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
        if (negative)
            exponent = -exponent;
    }
    if (i != e)
        return false;

    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (lead + exponent <= 0) {
            value = ascii.front() == '-' ? -0.0 : 0.0;
            return true;
        }
        return false;
    }
    return ec == std::errc() && ptr == last && std::isfinite(value);
}

} // namespace

QChar numberDecimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.front() : QLatin1Char('.');
}

QString numberParseErrorText(const QString &text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

bool tryParseNumberText(QStringView text, QChar decimalPoint, double &value)
{
    return parseUnits(text.utf16(), static_cast<std::size_t>(text.size()), decimalPoint.unicode(), value);
}

bool tryParseNumberText(std::string_view text, QChar decimalPoint, double &value)
{
    return parseUnits(reinterpret_cast<const unsigned char *>(text.data()), text.size(), decimalPoint.unicode(), value);
}

double parseNumberText(QStringView text)
{
    double value = 0;
    if (!tryParseNumberText(text, numberDecimalPoint(), value))
        throw QmError(numberParseErrorText(text.toString()));
    return value;
}

QString formatNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    // Digits, sign and exponent stay ASCII whatever the locale, so that the
    // parse above takes the text back and statements get plain numbers; only
    // the decimal separator is the locale's.
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = plain.toString(value, 'G', 15);
    const QChar point = numberDecimalPoint();
    if (point != u'.')
        text.replace(u'.', point);
    return text;
}
