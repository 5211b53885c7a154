#pragma once

#include "base/ScriptEntries.h"

#include <QList>
#include <QStringList>

// A saved script read back: the blocks this tool generated come back as
// entries, in their order; every line stays in the editor's text as it was.
struct ReadScript
{
    // The file's lines for the editor, without a first line that sets the
    // client's character set (the writer adds it again).
    QStringList editorLines;
    QList<ScriptEntry> entries;
};

// Finds the generated blocks among lines: a comment line, the tool's own
// statement line for merchant_buylists, merchant_shopids or npc after it, and
// an empty line. Anything else is the operator's own text.
ReadScript readScript(const QStringList &fileLines);

// For a buylist entry: its values (item name, item id, price, shop id, order).
enum BuylistValue { ItemName, ItemId, Price, ShopId, Order };
