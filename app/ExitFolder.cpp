#include "app/ExitFolder.h"

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

QString choose(const QString &programFolder, const QString &installedBinFolder, const QString &userDataFolder)
{
    if (installedBinFolder.isEmpty() || userDataFolder.isEmpty())
        return programFolder;
    return canonicalOrClean(programFolder) == canonicalOrClean(installedBinFolder) ? userDataFolder : programFolder;
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString forThisProgram()
{
    return choose(QCoreApplication::applicationDirPath(), QStringLiteral(QM_INSTALL_BINDIR), userDataFolder());
}

} // namespace ExitFolder
