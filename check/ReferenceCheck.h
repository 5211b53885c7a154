#pragma once

#include "check/KeyReplay.h"

// The references a trader needs: a buylist's item in one of the item tables,
// a shop's NPC in the NPC table or created by an earlier statement, an NPC's
// template among the NPCs. A reference is compared in the form of the column
// it names (a varchar NPC id against a decimal id as that decimal), by the
// server, against the table and the rows inserted above. Missing ones are
// warnings: the server takes such rows, the game does not find what they name.
void checkReferences(ReadOnlyQuery &query, const ParsedScript &parsed, const DatabaseSchema &schema,
                     const std::vector<InsertPlan> &plans, StoppedTables &stopped, std::vector<ScriptProblem> &problems);
