#pragma once

#include <QString>

// Log lines of the actions that take back, correct, import or reopen entries,
// in the style of the generators' own lines.
namespace EntryLogTexts {

QString itemRemoved(const QString &timeStr, const QString &itemName);
QString itemChanged(const QString &timeStr, const QString &itemName);
// ids: the item ids of a pasted list that the catalogue does not hold, as "1, 2, 5".
QString itemsNotInCatalogue(const QString &timeStr, const QString &ids);
// A block the operator changed in the editor, which is therefore left there.
QString blockKeptInEditor(const QString &timeStr, const QString &commentLine);
QString fileOpened(const QString &timeStr, const QString &fileName);

} // namespace EntryLogTexts
