#pragma once

#include <QString>

struct ColumnInfo;
struct ScriptValue;

// Why the server would refuse the value for the column, as an operator reads
// it; an empty text when the value fits or the check cannot tell (an
// expression, a date). Written for the server's strict mode, where a value
// that does not fit fails the statement instead of being cut.
QString valueFitProblem(const ScriptValue &value, const ColumnInfo &column);

// The form in which the server compares the value as a key of that column:
// a number without sign of zero, leading or trailing zeros; a text folded to
// one case and without trailing blanks under a case-insensitive collation.
// Empty when the value takes no part in keys (NULL, an expression, a value
// that does not fit).
QString keyForm(const ScriptValue &value, const ColumnInfo &column);

// The key form of a value as the server sends it back; for a number column,
// empty when the text is no number.
QString keyFormOfStored(const QString &stored, const ColumnInfo &column);
