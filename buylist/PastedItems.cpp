#include "buylist/PastedItems.h"

#include <QStringList>

using namespace Qt::StringLiterals;

QList<PastedItem> readPastedItems(const QString &text)
{
    QList<PastedItem> items;
    QString normal = text;
    normal.replace(u"\r\n"_s, u"\n"_s);
    normal.replace(u'\r', u'\n');
    for (const QString &line : normal.split(u'\n')) {
        const QStringList cells = line.split(u'\t');
        PastedItem item;
        item.itemId = cells.at(0).trimmed();
        if (item.itemId.isEmpty())
            continue;
        if (cells.size() > 1) {
            item.price = cells.at(1).trimmed();
            item.hasPrice = !item.price.isEmpty();
        }
        items.append(item);
    }
    return items;
}
