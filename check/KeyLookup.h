#pragma once

#include "check/ReadOnlyQuery.h"

#include <QString>

#include <optional>
#include <vector>

struct ColumnInfo;
struct TableInfo;

// Tuples of values that the server is to compare as the columns of `form`
// compare them (their type, character set and collation), each value as the
// column keeps it (ValueFit::stored), and a table to look them up in.
struct KeyProbe
{
    std::vector<const ColumnInfo *> form;      // one per position of a tuple
    std::vector<std::vector<QString>> tuples;  // one value per position each
    // Where rows holding a tuple already may be; null: the tuples are only
    // compared among themselves.
    const TableInfo *table = nullptr;
    std::vector<int> tableColumns;  // the table's columns, one per position
};

struct KeyAnswer
{
    std::vector<size_t> sameAs;  // per tuple: the first tuple the server takes as equal to it (itself if none)
    std::vector<bool> inTable;   // per tuple: the table holds a row equal in those columns
};

// The server decides equality (PAD SPACE, _bin and _ci collations, accents,
// "ё" and "е", 7 and 7.00 all come out as it has them), in one read-only
// SELECT for all the tuples, whatever their number, so that a tuple meets its
// equal anywhere in the script. Nothing when a limit of ReadOnlyQuery stopped
// the statement (*stoppedBy says which); QmError as ReadOnlyQuery throws it.
// Names in the query come from the metadata, values travel as utf8mb4 hex.
std::optional<KeyAnswer> probeKeys(ReadOnlyQuery &query, const KeyProbe &probe,
                                   std::optional<ReadOnlyQuery::Limit> *stoppedBy);
