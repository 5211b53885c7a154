// Feeds arbitrary bytes as the connections' settings file through its reader
// and checks what the page relies on: the reading ends, bounded; names are
// unique and never blank; no text taken holds a control character; every
// connection refused, and every fault, is told.

#include "connect/ConnectionSettingsFile.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

bool clean(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

void checkTaken(const ConnectionSettings &s)
{
    for (const QString *text : {&s.host, &s.socket, &s.user, &s.database, &s.tls.caFile, &s.sshTunnel.host,
                                &s.sshTunnel.account, &s.sshTunnel.keyFile, &s.sshTunnel.databaseHost})
        require(clean(*text));
    require(s.port <= 65535);
    require(s.sshTunnel.port >= 0 && s.sshTunnel.port <= 65535);
    require(s.sshTunnel.databasePort >= 1 && s.sshTunnel.databasePort <= 65535);
    require(int(s.tls.mode) >= 0 && int(s.tls.mode) <= int(TlsMode::Verified));
    require(s.sshTunnel.configFile.isEmpty() && s.sshTunnel.knownHostsFile.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A file of its own each time: the settings library keeps what it read of
    // a path and may not read a file again that changed within its clock's step.
    static int run = 0;
    const QString path = QDir::tempPath() + QStringLiteral("/fuzz_connectionsettings_%1_%2.ini")
                                                .arg(qint64(::getpid()))
                                                .arg(++run);
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly));
        require(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }
    const ConnectionSettingsRead read = readConnectionSettingsFile(path);
    QFile::remove(path);

    require(read.opened == (size <= size_t(maxConnectionSettingsBytes)));
    require(int(read.named.size()) <= maxSavedConnections);
    if (read.last)
        checkTaken(*read.last);
    require(read.lastRefusal.isEmpty() || (!read.last && !read.problems.isEmpty()));
    QStringList names;
    for (const SavedConnection &entry : read.named) {
        require(!entry.name.trimmed().isEmpty() && clean(entry.name));
        require(!names.contains(entry.name));
        names.append(entry.name);
        if (entry.refusal.isEmpty())
            checkTaken(entry.settings);
        else
            require(read.problems.contains(entry.refusal) && !entry.raw.isEmpty());
    }
    return 0;
}
