#pragma once

#include <QString>

struct ColumnInfo;
struct ScriptValue;

// What the server does with one value of an INSERT for one column, under its
// default strict mode (STRICT_TRANS_TABLES): whether it takes it, and what the
// column then keeps, for comparing keys.
struct ValueFit
{
    enum class Verdict {
        Fits,     // taken, perhaps rounded (990.5 into decimal(9,0)) or cut of trailing blanks
        Refused,  // the statement fails
        Unknown,  // the check cannot tell (an expression, a date)
    };
    enum class Kept {
        Unknown,
        Null,
        Generated,  // auto_increment or generated column: a value of its own
        Value,      // `stored`
    };

    Verdict verdict = Verdict::Unknown;
    QString problem;  // Refused: why, as the operator reads it
    // Refused, but where strict mode cannot refuse (the rows after the first
    // of a multi-row INSERT into a table without transactions) the server
    // keeps `stored` instead and only warns.
    bool changedInLaterRows = false;
    Kept kept = Kept::Unknown;
    // Kept::Value: a number's digits with sign and point (rounded to the
    // column), a text as the column keeps it, an enum's member.
    QString stored;
};

ValueFit fitValue(const ScriptValue &value, const ColumnInfo &column);
