#pragma once

#include <QString>

#include <unordered_set>
#include <vector>

class ReadOnlyQuery;
struct TableInfo;

// One key of the script to look for: the key form of each key column joined
// by keyJoint, and the first column's value as written in the script.
struct KeyProbe
{
    QString tuple;
    QString firstValue;
};

inline constexpr QChar keyJoint = u'\x1f';

// The probes' tuples that the table already holds in the given columns. The
// server is asked in batches: one SELECT of the key columns per thousand
// distinct values of the first column (the one the key's index leads with),
// never one query per statement. Names in the queries come from the metadata.
std::unordered_set<QString> findExistingKeys(ReadOnlyQuery &query, const TableInfo &table,
                                             const std::vector<int> &columns, const std::vector<KeyProbe> &probes);
