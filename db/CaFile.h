#pragma once

#include <QString>

// Why the CA file cannot be used, said before anything reads it (a fifo or a
// device would keep the connect waiting for good, an endless file would fill
// the memory): missing, not a regular file, too large for a certificate
// bundle, or unreadable. Empty when it may be read. Every text names the file.
QString caFileProblem(const QString &path);

// The largest CA file read: the system's whole bundle is about 200 KiB.
constexpr qint64 caFileSizeLimit = 4 << 20;
