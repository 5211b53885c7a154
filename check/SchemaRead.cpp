// Reads the tables of the connected database from its metadata.

#include "check/TableSchema.h"

#include "base/Error.h"
#include "check/ReadOnlyQuery.h"
#include "check/StatementTokens.h"

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
    } else if (type == u"enum"_s) {
        c.type = ColumnInfo::Type::Enum;
        // enum('a','it''s'): the members between the outer parentheses.
        const QString list = c.columnType.mid(c.columnType.indexOf(u'(') + 1);
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (list.at(i) != u'\'')
                continue;
            QString member;
            for (++i; i < list.size(); ++i) {
                if (list.at(i) == u'\'' && i + 1 < list.size() && list.at(i + 1) == u'\'')
                    member += list.at(++i);
                else if (list.at(i) == u'\'')
                    break;
                else
                    member += list.at(i);
            }
            c.members.append(member);
        }
    }
    c.isUnsigned = c.columnType.contains(u"unsigned"_s, Qt::CaseInsensitive);
}

bool isNumberText(const QString &text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

// The column's default from information_schema: MariaDB 10.2.7 and later
// write it as an expression ('text', 1.50, NULL, current_timestamp()), older
// servers as the bare value, with generated defaults marked in EXTRA.
ScriptValue defaultOf(const QString &columnDefault, bool nullable, const QString &extra, bool expressions)
{
    ScriptValue v;
    if (columnDefault.isNull()) {
        // No default, or (before MariaDB 10.2.7) DEFAULT NULL.
        v.kind = nullable && !expressions ? ValueKind::Null : ValueKind::Empty;
        return v;
    }
    if (!expressions) {
        const bool generated = extra.contains(u"DEFAULT_GENERATED"_s, Qt::CaseInsensitive)
            || columnDefault.startsWith(u"CURRENT_TIMESTAMP"_s, Qt::CaseInsensitive);
        v.kind = generated ? ValueKind::Expression : ValueKind::Text;
        v.text = columnDefault;
        return v;
    }
    if (columnDefault == u"NULL"_s) {
        v.kind = ValueKind::Null;
    } else if (columnDefault.size() >= 2 && columnDefault.startsWith(u'\'') && columnDefault.endsWith(u'\'')) {
        v.kind = ValueKind::Text;
        v.text = sqlTextValue(columnDefault);
    } else if (isNumberText(columnDefault)) {
        v.kind = ValueKind::Number;
        v.text = columnDefault;
    } else {
        v.kind = ValueKind::Expression;
        v.text = columnDefault;
    }
    return v;
}

} // namespace

DatabaseSchema readSchema(ReadOnlyQuery &query)
{
    DatabaseSchema schema;
    const QList<QStringList> current = query.select("SELECT DATABASE(), @@lower_case_table_names");
    if (current.isEmpty() || current.first().value(0).isNull())
        throw QmError(u"База данных не выбрана: скрипт не проверен. Откройте базу на странице \"Соединение\""_s);
    schema.database = current.first().at(0);
    schema.foldsNames = current.first().value(1) != u"0"_s;

    const bool expressions = query.dialect().defaultsAsExpressions();
    const QList<QStringList> columns = query.select(
        "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, "
        "CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, EXTRA, COLLATION_NAME, CHARACTER_SET_NAME "
        "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME, ORDINAL_POSITION");
    for (const QStringList &r : columns) {
        TableInfo &table = schema.tables[r.at(0)];
        table.name = r.at(0);
        ColumnInfo c;
        c.name = r.at(1);
        c.columnType = r.at(3);
        describeType(c, r.at(2), r.at(6), r.at(7), r.at(8));
        c.nullable = r.at(4) == u"YES"_s;
        c.defaultValue = defaultOf(r.at(5), c.nullable, r.at(9), expressions);
        c.hasDefault = c.defaultValue.kind != ValueKind::Empty;
        c.autoIncrement = r.at(9).contains(u"auto_increment"_s, Qt::CaseInsensitive);
        c.generated = r.at(9).contains(u"GENERATED"_s, Qt::CaseInsensitive)
            && !r.at(9).contains(u"DEFAULT_GENERATED"_s, Qt::CaseInsensitive);
        c.collation = r.at(10);
        c.charset = r.at(11);
        c.caseInsensitive = !(c.collation.endsWith(u"_bin"_s) || c.collation.endsWith(u"_cs"_s));
        table.columns.push_back(std::move(c));
    }

    // Whether each table's engine takes back a failed statement's rows.
    const QList<QStringList> engines = query.select(
        "SELECT t.TABLE_NAME, e.TRANSACTIONS FROM information_schema.TABLES t "
        "LEFT JOIN information_schema.ENGINES e ON e.ENGINE = t.ENGINE WHERE t.TABLE_SCHEMA = DATABASE()");
    for (const QStringList &r : engines)
        if (const auto it = schema.tables.find(r.at(0)); it != schema.tables.end())
            it->second.transactional = r.at(1) == u"YES"_s;

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
