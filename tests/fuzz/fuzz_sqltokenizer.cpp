// Feeds arbitrary text, cut into lines, through the MySQL tokenizer and checks
// what every caller relies on: the tokens cover each line exactly, in order,
// none empty, every class and carried state valid, words classed by the lists.

#include "editor/SqlTokenizer.h"
#include "editor/SqlWords.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

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
    const std::uint8_t head = data[0];
    first = sqlStateFromInt((head >> 2) & 7);
    const char *rest = reinterpret_cast<const char *>(data + 1);
    const auto n = qsizetype(size - 1);
    switch (head & 3) {
    case 0: return QString::fromUtf8(rest, n);
    case 1: return QString::fromLatin1(rest, n);
    default: {
        // Raw UTF-16 code units: lone and paired surrogates included.
        QString s;
        for (qsizetype i = 0; i + 1 < n; i += 2)
            s.append(QChar(char16_t(std::uint8_t(rest[i]) | (std::uint8_t(rest[i + 1]) << 8))));
        return s;
    }
    }
}

void checkLine(QStringView line, SqlState in, SqlState out, const std::vector<SqlToken> &tokens)
{
    require(int(out) >= 0 && int(out) < SqlStateCount);
    int next = 0;
    for (const SqlToken &t : tokens) {
        require(t.start == next);
        require(t.length > 0);
        require(int(t.cls) >= 0 && int(t.cls) < SqlTokenClassCount);
        const QStringView text = line.mid(t.start, t.length);
        if (t.cls == SqlTokenClass::DataType || t.cls == SqlTokenClass::ReservedWord
            || t.cls == SqlTokenClass::Function)
            require(sqlWordClass(text) == t.cls);
        next += t.length;
    }
    require(next == line.size());

    // An unclosed comment or string swallows the whole line and stays open.
    const bool closes = line.contains(u"*/");
    if (isCommentState(in) && !closes) {
        require(out == in);
        require(tokens.size() == (line.isEmpty() ? 0u : 1u));
    }
    // Whatever stays open at the end is the last token's doing.
    if (isQuotedState(out) && !tokens.empty())
        require(tokens.back().cls == (out == SqlState::String ? SqlTokenClass::String
                                                              : SqlTokenClass::DelimitedIdentifier));
    if (isCommentState(out) && !tokens.empty())
        require(tokens.back().cls == (out == SqlState::ConditionalComment ? SqlTokenClass::ConditionalComment
                                                                          : SqlTokenClass::Comment));
    if (line.isEmpty())
        require(out == in);
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
        require(tokenizeSqlLine(line, state, again) == out && again == tokens);
        state = out;
        start = end + 1;
    }
    // The whole text as one line too: line ends inside count as blanks.
    const SqlState whole = tokenizeSqlLine(text, SqlState::Normal, tokens);
    checkLine(text, SqlState::Normal, whole, tokens);
    return 0;
}
