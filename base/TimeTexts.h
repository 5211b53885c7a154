#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The time and date texts of the activity log and the exit file names. They
// follow the locale's patterns, written with ASCII digits.
namespace TimeTexts {

// The locale's long time format with seconds and without a time-zone part;
// "HH:mm:ss" where the locale gives none (the C/POSIX locale included).
QString longTimeFormat(const QLocale &locale);
// The locale's short date format; "M/d/yy" where the locale gives none.
QString shortDateFormat(const QLocale &locale);

QString timeText(const QTime &time, const QLocale &locale);
// Short date, a blank, long time; at exactly midnight the blank and the time are left out.
QString dateTimeText(const QDateTime &at, const QLocale &locale);
// dd_MM_yyyy_HH_mm_ss, the stamp of the exit file names.
QString exitStamp(const QDateTime &at);

} // namespace TimeTexts
