#include "base/ScriptKeys.h"

using namespace Qt::StringLiterals;

namespace {

// The values of a generated statement line that starts with head, split at
// the commas (the generators write bare values without commas in them).
std::optional<QList<QStringView>> valuesAfter(const QString &line, QStringView head)
{
    if (!line.startsWith(head))
        return std::nullopt;
    return QStringView(line).mid(head.size()).split(u',');
}

QList<qint64> keysAt(const QStringList &lines, QStringView head, int position)
{
    QList<qint64> keys;
    for (const QString &line : lines) {
        const std::optional<QList<QStringView>> values = valuesAfter(line, head);
        if (values && values->size() > position)
            if (const std::optional<qint64> key = ScriptKeys::wholeKey(values->at(position)))
                keys.append(*key);
    }
    return keys;
}

} // namespace

namespace ScriptKeys {

std::optional<qint64> wholeKey(QStringView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

QList<qint64> npcIds(const QStringList &lines)
{
    return keysAt(lines, u"INSERT INTO `npc` VALUES (", 0);
}

QList<qint64> shopIds(const QStringList &lines)
{
    return keysAt(lines, u"INSERT INTO `merchant_shopids` VALUES(", 0);
}

QList<qint64> shopOrders(const QStringList &lines, qint64 shop)
{
    QList<qint64> orders;
    for (const QString &line : lines) {
        const std::optional<QList<QStringView>> values = valuesAfter(line, u"INSERT INTO `merchant_buylists` VALUES (");
        if (!values || values->size() < 4 || wholeKey(values->at(2)) != shop)
            continue;
        if (const std::optional<qint64> order = wholeKey(values->at(3)))
            orders.append(*order);
    }
    return orders;
}

} // namespace ScriptKeys
