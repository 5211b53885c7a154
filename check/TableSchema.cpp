#include "check/TableSchema.h"

int TableInfo::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const TableInfo *DatabaseSchema::find(const QString &name) const
{
    if (const auto it = tables.find(name); it != tables.end())
        return &it->second;
    if (foldsNames)
        for (const auto &[tableName, table] : tables)
            if (sameName(tableName, name))
                return &table;
    return nullptr;
}

bool DatabaseSchema::sameName(const QString &a, const QString &b) const
{
    return a.compare(b, foldsNames ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}
