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

using FuzzText::require;

void requireLines(const std::vector<ScriptRemark> &remarks, int lines)
{
    for (const ScriptRemark &r : remarks) {
        require(r.line >= 0 && r.line < lines);
        require(!r.text.isEmpty());
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
        require(insert.statement > statement);
        statement = insert.statement;
        require(insert.line >= 0 && insert.line < n);
        require(!insert.table.isEmpty());
        require(!insert.rows.empty());
        require(insert.hasColumnList || insert.columns.isEmpty());
        for (const ScriptRow &row : insert.rows) {
            require(row.line >= insert.line && row.line < n);
            require(!row.values.empty());
            for (const ScriptValue &v : row.values)
                require(v.line >= insert.line && v.line < n);
        }
    }
    for (const ScriptTableChange &c : parsed.tableChanges) {
        require(c.line >= 0 && c.line < n);
        require(!c.table.isEmpty());
    }
    for (const auto *remarks : {&parsed.notChecked, &parsed.openString, &parsed.openComment, &parsed.clientCommands,
                                &parsed.refused, &parsed.misread})
        requireLines(*remarks, n);
    for (const ScriptRemark &file : parsed.sourcedFiles)
        require(file.line >= 0 && file.line < n);
    require(parsed.openString.size() + parsed.openComment.size() <= 1);

    const ParsedScript again = parseScript(lines);
    require(again.inserts.size() == parsed.inserts.size() && again.notChecked.size() == parsed.notChecked.size()
            && again.refused.size() == parsed.refused.size() && again.clientCommands.size() == parsed.clientCommands.size());
    return 0;
}
