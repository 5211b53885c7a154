#include "shop/ShopStatement.h"

#include "base/BareValue.h"

using namespace Qt::StringLiterals;

ScriptBlock shopLinkBlock(const QString &npcId, const QString &shopId)
{
    BareValue::require({{u"Shop ID"_s, shopId}, {u"NPC ID"_s, npcId}});
    const QString shop = ScriptText::oneLine(shopId);
    const QString npc = ScriptText::oneLine(npcId);
    return {u"#shop id  "_s + shop, u"INSERT INTO `merchant_shopids` VALUES("_s + shop + u',' + npc + u");"_s};
}
