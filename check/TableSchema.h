#pragma once

#include "check/ScriptStatements.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

class ReadOnlyQuery;

// What a column can take, as the server's metadata describes it.
struct ColumnInfo
{
    enum class Type { Integer, Decimal, Float, Text, Enum, Other };

    QString name;
    QString columnType;  // as the server writes it, e.g. "int(11)", "varchar(8)"
    Type type = Type::Other;
    bool isUnsigned = false;
    int integerBits = 0;        // Integer: 8, 16, 24, 32 or 64
    int precision = 0;          // Decimal: all digits
    int scale = 0;              // Decimal: digits after the point
    long long maxChars = -1;    // Text (char and varchar): characters
    QStringList members;        // Enum: the members in their order
    QString charset;            // Text and Enum: e.g. "utf8mb4"
    QString collation;          // Text and Enum: e.g. "utf8mb4_general_ci"
    bool nullable = true;
    bool hasDefault = false;
    // What the column takes when a row gives it nothing: Null, Number or
    // Text; Expression when the server computes it (now()); Empty without one.
    ScriptValue defaultValue;
    bool autoIncrement = false;
    bool generated = false;     // a virtual or stored generated column takes no value
    bool caseInsensitive = true;  // the collation ignores the case of letters (enum members)
};

struct TableInfo
{
    QString name;
    std::vector<ColumnInfo> columns;           // in the table's order
    std::vector<std::vector<int>> uniqueKeys;  // primary key first, column indexes
    // A failing statement takes back the rows it inserted (InnoDB); otherwise
    // (MyISAM, Aria, MEMORY) they stay, and strict mode refuses a value that
    // does not fit only in the statement's first row, storing it changed in
    // the rows after.
    bool transactional = true;

    // The column of that name (names of columns ignore case), or -1.
    int columnIndex(const QString &name) const;
};

// The tables of the connected database that the account can see.
struct DatabaseSchema
{
    QString database;
    std::map<QString, TableInfo> tables;
    // Whether the server folds table names to one case (lower_case_table_names);
    // on Linux it does not, and "NPC" is another table than "npc".
    bool foldsNames = false;

    const TableInfo *find(const QString &name) const;
    bool sameName(const QString &a, const QString &b) const;
};

// Reads the current database's tables (with their engines), columns and
// unique keys from information_schema in three queries. Throws QmError when
// no database is selected.
DatabaseSchema readSchema(ReadOnlyQuery &query);
