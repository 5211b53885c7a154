#include "buylist/CatalogueKind.h"

using namespace Qt::StringLiterals;

QByteArray catalogueQuery(CatalogueKind kind)
{
    switch (kind) {
    case CatalogueKind::Armor:
        return "SELECT item_id, armor_type, name, crystal_type, price, sellable  FROM armor"_ba;
    case CatalogueKind::Items:
        return "SELECT item_id, item_type, name, crystal_type, price, sellable  FROM etcitem"_ba;
    case CatalogueKind::Weapon:
        break;
    }
    return "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon"_ba;
}

QString catalogueTable(CatalogueKind kind)
{
    switch (kind) {
    case CatalogueKind::Armor:
        return u"armor"_s;
    case CatalogueKind::Items:
        return u"etcitem"_s;
    case CatalogueKind::Weapon:
        break;
    }
    return u"weapon"_s;
}
