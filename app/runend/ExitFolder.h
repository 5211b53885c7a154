#pragma once

#include <QString>

// Where the exit files of this run go. A program run from the folder it was
// installed to (the configured install prefix's bin) keeps them in the user's
// data folder, since the operator cannot write a system folder and root must
// not litter it; a build tree or a copied folder keeps them beside the program.
// The installed folder is compared by path, not by write permission, so that
// root behaves like everyone else.
namespace ExitFolder {

// Whether two paths name one folder, links and "." or ".." resolved.
bool sameFolder(const QString &a, const QString &b);

QString choose(const QString &programFolder, const QString &installedBinFolder, const QString &userDataFolder);

// The user's data folder (e.g. ~/.local/share/Quenmark): where an installed
// program's exit files go, and where a file that cannot be written in its own
// folder is put instead.
QString userDataFolder();

// Where a file goes that its own folder refuses, in this order: the user's
// data folder, then a folder of the user's own in the temporary folder (for an
// installed program, whose exit folder is the data folder, the latter alone).
QStringList fallbackFolders();

// The folder for this process: choose() with the running executable's folder,
// against both the configured install folder and the Debian package's.
QString forThisProgram();

} // namespace ExitFolder
