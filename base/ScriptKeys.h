#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The keys that this run's generated statements take, read back from the
// script's lines, so that a look-up of what the server holds also counts what
// the script is about to add. Only the generators' own statement lines are
// read; anything else in the script is left alone.
namespace ScriptKeys {

// A key as typed in a box: decimal digits only (no sign, no blanks), at most
// 18 of them, so that it always stands in a statement as the number it shows.
std::optional<qint64> wholeKey(QStringView text);

// The ids of the merchant NPCs the script creates.
QList<qint64> npcIds(const QStringList &lines);
// The shop numbers the script links to an NPC.
QList<qint64> shopIds(const QStringList &lines);
// The orders the script gives to the goods of one shop.
QList<qint64> shopOrders(const QStringList &lines, qint64 shop);

} // namespace ScriptKeys
