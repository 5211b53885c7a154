#include "base/TimeTexts.h"

namespace {

bool localeGivesNoFormats(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// Drops every time-zone field ('t' outside quotes) and the blanks left around it.
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'')
            quoted = !quoted;
        if (!quoted && ch == u't')
            continue;
        out.append(ch);
    }
    return out.simplified();
}

} // namespace

namespace TimeTexts {

QString longTimeFormat(const QLocale &locale)
{
    if (localeGivesNoFormats(locale))
        return QStringLiteral("HH:mm:ss");
    QString format = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    if (!format.contains(u's'))
        format = withoutTimeZone(locale.timeFormat(QLocale::ShortFormat)) + QStringLiteral(":ss");
    return format.isEmpty() ? QStringLiteral("HH:mm:ss") : format;
}

QString shortDateFormat(const QLocale &locale)
{
    if (localeGivesNoFormats(locale))
        return QStringLiteral("M/d/yy");
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    return format.isEmpty() ? QStringLiteral("M/d/yy") : format;
}

QString timeText(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, longTimeFormat(locale));
}

QString dateTimeText(const QDateTime &at, const QLocale &locale)
{
    const QString date = locale.toString(at.date(), shortDateFormat(locale));
    const QTime time = at.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' ' + timeText(time, locale);
}

QString exitStamp(const QDateTime &at)
{
    return QLocale::c().toString(at, QStringLiteral("dd_MM_yyyy_HH_mm_ss"));
}

} // namespace TimeTexts
