#pragma once

#include "check/ScriptCheck.h"
#include "check/ValueFit.h"

#include <vector>

struct DatabaseSchema;
struct ParsedScript;
struct ScriptInsert;
struct TableInfo;

// One row of a checked INSERT: what each of the table's columns keeps
// (given or by default), and whether a value refused fails the statement here.
struct PlannedRow
{
    int line = 0;
    std::vector<ValueFit> kept;        // per column of the table
    std::vector<QString> written;      // per column: the value as the script writes it, empty when left out
    std::vector<int> lineOf;           // per column: the line of its value (the row's line when left out)
    bool refused = false;
};

// A checked INSERT into a table of the connected database.
struct InsertPlan
{
    const ScriptInsert *insert = nullptr;
    const TableInfo *table = nullptr;
    bool failsWhole = false;  // a fault of the statement as a whole: nothing is inserted
    std::vector<PlannedRow> rows;
    std::vector<bool> inserted;  // per row, after the key check: the row is in the table afterwards
};

// Reads every INSERT of the script against the schema, in script order:
// the table and its columns, each value against its column under strict
// mode, the columns left out by their defaults. Adds its findings.
std::vector<InsertPlan> planInserts(const ParsedScript &parsed, const DatabaseSchema &schema,
                                    std::vector<ScriptProblem> &problems);

// The line of the nearest statement above `statement` that the check does not
// read and that changes the table's rows (shape: its shape too); -1 if none.
int changedAbove(const ParsedScript &parsed, const DatabaseSchema &schema, const QString &table, int statement,
                 bool shape);
