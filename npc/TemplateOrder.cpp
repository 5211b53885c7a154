#include "npc/TemplateOrder.h"

#include "grid/NumberText.h"

namespace {

// The server writes decimals with a point; a text typed in the locale's form
// is taken as well.
bool asNumber(const QString &text, double &value)
{
    if (tryParseNumberText(QStringView(text), u'.', value))
        return true;
    const QChar point = numberDecimalPoint();
    return point != u'.' && tryParseNumberText(QStringView(text), point, value);
}

} // namespace

int compareNumberOrText(const QString &a, const QString &b)
{
    double x = 0;
    double y = 0;
    const bool aNumber = asNumber(a, x);
    const bool bNumber = asNumber(b, y);
    if (aNumber && bNumber)
        return x < y ? -1 : (y < x ? 1 : 0);
    if (aNumber != bNumber)
        return aNumber ? -1 : 1;
    const int c = QStringView(a).compare(QStringView(b), Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
