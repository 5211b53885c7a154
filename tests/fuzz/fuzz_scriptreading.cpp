// Feeds arbitrary bytes through what reads a script file and a pasted list
// back, and checks what the window relies on: a refusal keeps nothing, every
// entry found stands in the editor's lines as its three lines, the first line
// is dropped only when it sets the character set, and pasted items carry ids.

#include "base/ScriptEntries.h"
#include "base/TextFile.h"
#include "base/TextFileRead.h"
#include "buylist/PastedItems.h"
#include "buylist/ScriptReading.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TextFileRead::Text text = TextFileRead::decode(bytes, QStringLiteral("fuzz.sql"));
    if (!text.refusal.isEmpty()) {
        require(bytes.contains('\0') && text.lines.isEmpty());
        return 0;
    }
    require(!text.lines.isEmpty());
    for (const int line : text.unreadableLines)
        require(line >= 1 && line <= text.lines.size());

    const ReadScript script = readScript(text.lines);
    const bool dropped = text.lines.constFirst() == QLatin1StringView(TextFile::scriptCodePageLine);
    require(script.editorLines.size() == text.lines.size() - (dropped ? 1 : 0));
    require(script.editorLines == text.lines.mid(dropped ? 1 : 0));
    // The entries stand in the editor's lines in their order, none overlapping.
    qsizetype from = 0;
    for (const ScriptEntry &entry : script.entries) {
        require(entry.kind != EntryKind::Other);
        require(entry.kind != EntryKind::Buylist || entry.values.size() == 5);
        const QStringList lines = entry.lines();
        qsizetype at = from;
        while (at + 3 <= script.editorLines.size() && script.editorLines.mid(at, 3) != lines)
            ++at;
        require(at + 3 <= script.editorLines.size());
        from = at + 3;
    }

    for (const PastedItem &item : readPastedItems(text.lines.join(u'\n'))) {
        require(!item.itemId.isEmpty() && item.itemId == item.itemId.trimmed());
        require(item.hasPrice == !item.price.isEmpty());
    }
    return 0;
}
