#pragma once

#include <QString>
#include <QStringView>

// The commands that the command-line client (mariadb, mysql) carries out
// itself instead of sending them to the server: a word at the start of a
// statement ("system ls", "DELIMITER //") or a backslash and a letter anywhere
// outside strings and comments ("\! ls", "\g").
struct ClientCommand
{
    enum class Effect {
        None,       // prints or switches something of the client's own
        Ends,       // sends what was typed so far, as a delimiter does (go, ego)
        Clears,     // throws away what was typed so far (clear)
        Quits,      // the client stops reading the script (quit, exit)
        Delimiter,  // statements end with the argument from now on
        Use,        // tables without a database name are the argument's from now on
        Source,     // runs another file
        System,     // runs a program on the machine the client runs on
        Charset,    // the client sends the script's text in the argument's character set from now on
    };

    const char *name;
    char letter;
    // The rest of the line is the argument: after a backslash command up to
    // the delimiter, which it swallows without ending the statement.
    bool takesArgument;
    // "quit;" and the like reach the server as a statement; the others are
    // the client's also when a delimiter ends them.
    bool onlyAtLineStart;
    Effect effect;
};

// The command a statement or line starting with `word` runs (any case), or null.
const ClientCommand *clientCommandNamed(QStringView word);
// The command of a backslash and `letter`, or null.
const ClientCommand *clientCommandLettered(QChar letter);

// What the operator reads under the line: which command, and what it does to
// the rest of the script.
QString clientCommandWarning(const ClientCommand &command, const QString &argument);

// The delimiter that "DELIMITER <argument>" sets: the argument's first word,
// or the text inside quotes; empty when there is none.
QString delimiterArgument(QStringView argument);
// The database that "use <argument>" chooses, back quotes removed.
QString useArgument(QStringView argument);
