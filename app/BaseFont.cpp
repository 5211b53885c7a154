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

QString useBaseFont(const QString &fontFile)
{
    // Only the regular face is loaded: the package's bold file draws thin, wide strokes at 11
    // pixels, and the regular face emboldened by the font engine reads better.
    const int id = QFontDatabase::addApplicationFont(fontFile);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty())
        return u"Quenmark: the base font %1 could not be loaded (package %2); the desktop's font is used "
               "and some values may be cut."_s.arg(fontFile, QStringLiteral(QM_BASE_FONT_PACKAGE));

    QFont font(families.constFirst());
    font.setPixelSize(kBaseFontPixelSize);
    QApplication::setFont(font);
    return QString();
}
