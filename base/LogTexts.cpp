#include "base/LogTexts.h"

using namespace Qt::StringLiterals;

namespace LogTexts {

QString logOpened(const QString &openedAt) { return u"[Лог открыт - "_s + openedAt + u']'; }
QString logClosed(const QString &closedAt) { return u"[Лог закрыт - "_s + closedAt + u']'; }
QString appStarted(const QString &timeStr) { return timeStr + u"  Приложение запущено"_s; }
QString appClosed(const QString &timeStr) { return timeStr + u"  Приложение закрыто"_s; }
QString connected(const QString &timeStr) { return timeStr + u"  Соединение установлено"_s; }

QString connectFailed(const QString &timeStr, const QString &errorText)
{
    return timeStr + u"  Ошыбка : "_s + errorText;
}

QString databaseOpened(const QString &timeStr, const QString &database)
{
    return timeStr + u"  База "_s + database + u" открыта"_s;
}

QString databaseFailed(const QString &timeStr, const QString &database, const QString &reason)
{
    if (!reason.isEmpty())
        return timeStr + u"  Ошыбка открытия "_s + database + u" : "_s + reason;
    return timeStr + u"  Ошыбка открытия "_s + database;
}

QString tableLoaded(const QString &timeStr, const QString &table)
{
    return timeStr + u"  Таблица \""_s + table + u"\" загружена"_s;
}

QString npcCreated(const QString &timeStr, const QString &npcName)
{
    return timeStr + u"  npc  "_s + npcName + u"  создан"_s;
}

QString shopCreated(const QString &timeStr, const QString &shopId)
{
    return timeStr + u"  Shop ID  "_s + shopId + u"  создан"_s;
}

QString itemAdded(const QString &timeStr, const QString &itemName)
{
    return timeStr + u"  предмет  "_s + itemName + u"  добавлен"_s;
}

QString fileSaved(const QString &timeStr, const QString &fileName)
{
    return timeStr + u"  файл  "_s + fileName + u"  сохранен"_s;
}

QString scriptChecked(const QString &timeStr, int errors, int warnings, int notChecked)
{
    return timeStr + u"  Скрипт проверен: ошибок "_s + QString::number(errors) + u", предупреждений "_s
        + QString::number(warnings) + u", не проверено "_s + QString::number(notChecked);
}

QString loadCancelled(const QString &timeStr, const QString &table)
{
    return timeStr + u"  Загрузка таблицы \""_s + table + u"\" отменена"_s;
}

QString loadFailed(const QString &timeStr, const QString &table, const QString &errorText)
{
    return timeStr + u"  Ошыбка загрузки таблицы \""_s + table + u"\" : "_s + errorText;
}

QString checkCancelled(const QString &timeStr)
{
    return timeStr + u"  Проверка скрипта отменена"_s;
}

QString checkFailed(const QString &timeStr, const QString &errorText)
{
    return timeStr + u"  Ошыбка проверки скрипта : "_s + errorText;
}

QString tunnelEnded(const QString &timeStr, const QString &message)
{
    return timeStr + u"  "_s + message;
}

QString runRecovered(const QString &timeStr, const QString &stamp, const QString &logPath, const QString &scriptPath)
{
    return timeStr + u"  Прерванный запуск "_s + stamp + u" восстановлен : лог  "_s + logPath + u"  скрипт  "_s + scriptPath;
}

QString settingsKeptAside(const QString &timeStr, const QString &problem)
{
    return timeStr + u"  "_s + problem;
}

QString journalKeptAside(const QString &timeStr, const QString &path, const QString &asidePath)
{
    if (asidePath.isEmpty())
        return timeStr + u"  Журнал  "_s + path + u"  не читается и оставлен как есть"_s;
    return timeStr + u"  Журнал  "_s + path + u"  не читается, отложен как  "_s + asidePath;
}

QString journalFailed(const QString &timeStr, const QString &errorText)
{
    return timeStr + u"  Ошыбка журнала : "_s + errorText;
}

} // namespace LogTexts
