#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Windows-1251, the code page of every file the program writes and of the
// text the server sends. Conversion is table-driven and exact: a character
// the code page cannot hold is never changed without the caller knowing.
namespace Cp1251 {

// Appends the encoding of text to out; characters outside the code page
// become '?'. Returns false when that happened.
bool encodeInto(QStringView text, QByteArray &out);

QString decode(const char *bytes, qsizetype length);

// The character a byte stands for (every byte maps to one UTF-16 unit;
// the one unassigned byte, 0x98, maps to U+0098 as a control character).
char16_t toUnicode(unsigned char byte);

// The byte for a character, or -1 when the code page has none.
int fromUnicode(char16_t ch);

} // namespace Cp1251
