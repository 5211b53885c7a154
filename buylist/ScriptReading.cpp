#include "buylist/ScriptReading.h"

#include "base/TextFile.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// The statement shapes the generators write, values bare between commas.
const QRegularExpression &buylistStatement()
{
    static const QRegularExpression shape(
        uR"(^INSERT INTO `merchant_buylists` VALUES \(([^,]*),([^,]*),([^,]*),([^,]*),-1,-1,0,0\);$)"_s);
    return shape;
}

const QRegularExpression &shopLinkStatement()
{
    static const QRegularExpression shape(uR"(^INSERT INTO `merchant_shopids` VALUES\(([^,]*),([^,]*)\);$)"_s);
    return shape;
}

// A block at lines i, i+1, i+2, or an entry of kind Other when there is none.
ScriptEntry blockAt(const QStringList &lines, qsizetype i)
{
    ScriptEntry entry;
    if (i + 2 >= lines.size() || !lines.at(i + 2).isEmpty())
        return entry;
    const QString &comment = lines.at(i);
    const QString &statement = lines.at(i + 1);
    if (comment.startsWith(u"#weapon  "_s)) {
        const QRegularExpressionMatch m = buylistStatement().match(statement);
        if (m.hasMatch()) {
            entry.kind = EntryKind::Buylist;
            entry.values = {comment.mid(9), m.captured(1), m.captured(2), m.captured(3), m.captured(4)};
        }
    } else if (comment.startsWith(u"#shop id  "_s)) {
        const QRegularExpressionMatch m = shopLinkStatement().match(statement);
        if (m.hasMatch() && comment.mid(10) == m.captured(1)) {
            entry.kind = EntryKind::ShopLink;
            entry.values = {m.captured(1), m.captured(2)};
        }
    } else if (comment.startsWith(u"#npc  "_s)) {
        if (statement.startsWith(u"INSERT INTO `npc` VALUES ("_s) && statement.endsWith(u");"_s))
            entry.kind = EntryKind::Npc;
    }
    if (entry.kind != EntryKind::Other)
        entry.block = {comment, statement};
    return entry;
}

} // namespace

ReadScript readScript(const QStringList &fileLines)
{
    ReadScript script;
    script.editorLines = fileLines;
    if (!script.editorLines.isEmpty() && script.editorLines.constFirst() == QLatin1StringView(TextFile::scriptCodePageLine))
        script.editorLines.removeFirst();
    const QStringList &lines = script.editorLines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        ScriptEntry entry = blockAt(lines, i);
        if (entry.kind == EntryKind::Other)
            continue;
        script.entries.append(std::move(entry));
        i += 2;
    }
    return script;
}
