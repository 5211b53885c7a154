#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reading a text file back: a script the operator saved, or one from elsewhere.
namespace TextFileRead {

// Larger than any script the tool writes by far; a larger file is not a script.
inline constexpr qint64 kMaxBytes = 64 * 1024 * 1024;

enum class Codepage { Cp1251, Utf8 };

struct Text
{
    // Not empty: the file is refused, and this says why, naming it (Russian).
    QString refusal;
    // Split at CR LF, CR or LF; a text ending in a line end gives an empty last line.
    QStringList lines;
    Codepage codepage = Codepage::Cp1251;
    // 1-based numbers of lines holding a control character other than tab,
    // which no line of the editor can show as it is.
    QList<int> unreadableLines;
};

// Decodes bytes: UTF-8 when they are valid UTF-8 (a byte-order mark is
// dropped; pure ASCII reads the same either way), else Windows-1251, in which
// every byte stands for a character. Refuses bytes holding a NUL: not text.
Text decode(const QByteArray &bytes, const QString &fileName);

// Reads the file without waiting on it: only a regular file of at most
// maxBytes is read (a fifo or a device is refused, never opened for reading).
Text read(const QString &path, qint64 maxBytes = kMaxBytes);

} // namespace TextFileRead
