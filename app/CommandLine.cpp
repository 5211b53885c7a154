#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Options that QGuiApplication, QApplication and the X11 platform take themselves.
const QStringList kToolkitOptionsWithValue = {
    u"platform"_s, u"platformpluginpath"_s, u"platformtheme"_s, u"plugin"_s, u"qmljsdebugger"_s,
    u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s, u"session"_s, u"style"_s, u"stylesheet"_s,
    u"display"_s, u"geometry"_s, u"name"_s, u"title"_s, u"visual"_s, u"ncols"_s,
};
const QStringList kToolkitFlags = {u"reverse"_s, u"widgetcount"_s, u"nograb"_s, u"dograb"_s, u"sync"_s, u"cmap"_s};

void addHidden(QCommandLineParser &parser, const QString &name, const QString &valueName)
{
    QCommandLineOption option(name, QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

std::optional<int> answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    // Single-dash words are whole options, as the toolkit's own (-platform, -style) are.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Builds merchant NPCs, shop links and buylists as an SQL script from a game server's MySQL or "
        "MariaDB world database. Never writes to the database."_s);
    // Not addHelpOption(): its --help-all only works through showHelp(), which needs the application object.
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays help on the command line options."_s);
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    for (const QString &name : kToolkitOptionsWithValue)
        addHidden(parser, name, u"value"_s);
    for (const QString &name : kToolkitFlags)
        addHidden(parser, name, QString());

    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        // helpText() names the program by the application object's first argument.
        QCoreApplication app(argc, argv);
        print(stdout, parser.helpText());
        return 0;
    }
    if (parsed && parser.isSet(version)) {
        print(stdout, u"%1 %2\n"_s.arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parsed) {
        print(stderr, u"%1: %2\nTry '%1 --help'.\n"_s.arg(QCoreApplication::applicationName().toLower(),
                                                           parser.errorText()));
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, u"%1: unexpected argument '%2'\nTry '%1 --help'.\n"_s.arg(
                          QCoreApplication::applicationName().toLower(), parser.positionalArguments().constFirst()));
        return 2;
    }
    return std::nullopt;
}
