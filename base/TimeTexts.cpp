#include "base/TimeTexts.h"

namespace {

bool localeGivesNoFormats(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// Marks that only steer the direction of right-to-left text: invisible, and
// no code page of the log file holds them.
bool isDirectionMark(QChar ch)
{
    const char16_t c = ch.unicode();
    return c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

// Drops every time-zone field ('t' outside quotes), brackets it leaves empty,
// direction marks, and the blanks left around them.
QString cleanFormat(const QString &format)
{
    QString out;
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'')
            quoted = !quoted;
        if (isDirectionMark(ch) || (!quoted && ch == u't'))
            continue;
        out.append(ch);
    }
    out.replace(QStringLiteral("()"), QString());
    return out.simplified();
}

} // namespace

namespace TimeTexts {

QString longTimeFormat(const QLocale &locale)
{
    if (localeGivesNoFormats(locale))
        return QStringLiteral("HH:mm:ss");
    QString format = cleanFormat(locale.timeFormat(QLocale::LongFormat));
    if (!format.contains(u's'))
        format = cleanFormat(locale.timeFormat(QLocale::ShortFormat)) + QStringLiteral(":ss");
    return format.isEmpty() ? QStringLiteral("HH:mm:ss") : format;
}

QString shortDateFormat(const QLocale &locale)
{
    if (localeGivesNoFormats(locale))
        return QStringLiteral("M/d/yy");
    const QString format = cleanFormat(locale.dateFormat(QLocale::ShortFormat));
    return format.isEmpty() ? QStringLiteral("M/d/yy") : format;
}

// The locale's patterns are written out by the C locale: ASCII digits and
// AM/PM, which every locale's operator reads and the log file's code page holds.
QString timeText(const QTime &time, const QLocale &locale)
{
    return QLocale::c().toString(time, longTimeFormat(locale));
}

QString dateTimeText(const QDateTime &at, const QLocale &locale)
{
    const QString date = QLocale::c().toString(at.date(), shortDateFormat(locale));
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
