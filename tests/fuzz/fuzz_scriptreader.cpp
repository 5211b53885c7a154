// Feeds arbitrary text, cut into editor lines, through the script reader and
// checks what the check relies on: every place it names is a line of the
// script, statements keep their order, rows and values sit inside their
// statement, and the same text reads the same way twice.

#include "check/ScriptStatements.h"
#include "tests/fuzz/FuzzText.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

void requireLines(const std::vector<ScriptRemark> &remarks, int lines)
{
    for (const ScriptRemark &r : remarks) {
        FUZZ_REQUIRE(r.line >= 0 && r.line < lines);
        FUZZ_REQUIRE(!r.text.isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QStringList lines = FuzzText::decode(data[0], data + 1, size - 1).split(u'\n');
    const int n = int(lines.size());
    const ParsedScript parsed = parseScript(lines);

    int statement = -1;
    for (const ScriptInsert &insert : parsed.inserts) {
        FUZZ_REQUIRE(insert.statement > statement);
        statement = insert.statement;
        FUZZ_REQUIRE(insert.line >= 0 && insert.line < n);
        FUZZ_REQUIRE(!insert.rows.empty());
        FUZZ_REQUIRE(insert.hasColumnList || insert.columns.isEmpty());
        for (const ScriptRow &row : insert.rows) {
            FUZZ_REQUIRE(row.line >= insert.line && row.line < n);
            FUZZ_REQUIRE(!row.values.empty());
            for (const ScriptValue &v : row.values)
                FUZZ_REQUIRE(v.line >= insert.line && v.line < n);
        }
    }
    for (const ScriptTableChange &c : parsed.tableChanges)
        FUZZ_REQUIRE(c.line >= 0 && c.line < n);  // a name in back quotes may be empty
    for (const auto *remarks : {&parsed.notChecked, &parsed.openString, &parsed.openComment, &parsed.clientCommands,
                                &parsed.refused, &parsed.misread})
        requireLines(*remarks, n);
    for (const ScriptRemark &file : parsed.sourcedFiles)
        FUZZ_REQUIRE(file.line >= 0 && file.line < n);
    FUZZ_REQUIRE(parsed.openString.size() + parsed.openComment.size() <= 1);

    const ParsedScript again = parseScript(lines);
    FUZZ_REQUIRE(again.inserts.size() == parsed.inserts.size() && again.notChecked.size() == parsed.notChecked.size()
            && again.refused.size() == parsed.refused.size() && again.clientCommands.size() == parsed.clientCommands.size());
    return 0;
}
