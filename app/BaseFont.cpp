#include "app/BaseFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

using namespace Qt::StringLiterals;

QString baseFontFile()
{
    return QStringLiteral(QM_BASE_FONT_FILE);
}

QString useBaseFont()
{
    const QString regular = baseFontFile();
    const int id = QFontDatabase::addApplicationFont(regular);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty())
        return u"Quenmark: the base font %1 could not be loaded (package %2); the desktop's font is used "
               "and some values may be cut."_s.arg(regular, QStringLiteral(QM_BASE_FONT_PACKAGE));
    // The face's bold is a file of its own; group titles use it rather than a smeared regular.
    QFontDatabase::addApplicationFont(QStringLiteral(QM_BASE_FONT_BOLD_FILE));

    QFont font(families.constFirst());
    font.setPixelSize(kBaseFontPixelSize);
    QApplication::setFont(font);
    return QString();
}
