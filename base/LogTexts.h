#pragma once

#include <QString>

// Every line the activity log can show. A timed line is TimeStr followed by a
// message that itself begins with two blanks; bracket lines have no time.
namespace LogTexts {

QString logOpened(const QString &openedAt);
QString logClosed(const QString &closedAt);
QString appStarted(const QString &timeStr);
QString appClosed(const QString &timeStr);
QString connected(const QString &timeStr);
QString connectFailed(const QString &timeStr, const QString &errorText);
QString databaseOpened(const QString &timeStr, const QString &database);
// reason: why the name was not even sent, empty when the server refused it.
QString databaseFailed(const QString &timeStr, const QString &database, const QString &reason = QString());
// table is one of npc, weapon, armor, etcitem.
QString tableLoaded(const QString &timeStr, const QString &table);
// A finished check of the script against the database.
QString scriptChecked(const QString &timeStr, int errors, int warnings, int notChecked);
QString npcCreated(const QString &timeStr, const QString &npcName);
QString shopCreated(const QString &timeStr, const QString &shopId);
QString itemAdded(const QString &timeStr, const QString &itemName);
QString fileSaved(const QString &timeStr, const QString &fileName);
// A table load that the operator cancelled, or that ended without the table.
QString loadCancelled(const QString &timeStr, const QString &table);
QString loadFailed(const QString &timeStr, const QString &table, const QString &errorText);
// A check of the script that the operator cancelled, or that could not be made.
QString checkCancelled(const QString &timeStr);
QString checkFailed(const QString &timeStr, const QString &errorText);
// The SSH tunnel of the connection went away; message says why.
QString tunnelEnded(const QString &timeStr, const QString &message);
// A run that ended without closing its log, brought back from its journal at this start.
QString runRecovered(const QString &timeStr, const QString &stamp, const QString &logPath, const QString &scriptPath);
// A journal that could not be read, kept under another name (asidePath empty: not even that).
QString journalKeptAside(const QString &timeStr, const QString &path, const QString &asidePath);
// The journal of this run could not be made or written.
QString journalFailed(const QString &timeStr, const QString &errorText);
// Part of the connections' settings file could not be read; problem says what and where the file was kept.
QString settingsKeptAside(const QString &timeStr, const QString &problem);

} // namespace LogTexts
