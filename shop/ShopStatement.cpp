#include "shop/ShopStatement.h"

using namespace Qt::StringLiterals;

ScriptBlock shopLinkBlock(const QString &npcId, const QString &shopId)
{
    const QString shop = ScriptText::oneLine(shopId);
    const QString npc = ScriptText::oneLine(npcId);
    return {u"#shop id  "_s + shop, u"INSERT INTO `merchant_shopids` VALUES("_s + shop + u',' + npc + u");"_s};
}
