// Feeds arbitrary text through everything the check does before it asks the
// server: the script reader, the client's commands, the planning of every
// INSERT against tables of the real shapes (varchar ids, decimal prices,
// enums, a table without transactions) and the fitting of every value into
// every kind of column. Checks that each plan covers its table's columns,
// every finding names a line of the script, and what a column is said to keep
// is what that column can keep.

#include "check/ClientCommands.h"
#include "check/InsertPlan.h"
#include "check/ScriptStatements.h"
#include "check/TableSchema.h"
#include "check/ValueFit.h"
#include "tests/fuzz/FuzzText.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

ColumnInfo column(const QString &name, ColumnInfo::Type type, const QString &columnType)
{
    ColumnInfo c;
    c.name = name;
    c.type = type;
    c.columnType = columnType;
    c.charset = u"utf8mb4"_s;
    c.collation = u"utf8mb4_general_ci"_s;
    return c;
}

ColumnInfo integer(const QString &name, int bits, bool isUnsigned = false)
{
    ColumnInfo c = column(name, ColumnInfo::Type::Integer, u"int"_s);
    c.integerBits = bits;
    c.isUnsigned = isUnsigned;
    return c;
}

ColumnInfo text(const QString &name, int chars)
{
    ColumnInfo c = column(name, ColumnInfo::Type::Text, u"varchar"_s);
    c.maxChars = chars;
    return c;
}

ColumnInfo decimal(const QString &name, int precision, int scale)
{
    ColumnInfo c = column(name, ColumnInfo::Type::Decimal, u"decimal"_s);
    c.precision = precision;
    c.scale = scale;
    return c;
}

ColumnInfo required(ColumnInfo c)
{
    c.nullable = false;
    return c;
}

ColumnInfo withDefault(ColumnInfo c, ValueKind kind, const QString &value)
{
    c.hasDefault = true;
    c.defaultValue = {kind, value, 0};
    return c;
}

DatabaseSchema realShapes()
{
    DatabaseSchema s;
    s.database = u"vosteldb"_s;
    ColumnInfo sex = column(u"sex"_s, ColumnInfo::Type::Enum, u"enum"_s);
    sex.members = {u"male"_s, u"female"_s, u"etc "_s};
    ColumnInfo generated = integer(u"twice"_s, 32);
    generated.generated = true;
    ColumnInfo counter = required(integer(u"id"_s, 32, true));
    counter.autoIncrement = true;
    const std::vector<TableInfo> tables = {
        {u"npc"_s,
         {required(integer(u"id"_s, 32)), required(integer(u"idTemplate"_s, 32)), text(u"name"_s, 40),
          withDefault(integer(u"level"_s, 8), ValueKind::Number, u"1"_s), sex,
          column(u"radius"_s, ColumnInfo::Type::Float, u"double"_s), generated},
         {{0}},
         true},
        // MyISAM: a failing row keeps the rows before it.
        {u"merchant_shopids"_s, {required(integer(u"shop_id"_s, 32)), required(text(u"npc_id"_s, 9))}, {{0}}, false},
        {u"merchant_buylists"_s,
         {required(integer(u"item_id"_s, 32)), withDefault(decimal(u"price"_s, 11, 2), ValueKind::Number, u"0.00"_s),
          withDefault(integer(u"shop_id"_s, 32), ValueKind::Number, u"0"_s),
          withDefault(integer(u"order"_s, 64, true), ValueKind::Text, u"0"_s), integer(u"count"_s, 32),
          integer(u"currentCount"_s, 16), integer(u"time"_s, 24, true), column(u"when"_s, ColumnInfo::Type::Other, u"datetime"_s)},
         {{2, 3}},
         true},
        {u"shop_titles"_s, {counter, withDefault(text(u"title"_s, 20), ValueKind::Expression, u"now()"_s)}, {{0}, {1}}, true},
    };
    for (const TableInfo &t : tables)
        s.tables[t.name] = t;
    return s;
}

void requireFit(const ValueFit &fit, const ColumnInfo &c)
{
    if (fit.verdict == ValueFit::Verdict::Refused)
        FUZZ_REQUIRE(!fit.problem.isEmpty());
    if (fit.kept != ValueFit::Kept::Value)
        return;
    if (c.type == ColumnInfo::Type::Integer) {
        bool ok = false;
        if (c.isUnsigned)
            fit.stored.toULongLong(&ok);
        else
            fit.stored.toLongLong(&ok);
        FUZZ_REQUIRE(ok);
    } else if (c.type == ColumnInfo::Type::Text && c.maxChars >= 0) {
        qsizetype chars = 0;
        for (const QChar ch : fit.stored)
            chars += ch.isLowSurrogate() ? 0 : 1;
        FUZZ_REQUIRE(chars <= c.maxChars);
    } else if (c.type == ColumnInfo::Type::Enum) {
        FUZZ_REQUIRE(c.members.contains(fit.stored) || fit.verdict == ValueFit::Verdict::Refused);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const DatabaseSchema schema = realShapes();
    const QString script = FuzzText::decode(data[0], data + 1, size - 1);
    const QStringList lines = script.split(u'\n');
    const int n = int(lines.size());

    for (const QString &line : lines) {
        const QStringView word = QStringView(line).left(line.indexOf(u' '));
        if (const ClientCommand *command = clientCommandNamed(word))
            FUZZ_REQUIRE(!clientCommandWarning(*command, line).isEmpty());
        if (!line.isEmpty() && clientCommandLettered(line.back()))
            FUZZ_REQUIRE(!clientCommandWarning(*clientCommandLettered(line.back()), line).isEmpty());
        delimiterArgument(line);
        useArgument(line);
    }

    const ParsedScript parsed = parseScript(lines);
    std::vector<ScriptProblem> problems;
    const std::vector<InsertPlan> plans = planInserts(parsed, schema, problems);
    for (const ScriptProblem &p : problems) {
        FUZZ_REQUIRE(p.line >= 0 && p.line < n);
        FUZZ_REQUIRE(!p.text.isEmpty());
    }
    for (const InsertPlan &plan : plans) {
        FUZZ_REQUIRE(plan.insert && plan.table);
        FUZZ_REQUIRE(plan.rows.size() == plan.insert->rows.size());
        const size_t width = plan.table->columns.size();
        for (const PlannedRow &row : plan.rows) {
            FUZZ_REQUIRE(row.kept.empty() || row.kept.size() == width);
            FUZZ_REQUIRE(row.written.size() == width && row.lineOf.size() == width);
            FUZZ_REQUIRE(!row.kept.empty() || plan.failsWhole);
            for (size_t c = 0; c < row.kept.size(); ++c)
                requireFit(row.kept[c], plan.table->columns[c]);
        }
        changedAbove(parsed, schema, plan.table->name, plan.insert->statement, false);
    }

    // Every value into every kind of column, whatever table the script names.
    for (const ScriptInsert &insert : parsed.inserts)
        for (const ScriptRow &row : insert.rows)
            for (const ScriptValue &v : row.values)
                for (const auto &[name, table] : schema.tables)
                    for (const ColumnInfo &c : table.columns)
                        requireFit(fitValue(v, c), c);
    return 0;
}
