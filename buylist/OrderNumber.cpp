#include "buylist/OrderNumber.h"

#include "base/Error.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

int digitValue(QChar ch, int base)
{
    const char16_t c = ch.unicode();
    int value = -1;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

std::optional<qint32> readWholeNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    // The magnitude may reach 2^31 for the most negative value.
    const qint64 limit = qint64(std::numeric_limits<qint32>::max()) + (negative ? 1 : 0);
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

QString nextOrderText(const QString &orderText)
{
    const std::optional<qint32> order = readWholeNumber(orderText);
    if (!order)
        throw QmError(u"'%1' is not a valid integer value"_s.arg(orderText));
    if (*order == std::numeric_limits<qint32>::max())
        throw QmError(u"The order number %1 is the largest there is; it cannot be counted up"_s.arg(*order));
    return QString::number(*order + 1);
}
