// Feeds arbitrary text, cut into lines, through the MySQL tokenizer and checks
// what every caller relies on: the tokens cover each line exactly, in order,
// none empty, every class and carried state valid, words classed by the lists.

#include "editor/SqlTokenizer.h"
#include "editor/SqlWords.h"
#include "tests/fuzz/FuzzText.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

bool isCommentState(SqlState s)
{
    return s == SqlState::BlockComment || s == SqlState::StatementComment || s == SqlState::ConditionalComment;
}

bool isQuotedState(SqlState s)
{
    return s == SqlState::String || s == SqlState::DoubleQuoted || s == SqlState::BackQuoted;
}

// The first byte picks how the rest becomes text and the state the first line starts in.
QString decode(const std::uint8_t *data, std::size_t size, SqlState &first)
{
    first = sqlStateFromInt((data[0] >> 2) & 7);
    return FuzzText::decode(data[0], data + 1, size - 1);
}

void checkLine(QStringView line, SqlState in, SqlState out, const std::vector<SqlToken> &tokens)
{
    FUZZ_REQUIRE(int(out) >= 0 && int(out) < SqlStateCount);
    int next = 0;
    for (const SqlToken &t : tokens) {
        FUZZ_REQUIRE(t.start == next);
        FUZZ_REQUIRE(t.length > 0);
        FUZZ_REQUIRE(int(t.cls) >= 0 && int(t.cls) < SqlTokenClassCount);
        const QStringView text = line.mid(t.start, t.length);
        if (t.cls == SqlTokenClass::DataType || t.cls == SqlTokenClass::ReservedWord
            || t.cls == SqlTokenClass::Function)
            FUZZ_REQUIRE(sqlWordClass(text) == t.cls);
        next += t.length;
    }
    FUZZ_REQUIRE(next == line.size());

    // An unclosed comment or string swallows the whole line and stays open.
    const bool closes = line.contains(u"*/");
    if (isCommentState(in) && !closes) {
        FUZZ_REQUIRE(out == in);
        FUZZ_REQUIRE(tokens.size() == (line.isEmpty() ? 0u : 1u));
    }
    // Whatever stays open at the end is the last token's doing.
    if (isQuotedState(out) && !tokens.empty())
        FUZZ_REQUIRE(tokens.back().cls == (out == SqlState::String ? SqlTokenClass::String
                                                              : SqlTokenClass::DelimitedIdentifier));
    if (isCommentState(out) && !tokens.empty())
        FUZZ_REQUIRE(tokens.back().cls == (out == SqlState::ConditionalComment ? SqlTokenClass::ConditionalComment
                                                                          : SqlTokenClass::Comment));
    if (line.isEmpty())
        FUZZ_REQUIRE(out == in);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    SqlState state = SqlState::Normal;
    const QString text = decode(data, size, state);

    std::vector<SqlToken> tokens;
    std::vector<SqlToken> again;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(start, end - start);
        const SqlState out = tokenizeSqlLine(line, state, tokens);
        checkLine(line, state, out, tokens);
        FUZZ_REQUIRE(tokenizeSqlLine(line, state, again) == out && again == tokens);
        state = out;
        start = end + 1;
    }
    // The whole text as one line too: line ends inside count as blanks.
    const SqlState whole = tokenizeSqlLine(text, SqlState::Normal, tokens);
    checkLine(text, SqlState::Normal, whole, tokens);
    return 0;
}
