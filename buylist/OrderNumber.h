#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The whole-number reading of the order box: leading blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$", "x" or "0x" (either
// case); the value must fit in a signed 32-bit integer. Nothing else.
std::optional<qint32> readWholeNumber(QStringView text);

// The order box after one entry: its number plus one, as decimal text. Throws
// QmError "'%s' is not a valid integer value" when the box holds no whole
// number, and a QmError when the next number would not fit.
QString nextOrderText(const QString &orderText);
