#include "check/ClientCommands.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

using Effect = ClientCommand::Effect;

// Which commands take an argument and which reach the server when ended by
// a delimiter was found by running each one through the client.
constexpr std::array<ClientCommand, 25> commands{{
    {"?", '?', true, false, Effect::None},
    {"charset", 'C', true, false, Effect::Charset},
    {"clear", 'c', false, false, Effect::Clears},
    {"connect", 'r', true, false, Effect::None},
    {"delimiter", 'd', true, false, Effect::Delimiter},
    {"edit", 'e', false, false, Effect::None},
    {"ego", 'G', false, true, Effect::Ends},
    {"exit", 'q', false, true, Effect::Quits},
    {"go", 'g', false, true, Effect::Ends},
    {"help", 'h', true, false, Effect::None},
    {"nopager", 'n', false, false, Effect::None},
    {"notee", 't', false, false, Effect::None},
    {"nowarning", 'w', false, false, Effect::None},
    {"pager", 'P', true, false, Effect::None},
    {"print", 'p', false, false, Effect::None},
    {"prompt", 'R', true, false, Effect::None},
    {"quit", 'q', false, true, Effect::Quits},
    {"rehash", '#', false, false, Effect::None},
    {"sandbox", '-', false, false, Effect::None},
    {"source", '.', true, false, Effect::Source},
    {"status", 's', false, false, Effect::None},
    {"system", '!', true, false, Effect::System},
    {"tee", 'T', true, false, Effect::None},
    {"use", 'u', true, false, Effect::Use},
    {"warnings", 'W', false, false, Effect::None},
}};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

const ClientCommand *clientCommandNamed(QStringView word)
{
    if (word.isEmpty() || word.size() > 9)
        return nullptr;
    const char16_t first = word.front().toLower().unicode();
    for (const ClientCommand &c : commands)
        if (char16_t(c.name[0]) == first && word.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const ClientCommand *clientCommandLettered(QChar letter)
{
    // "\q" is quit's letter as well as exit's; the first in the table answers.
    for (const ClientCommand &c : commands)
        if (QChar(QLatin1Char(c.letter)) == letter)
            return &c;
    return nullptr;
}

QString clientCommandWarning(const ClientCommand &command, const QString &argument)
{
    const QString head = u"команда клиента %1 (\\%2): "_s.arg(QLatin1StringView(command.name), QChar(QLatin1Char(command.letter)));
    const QString shown = argument.size() > 40 ? argument.left(37) + u"…"_s : argument;
    switch (command.effect) {
    case Effect::Ends:
        return head + u"клиент отправит серверу набранное выше, как по разделителю"_s;
    case Effect::Clears:
        return head + u"клиент выбросит начатую выше инструкцию, сервер её не получит"_s;
    case Effect::Quits:
        return head + u"клиент на ней закончит, ниже ничего не выполнится"_s;
    case Effect::Delimiter:
        return head + u"дальше инструкции кончаются на «%1»"_s.arg(shown);
    case Effect::Use:
        return head + u"дальше таблицы без имени базы берутся из базы %1"_s.arg(shown);
    case Effect::Source:
        return head + u"клиент выполнит файл %1, проверка его не читает"_s.arg(shown);
    case Effect::System:
        return head + u"клиент запустит программу на своей машине: %1"_s.arg(shown);
    case Effect::Charset:
        return head + u"дальше сервер читает текст скрипта в кодировке %1"_s.arg(shown);
    case Effect::None:
        break;
    }
    return head + u"её выполняет клиент, сервер её не получает"_s;
}

QString delimiterArgument(QStringView argument)
{
    qsizetype i = 0;
    while (i < argument.size() && isBlank(argument[i]))
        ++i;
    if (i < argument.size() && (argument[i] == u'\'' || argument[i] == u'"' || argument[i] == u'`')) {
        const qsizetype close = argument.indexOf(argument[i], i + 1);
        return argument.mid(i + 1, close < 0 ? -1 : close - i - 1).toString();
    }
    qsizetype end = i;
    while (end < argument.size() && !isBlank(argument[end]))
        ++end;
    return argument.mid(i, end - i).toString();
}

QString useArgument(QStringView argument)
{
    QString name = delimiterArgument(argument);
    // "use db;" at a line start keeps its delimiter in the argument.
    while (name.endsWith(u';'))
        name.chop(1);
    return name;
}
