#include "base/EntryLogTexts.h"

using namespace Qt::StringLiterals;

namespace EntryLogTexts {

QString itemRemoved(const QString &timeStr, const QString &itemName)
{
    return timeStr + u"  предмет  "_s + itemName + u"  удален"_s;
}

QString itemChanged(const QString &timeStr, const QString &itemName)
{
    return timeStr + u"  предмет  "_s + itemName + u"  изменен"_s;
}

QString itemsNotInCatalogue(const QString &timeStr, const QString &ids)
{
    return timeStr + u"  предметы  "_s + ids + u"  не найдены в каталоге"_s;
}

QString blockKeptInEditor(const QString &timeStr, const QString &commentLine)
{
    return timeStr + u"  блок  "_s + commentLine + u"  изменен в редакторе и оставлен в нем"_s;
}

QString fileOpened(const QString &timeStr, const QString &fileName)
{
    return timeStr + u"  файл  "_s + fileName + u"  открыт"_s;
}

} // namespace EntryLogTexts
