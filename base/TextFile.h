#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Text files of the program: Windows-1251, no byte-order mark, CR LF between lines.
namespace TextFile {

enum class FinalBreak { After, None };

struct Encoded
{
    QByteArray bytes;
    QList<int> lossyLines; // 1-based numbers of lines that held a character the code page lacks
};

// Lines joined by CR LF; with FinalBreak::After the last line is followed by one too.
Encoded encodeLines(const QStringList &lines, FinalBreak finalBreak);

// The first line of every script file the program writes (saved or written
// at exit): whatever character set the client that runs the file starts in,
// it then reads the file in the code page it is written in. It belongs to the
// file, not to the script: the editor never shows it.
inline constexpr char scriptCodePageLine[] = "SET NAMES cp1251;";

// A script as its file holds it: scriptCodePageLine and CR LF, then the lines
// joined by CR LF with no break after the last. lossyLines count the script's
// own lines, as the editor numbers them.
Encoded encodeScript(const QStringList &lines);

// Writes the whole file or nothing: the bytes go to a temporary file beside
// the target that replaces it only once complete. Returns an empty text on
// success, else the system's reason.
QString writeReplacing(const QString &path, const QByteArray &bytes);

// Like writeReplacing, but never replaces an existing file: when path exists,
// "name_2.ext", "name_3.ext", ... are tried. Returns the name written in
// *writtenPath. Returns an empty text on success, else the system's reason.
QString writeNew(const QString &path, const QByteArray &bytes, QString *writtenPath);

// Creates dir and the folders above it that are missing. Returns an empty text
// on success, else the system's reason (a file in the way, no permission, a
// read-only or full disk).
QString makeFolders(const QString &dir);

// "1, 2, 5" for the message that names lossy lines.
QString lineList(const QList<int> &lines);

} // namespace TextFile
