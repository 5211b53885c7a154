#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>

// A box whose text goes into a statement without quotes, where it must stay
// one SQL value expression (a number, NULL, 0x1F, 2*500, or nothing at all).
struct BareBox
{
    QString caption;  // what the operator sees beside the box
    QString text;
};

namespace BareValue {

// The first piece of text that could end the statement or leave it when the
// script is run by a command-line client: ";" ends it, a backslash starts a
// client command, a quote or back quote opens text that runs on past the
// value, "#", "--" and "/*" start comments. Or a piece that makes the text
// more than one value: a "," outside parentheses starts the next value and a
// ")" without its "(" closes the row, so that "7,31),(8" would write a second
// row; a "(" left open (named when the text ends) would take in the values
// after it. Empty when the text may stand bare.
QString breaker(QStringView text);

// Checks every box in turn; throws QmError naming the first box whose text
// holds such a piece, with the text itself. Call it before anything is
// written, so that a refused entry leaves no trace.
void require(std::initializer_list<BareBox> boxes);

} // namespace BareValue
