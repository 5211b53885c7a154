#pragma once

#include <QString>

#include <functional>

class RowStore;

// Orders every row of a store, hidden ones included, by one column's cells.
// The sorts are not stable: rows with equal keys may end in any order.

// Texts by their UTF-16 code units, case-sensitive; a text sorts before every
// longer text that starts with it. Number cells compare by their text form.
void sortRowsAlphabetic(RowStore &store, int col, bool descending);

// Number cells by value; text cells through the number parse. A text that is
// not a number throws QmError "'%s' is not a valid floating point value" and
// leaves the order as it was.
void sortRowsNumeric(RowStore &store, int col, bool descending);

// By the owner's comparison of the cell texts (negative, zero, positive).
void sortRowsCustom(RowStore &store, int col, bool descending,
                    const std::function<int(const QString &, const QString &)> &compare);
