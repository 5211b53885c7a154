#pragma once

#include "base/ScriptText.h"

// One buylist entry: the comment names the item ("weapon" for every item kind);
// the values are item id, price, shop id, order, then -1, -1, 0, 0. The four
// boxes go in bare: throws QmError when one could end or leave the statement.
ScriptBlock buylistBlock(const QString &itemName, const QString &itemId, const QString &price,
                         const QString &shopId, const QString &order);
