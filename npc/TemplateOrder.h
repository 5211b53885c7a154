#pragma once

#include <QString>

// The order of the template grid's collision-height column: texts that are
// both numbers compare by value; a number sorts before a text that is not
// one; two texts that are not numbers compare by their UTF-16 code units.
// A consistent order over any texts, and it never raises an error.
int compareNumberOrText(const QString &a, const QString &b);
