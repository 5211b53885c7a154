#pragma once

#include "check/InsertPlan.h"
#include "check/ReadOnlyQuery.h"

#include <map>
#include <vector>

struct DatabaseSchema;
struct ParsedScript;

// Tables that a limit of ReadOnlyQuery kept the check from reading: it asks
// about them no more and marks what depended on them.
using StoppedTables = std::map<const TableInfo *, ReadOnlyQuery::Limit>;

// Every unique key of every table the script inserts into: the server
// compares the keys (one query per key), and the statements are then played
// in script order as the server runs them. A row whose key the table or an
// earlier inserted row already holds fails its statement; a failing statement
// keeps no rows in a table with transactions and the rows before the failing
// one in a table without. Fills each plan's `inserted` and adds findings.
void replayKeys(ReadOnlyQuery &query, const ParsedScript &parsed, const DatabaseSchema &schema,
                std::vector<InsertPlan> &plans, StoppedTables &stopped, std::vector<ScriptProblem> &problems);

// "shop_id, order = 500, 1": the key's columns and the row's values, as written or taken by default.
QString shownKey(const InsertPlan &plan, const PlannedRow &row, const std::vector<int> &key);
