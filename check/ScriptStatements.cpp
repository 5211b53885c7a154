#include "check/ScriptStatements.h"

#include "base/Codepage.h"
#include "check/ClientCommands.h"
#include "check/StatementTokens.h"
#include "editor/SqlTokenizer.h"

#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

bool isQuoted(SqlState s)
{
    return s == SqlState::String || s == SqlState::DoubleQuoted || s == SqlState::BackQuoted;
}

bool isOpenComment(SqlState s)
{
    return s == SqlState::BlockComment || s == SqlState::StatementComment || s == SqlState::ConditionalComment;
}

// Where a delimiter may stand: outside strings, names in quotes and comments.
bool isCode(SqlTokenClass c)
{
    return c != SqlTokenClass::Space && c != SqlTokenClass::Comment && c != SqlTokenClass::String
        && c != SqlTokenClass::DelimitedIdentifier && c != SqlTokenClass::ConditionalComment;
}

// The text of conditional comments without their marks: "/*!40101 SET NAMES utf8 */" is "SET NAMES utf8".
QString conditionalContent(QString text)
{
    static const QRegularExpression marks(u"/\\*M?!\\d{0,6}|\\*/"_s);
    return text.replace(marks, u" "_s);
}

// The tokens of one line that the server reads, blanks and comments left out.
std::vector<StatementToken> codeTokens(const QStringList &oneLine)
{
    std::vector<StatementToken> out;
    for (const SqlToken &t : tokenizeSqlLine(oneLine.at(0), SqlState::Statement).tokens)
        if (t.cls != SqlTokenClass::Space && t.cls != SqlTokenClass::Comment)
            out.push_back({0, t.start, t.length, t.cls, QString()});
    return out;
}

class ScriptReader
{
public:
    explicit ScriptReader(const QStringList &lines) : m_lines(lines) {}

    ParsedScript read();

private:
    void readLine(int l);
    // A line that is one client command as a whole (the client takes it so
    // when no statement is begun); false when the line is not one.
    bool lineCommand(int l);
    void runCommand(const ClientCommand &command, int line, const QString &argument);
    // Adds a piece of a line to the statement being read.
    void take(int l, const SqlToken &t, bool continuesQuoted);
    // The server's statement ends (a delimiter, or ";" under another delimiter).
    void endStatement();
    // The client sends what it holds: a delimiter, "\g" or the end of the script.
    void endClientStatement();
    void forgetStatement();
    // Letters outside ASCII in the statement when the server reads the file's
    // bytes in another character set than Windows-1251: why, or empty.
    // *refused: as UTF-8 they are no text at all.
    QString misreadLetters(const StatementReader &reader, int *line, bool *refused) const;

    const QStringList &m_lines;
    ParsedScript m_parsed;
    std::vector<StatementToken> m_toks;
    std::vector<SqlToken> m_lineTokens;
    std::vector<bool> m_code;  // per character of the line: where a delimiter may stand
    QString m_delimiter = u";"_s;
    QString m_database;  // chosen by "use" in the script
    QString m_conditionalText;  // the statement's conditional comments as written
    // The character set the server reads the script's text in: the file's
    // first line chooses Windows-1251, SET NAMES or "charset" another.
    QString m_names = u"cp1251"_s;
    int m_namesLine = -1;
    SqlState m_state = SqlState::Normal;
    int m_statementLine = -1;
    int m_statementIndex = 0;
    int m_openedAt = 0;  // line where the string or comment still open began
    bool m_conditional = false;
    bool m_gap = true;            // blank or comment since the last token
    bool m_clientPending = false; // the client holds text it has not sent yet
    bool m_batchStart = true;     // the statement is the first of what the client sends at once
    bool m_quit = false;
};

void ScriptReader::forgetStatement()
{
    m_toks.clear();
    m_conditional = false;
    m_conditionalText.clear();
    m_statementLine = -1;
    m_gap = true;
}

void ScriptReader::endClientStatement()
{
    endStatement();
    m_clientPending = false;
    m_batchStart = true;
}

void ScriptReader::endStatement()
{
    if (m_toks.empty() && !m_conditional) {
        forgetStatement();
        return;
    }
    const int line = m_statementLine < 0 ? 0 : m_statementLine;
    const StatementReader reader(m_lines, m_toks);

    // What the client sends starting with one of its command words is that
    // command, with everything up to the delimiter for its argument. A
    // conditional comment standing alone leaves no token at all.
    const ClientCommand *command = nullptr;
    bool separate = false;
    if (!m_toks.empty()) {
        const StatementToken &first = m_toks.front();
        if (m_batchStart && !m_conditional && isWordClass(first.cls))
            command = clientCommandNamed(reader.text(0));
        separate = m_toks.size() == 1 || m_toks[1].line != first.line || m_toks[1].start > first.start + first.length;
    }
    if (command && separate) {
        if (command->onlyAtLineStart) {
            m_parsed.refused.push_back(
                {line, u"«%1» с разделителем клиент отправит серверу как инструкцию, и сервер её не примет"_s
                           .arg(reader.text(0))});
        } else {
            QString argument;
            for (size_t i = 1; i < m_toks.size(); ++i)
            {
                if (i > 1)
                    argument += u' ';
                argument += reader.text(i);
            }
            forgetStatement();
            runCommand(*command, line, argument);
            return;
        }
        forgetStatement();
        ++m_statementIndex;
        return;
    }

    // A statement that chooses the character set, alone or in a conditional comment as a dump has it.
    std::optional<QString> names;
    if (!m_conditional) {
        names = reader.namesCharset();
    } else if (m_toks.empty()) {
        const QStringList content{conditionalContent(m_conditionalText)};
        const std::vector<StatementToken> tokens = codeTokens(content);
        names = StatementReader(content, tokens).namesCharset();
    }
    int lettersLine = line;
    bool lettersRefused = false;
    const QString letters = names ? QString() : misreadLetters(reader, &lettersLine, &lettersRefused);
    if (names) {
        m_names = *names;
        m_namesLine = line;
    }

    ScriptInsert insert;
    insert.line = line;
    insert.statement = m_statementIndex++;
    QString why;
    bool isInsert = false;
    if (m_conditional) {
        m_parsed.notChecked.push_back({line, u"инструкция с условным комментарием /*! … */: его текст читает только сервер"_s});
    } else if (const StatementReader::Shape shape = reader.readInsert(insert, &why); shape == StatementReader::Shape::Insert) {
        if (insert.schema.isEmpty())
            insert.schema = m_database;
        m_parsed.inserts.push_back(std::move(insert));
        isInsert = true;
    } else if (shape == StatementReader::Shape::Broken) {
        m_parsed.refused.push_back({line, why});
    } else {
        m_parsed.notChecked.push_back({line, why});
        if (std::optional<ScriptTableChange> change = reader.changedTable()) {
            change->statement = insert.statement;
            if (change->schema.isEmpty())
                change->schema = m_database;
            m_parsed.tableChanges.push_back(std::move(*change));
        }
    }
    if (!letters.isEmpty())
        (isInsert && lettersRefused ? m_parsed.refused : m_parsed.misread).push_back({lettersLine, letters});
    forgetStatement();
}

QString ScriptReader::misreadLetters(const StatementReader &reader, int *line, bool *refused) const
{
    if (m_names == u"cp1251"_s)
        return {};
    QString text = m_conditionalText;
    std::optional<int> first;
    for (size_t i = 0; i < m_toks.size(); ++i) {
        const QStringView t = reader.text(i);
        if (!first && std::any_of(t.begin(), t.end(), [](QChar c) { return c.unicode() > 127; }))
            first = m_toks[i].line;
        text += t;
        text += u' ';
    }
    if (!first) {
        if (std::none_of(m_conditionalText.begin(), m_conditionalText.end(), [](QChar c) { return c.unicode() > 127; }))
            return {};
        first = m_statementLine < 0 ? 0 : m_statementLine;
    }
    *line = *first;
    QByteArray bytes;
    Cp1251::encodeInto(text, bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString asUtf8 = utf8.decode(bytes);
    const QString chosen = m_namesLine < 0 ? QString() : u" (строка %1)"_s.arg(m_namesLine + 1);
    *refused = m_names.startsWith(u"utf8"_s) && utf8.hasError();
    if (*refused)
        return u"буквы вне ASCII: файл скрипта записан в Windows-1251, а сервер читает его как %1%2 — такой текст он не примет"_s
            .arg(m_names, chosen);
    return u"буквы вне ASCII: файл скрипта записан в Windows-1251, а сервер читает его как %1%2 — в базу попадут другие буквы"_s
        .arg(m_names, chosen);
}

void ScriptReader::runCommand(const ClientCommand &command, int line, const QString &argument)
{
    using Effect = ClientCommand::Effect;
    const QString trimmed = argument.trimmed();
    QString warning = clientCommandWarning(command, trimmed);
    switch (command.effect) {
    case Effect::Ends:
        endClientStatement();
        break;
    case Effect::Clears:
        forgetStatement();
        m_clientPending = false;
        m_batchStart = true;
        break;
    case Effect::Quits:
        m_quit = true;
        break;
    case Effect::Delimiter: {
        const QString delimiter = delimiterArgument(trimmed);
        if (delimiter.isEmpty() || delimiter.contains(u'\\'))
            warning = clientCommandWarning(command, {}) + u": клиент откажет, разделитель останется «%1»"_s.arg(m_delimiter);
        else
            m_delimiter = delimiter;
        break;
    }
    case Effect::Use:
        m_database = useArgument(trimmed);
        break;
    case Effect::Charset:
        m_names = useArgument(trimmed).toLower();
        m_namesLine = line;
        break;
    case Effect::Source:
        // Whether the client can open the file is the check's to tell.
        m_parsed.sourcedFiles.push_back({line, useArgument(trimmed)});
        return;
    case Effect::System:
    case Effect::None:
        break;
    }
    m_parsed.clientCommands.push_back({line, warning});
}

bool ScriptReader::lineCommand(int l)
{
    const QString &line = m_lines.at(l);
    qsizetype i = 0;
    while (i < line.size() && (line.at(i) == u' ' || line.at(i) == u'\t'))
        ++i;
    qsizetype end = i;
    while (end < line.size() && line.at(end) != u' ' && line.at(end) != u'\t')
        ++end;
    const ClientCommand *command = clientCommandNamed(QStringView(line).mid(i, end - i));
    if (!command)
        return false;
    // A line holding the delimiter (or "\g") is read as text, and the
    // command, if any, found when the delimiter ends it.
    if (line.contains(u"\\g"_s)
        || (line.contains(m_delimiter) && command->effect != ClientCommand::Effect::Delimiter))
        return false;
    const QString argument = line.mid(end).trimmed();
    if (!command->takesArgument && !argument.isEmpty())
        return false;
    runCommand(*command, l, argument);
    return true;
}

void ScriptReader::take(int l, const SqlToken &t, bool continuesQuoted)
{
    const QString &text = m_lines.at(l);
    if (t.cls == SqlTokenClass::Space || t.cls == SqlTokenClass::Comment) {
        m_gap = true;
        return;
    }
    m_clientPending = true;
    if (m_statementLine < 0)
        m_statementLine = l;
    if (t.cls == SqlTokenClass::ConditionalComment) {
        if (m_conditional)
            m_conditionalText += u'\n';
        m_conditionalText += QStringView(text).mid(t.start, t.length);
        m_conditional = true;
        m_gap = true;
        return;
    }
    if (continuesQuoted && !m_toks.empty()) {
        // The quoted text goes on from the line before.
        StatementToken &prev = m_toks.back();
        if (prev.joined.isNull())
            prev.joined = QStringView(m_lines.at(prev.line)).mid(prev.start, prev.length).toString();
        prev.joined += u'\n';
        prev.joined += QStringView(text).mid(t.start, t.length);
        m_gap = false;
        return;
    }
    if (!m_gap && isWordClass(t.cls) && !m_toks.empty() && isWordClass(m_toks.back().cls)
        && m_toks.back().line == l && m_toks.back().start + m_toks.back().length == t.start) {
        StatementToken &prev = m_toks.back();
        prev.length += t.length;
        prev.cls = SqlTokenClass::Identifier;
        return;
    }
    m_toks.push_back({l, t.start, t.length, t.cls, QString()});
    m_gap = false;
}

void ScriptReader::readLine(int l)
{
    const QString &line = m_lines.at(l);
    const bool atRest = m_state == SqlState::Normal || m_state == SqlState::Statement;
    if (!m_clientPending && atRest && lineCommand(l))
        return;
    // Whether a statement has begun is the client's knowledge: it decides
    // what "--" at the line start and an unclosed "/*" mean.
    SqlState in = m_state;
    if (atRest)
        in = m_clientPending ? SqlState::Statement : SqlState::Normal;
    else if (in == SqlState::BlockComment || in == SqlState::StatementComment)
        in = m_clientPending ? SqlState::StatementComment : SqlState::BlockComment;
    const bool quotedIn = isQuoted(in);
    qsizetype pos = 0;
    m_gap = true;
    for (;;) {
        const SqlState out = tokenizeSqlLine(QStringView(line).mid(pos), in, m_lineTokens);
        m_code.assign(size_t(line.size()), false);
        for (SqlToken &t : m_lineTokens) {
            t.start += int(pos);
            if (isCode(t.cls))
                std::fill(m_code.begin() + t.start, m_code.begin() + t.start + t.length, true);
        }
        const auto delimiterAt = [&](qsizetype p) {
            if (!QStringView(line).mid(p).startsWith(m_delimiter))
                return false;
            for (qsizetype k = p; k < p + m_delimiter.size(); ++k)
                if (!m_code[size_t(k)])
                    return false;
            return true;
        };
        qsizetype resume = -1;  // where to read on after a delimiter or client command
        for (size_t k = 0; k < m_lineTokens.size() && resume < 0; ++k) {
            const SqlToken &t = m_lineTokens[k];
            if (!isCode(t.cls)) {
                take(l, t, quotedIn && pos == 0 && k == 0);
                continue;
            }
            qsizetype found = -1;
            const QChar lead = m_delimiter.front();
            for (qsizetype p = t.start; p < t.start + t.length && found < 0; ++p)
                if (line.at(p) == lead && delimiterAt(p))
                    found = p;
            if (found >= 0) {
                if (found > t.start)
                    take(l, {t.start, int(found - t.start), t.cls}, false);
                endClientStatement();
                resume = found + m_delimiter.size();
                in = SqlState::Normal;
                break;
            }
            if (t.cls == SqlTokenClass::Identifier && line.at(t.start) == u'\\' && t.start + 1 < line.size()
                && line.at(t.start + 1) != u'N') {
                const ClientCommand *command = clientCommandLettered(line.at(t.start + 1));
                if (!command) {
                    m_parsed.clientCommands.push_back(
                        {l, u"«\\%1» — такой команды у клиента нет: он сообщит об ошибке и оставит её в тексте инструкции"_s
                                .arg(line.at(t.start + 1))});
                    take(l, t, false);
                    continue;
                }
                resume = t.start + 2;
                QString argument;
                if (command->takesArgument) {
                    // The argument runs to the delimiter, which ends nothing then.
                    const qsizetype d = line.indexOf(m_delimiter, resume);
                    argument = line.mid(resume, d < 0 ? -1 : d - resume);
                    resume = d < 0 ? line.size() : d + m_delimiter.size();
                }
                runCommand(*command, l, argument);
                in = m_clientPending ? SqlState::Statement : SqlState::Normal;
                break;
            }
            if (m_delimiter != u";"_s && t.cls == SqlTokenClass::Symbol && line.at(t.start) == u';') {
                // The client sends it on; the server runs it as separate statements.
                endStatement();
                m_batchStart = false;
                continue;
            }
            take(l, t, false);
        }
        if (m_quit)
            return;
        if (resume < 0) {
            if (out != m_state && (isQuoted(out) || isOpenComment(out)))
                m_openedAt = l;
            m_state = out;
            return;
        }
        pos = resume;
    }
}

ParsedScript ScriptReader::read()
{
    QByteArray bytes;
    for (int l = 0; l < m_lines.size() && !m_quit; ++l) {
        bytes.clear();
        if (!Cp1251::encodeInto(m_lines.at(l), bytes))
            m_parsed.misread.push_back(
                {l, u"в строке есть знаки, которых нет в Windows-1251: в файле скрипта они станут «?»"_s});
        readLine(l);
    }
    if (!m_quit && isQuoted(m_state)) {
        m_parsed.openString.push_back({m_openedAt, u"строка в кавычках не закрыта до конца скрипта"_s});
        forgetStatement();
    } else if (!m_quit && isOpenComment(m_state)) {
        m_parsed.openComment.push_back({m_openedAt, u"комментарий не закрыт до конца скрипта: всё после него не выполнится"_s});
    }
    endClientStatement();
    return std::move(m_parsed);
}

} // namespace

ParsedScript parseScript(const QStringList &lines)
{
    return ScriptReader(lines).read();
}
