#pragma once

#include <QString>
#include <QStringView>

#include <string_view>

// The text form of a number cell. The parse accepts leading and trailing
// blanks, an optional sign, digits with the locale's decimal separator and an
// optional exponent, nothing else; the text form is the general format with up
// to 15 significant digits and no group separators. Digits, signs and the
// exponent are ASCII in both directions, whatever digits the locale writes.

// Throws QmError "'%s' is not a valid floating point value".
double parseNumberText(QStringView text);
QString formatNumberText(double value);

// The same parse without the error, for passes over many cells: false when the
// text is not a number. The narrow form reads single-byte text whose bytes
// below 0x80 are ASCII; decimalPoint is the locale's separator.
bool tryParseNumberText(QStringView text, QChar decimalPoint, double &value);
bool tryParseNumberText(std::string_view text, QChar decimalPoint, double &value);

// The current locale's decimal separator (one character).
QChar numberDecimalPoint();

// The error text for a text that is not a number.
QString numberParseErrorText(const QString &text);
