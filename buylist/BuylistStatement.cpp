#include "buylist/BuylistStatement.h"

#include "base/BareValue.h"

using namespace Qt::StringLiterals;

ScriptBlock buylistBlock(const QString &itemName, const QString &itemId, const QString &price,
                         const QString &shopId, const QString &order)
{
    BareValue::require({{u"Item ID"_s, itemId}, {u"Цена"_s, price}, {u"Shop ID"_s, shopId}, {u"Order"_s, order}});
    using ScriptText::oneLine;
    return {u"#weapon  "_s + oneLine(itemName),
            u"INSERT INTO `merchant_buylists` VALUES ("_s + oneLine(itemId) + u',' + oneLine(price) + u','
                + oneLine(shopId) + u',' + oneLine(order) + u",-1,-1,0,0);"_s};
}
