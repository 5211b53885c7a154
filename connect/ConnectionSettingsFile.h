#pragma once

#include "connect/ConnectionSettings.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

// Reading the connections' settings file, which anyone may have edited by
// hand or handed over: every value is read strictly, and one that cannot be
// read refuses its connection (with the file and the key named) instead of
// being replaced by a weaker default. The file itself must be a regular file
// of sane size, checked before anything opens it (a fifo would block the
// start for good, a huge file or count would freeze it).

// More than this is no settings file of ours.
constexpr qint64 maxConnectionSettingsBytes = 1024 * 1024;
constexpr int maxSavedConnections = 500;

struct SavedConnection
{
    QString name;
    ConnectionSettings settings;
    // Why the connection cannot be used as saved; empty when it can. A
    // refused connection keeps its lines as they were (raw) when the file is
    // written again, so that nothing of it is lost.
    QString refusal;
    QMap<QString, QVariant> raw;
};

struct ConnectionSettingsRead
{
    // False when the file was not opened at all (see refusal below); a
    // missing file is read, and empty.
    bool opened = true;
    std::optional<ConnectionSettings> last;
    QString lastName;
    QString lastRefusal;
    std::vector<SavedConnection> named;
    // What of the file could not be read, one text a fault, each naming the
    // file and the key; empty when the file was read whole.
    QStringList problems;
};

// Why path is no file to read settings from (not a regular file, larger than
// the limit), or empty (a regular file, or none at all).
QString connectionSettingsFileRefusal(const QString &path);

ConnectionSettingsRead readConnectionSettingsFile(const QString &path);
