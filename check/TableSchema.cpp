#include "check/TableSchema.h"

#include "base/Error.h"
#include "check/ReadOnlyQuery.h"

using namespace Qt::StringLiterals;

namespace {

void describeType(ColumnInfo &c, const QString &dataType, const QString &charLength, const QString &precision,
                  const QString &scale)
{
    static const std::map<QString, int> integerBits = {
        {u"tinyint"_s, 8}, {u"smallint"_s, 16}, {u"mediumint"_s, 24}, {u"int"_s, 32}, {u"bigint"_s, 64}};
    const QString type = dataType.toLower();
    if (const auto it = integerBits.find(type); it != integerBits.end()) {
        c.type = ColumnInfo::Type::Integer;
        c.integerBits = it->second;
    } else if (type == u"decimal"_s) {
        c.type = ColumnInfo::Type::Decimal;
        c.precision = precision.toInt();
        c.scale = scale.toInt();
    } else if (type == u"float"_s || type == u"double"_s) {
        c.type = ColumnInfo::Type::Float;
    } else if (type == u"char"_s || type == u"varchar"_s) {
        c.type = ColumnInfo::Type::Text;
        c.maxChars = charLength.toLongLong();
    }
    c.isUnsigned = c.columnType.contains(u"unsigned"_s, Qt::CaseInsensitive);
}

} // namespace

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

DatabaseSchema readSchema(ReadOnlyQuery &query)
{
    DatabaseSchema schema;
    const QList<QStringList> current = query.select("SELECT DATABASE(), @@lower_case_table_names");
    if (current.isEmpty() || current.first().value(0).isNull())
        throw QmError(u"База данных не выбрана: скрипт не проверен. Откройте базу на странице \"Соединение\""_s);
    schema.database = current.first().at(0);
    schema.foldsNames = current.first().value(1) != u"0"_s;

    const QList<QStringList> columns = query.select(
        "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT IS NOT NULL, "
        "CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, EXTRA, COLLATION_NAME "
        "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME, ORDINAL_POSITION");
    for (const QStringList &r : columns) {
        TableInfo &table = schema.tables[r.at(0)];
        table.name = r.at(0);
        ColumnInfo c;
        c.name = r.at(1);
        c.columnType = r.at(3);
        describeType(c, r.at(2), r.at(6), r.at(7), r.at(8));
        c.nullable = r.at(4) == u"YES"_s;
        c.hasDefault = r.at(5) == u"1"_s;
        c.autoIncrement = r.at(9).contains(u"auto_increment"_s, Qt::CaseInsensitive);
        c.generated = r.at(9).contains(u"GENERATED"_s, Qt::CaseInsensitive);
        const QString collation = r.at(10);
        c.caseInsensitive = !(collation.endsWith(u"_bin"_s) || collation.endsWith(u"_cs"_s));
        table.columns.push_back(std::move(c));
    }

    // Unique keys, the primary key first; a column the account cannot see leaves the key out.
    const QList<QStringList> keys = query.select(
        "SELECT TABLE_NAME, INDEX_NAME, COLUMN_NAME FROM information_schema.STATISTICS "
        "WHERE TABLE_SCHEMA = DATABASE() AND NON_UNIQUE = 0 "
        "ORDER BY TABLE_NAME, INDEX_NAME <> 'PRIMARY', INDEX_NAME, SEQ_IN_INDEX");
    QString lastTable, lastIndex;
    bool keyComplete = true;
    std::vector<int> key;
    const auto flush = [&] {
        if (!key.empty() && keyComplete)
            schema.tables[lastTable].uniqueKeys.push_back(key);
        key.clear();
        keyComplete = true;
    };
    for (const QStringList &r : keys) {
        if (r.at(0) != lastTable || r.at(1) != lastIndex)
            flush();
        lastTable = r.at(0);
        lastIndex = r.at(1);
        const auto it = schema.tables.find(lastTable);
        const int column = it == schema.tables.end() ? -1 : it->second.columnIndex(r.at(2));
        if (column < 0)
            keyComplete = false;
        else
            key.push_back(column);
    }
    flush();
    return schema;
}
