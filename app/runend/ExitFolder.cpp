#include "app/runend/ExitFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString canonicalOrClean(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

} // namespace

namespace ExitFolder {

bool sameFolder(const QString &a, const QString &b)
{
    return canonicalOrClean(a) == canonicalOrClean(b);
}

QString choose(const QString &programFolder, const QString &installedBinFolder, const QString &userDataFolder)
{
    if (installedBinFolder.isEmpty() || userDataFolder.isEmpty())
        return programFolder;
    return sameFolder(programFolder, installedBinFolder) ? userDataFolder : programFolder;
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QStringList fallbackFolders()
{
    // Empty when TMPDIR names no folder: then there is no temporary folder to try.
    const QString temporary = QDir::tempPath();
    if (temporary.isEmpty())
        return {userDataFolder()};
    // Named for the user: another user's folder of the same name would refuse the files.
    return {userDataFolder(), temporary + u"/quenmark-"_s + QString::number(::getuid())};
}

QString forThisProgram()
{
    // Installed either by the build's own install rules or by the Debian package, whose prefix may differ.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString chosen = choose(programFolder, QStringLiteral(QM_INSTALL_BINDIR), userDataFolder());
    return chosen != programFolder ? chosen : choose(programFolder, QStringLiteral(QM_PACKAGE_BINDIR), userDataFolder());
}

} // namespace ExitFolder
