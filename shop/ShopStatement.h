#pragma once

#include "base/ScriptText.h"

// The link between a merchant NPC and a shop number. The shop number comes
// first; there is no blank between VALUES and the parenthesis. Both numbers
// go in bare: throws QmError when one could end or leave the statement.
ScriptBlock shopLinkBlock(const QString &npcId, const QString &shopId);
