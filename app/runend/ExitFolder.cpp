#include "app/runend/ExitFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

QString forThisProgram()
{
    // Installed either by the build's own install rules or by the Debian package, whose prefix may differ.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString chosen = choose(programFolder, QStringLiteral(QM_INSTALL_BINDIR), userDataFolder());
    return chosen != programFolder ? chosen : choose(programFolder, QStringLiteral(QM_PACKAGE_BINDIR), userDataFolder());
}

} // namespace ExitFolder
