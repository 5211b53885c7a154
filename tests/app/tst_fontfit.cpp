#include "TestWindow.h"

#include "app/BaseFont.h"
#include "grid/RecordGrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionViewItem>
#include <QTest>

using namespace Qt::StringLiterals;

// With the base font, the widest values of the catalogue's shapes and every
// caption of the real window fit their fixed-size cells and controls.
class tst_FontFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fits_data();
    void fits();
    void missingFontSaysSo();

private:
    std::unique_ptr<TestWindow> m_window;
};

namespace {

// The width a caption may take inside its control, as the style lays it out.
int captionRoom(QWidget *control)
{
    QStyle *style = control->style();
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->contentsRect().width() - 2 * label->margin() - std::max(label->indent(), 0);
    if (auto *box = qobject_cast<QGroupBox *>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = box->alignment();
        const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        // The title's rect is the text's own size; what counts is whether it stays inside the frame.
        return title.width() + (box->width() - 1 - title.right()) - title.left();
    }
    QStyleOptionButton option;
    option.initFrom(control);
    option.text = qobject_cast<QAbstractButton *>(control)->text();
    const QStyle::SubElement contents = qobject_cast<QCheckBox *>(control)      ? QStyle::SE_CheckBoxContents
                                        : qobject_cast<QRadioButton *>(control) ? QStyle::SE_RadioButtonContents
                                                                                : QStyle::SE_PushButtonContents;
    return style->subElementRect(contents, &option, control).width();
}

QString captionOf(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *box = qobject_cast<QGroupBox *>(control))
        return box->title();
    return qobject_cast<QAbstractButton *>(control)->text();
}

} // namespace

void tst_FontFit::initTestCase()
{
    QCOMPARE(useBaseFont(), QString());
    QCOMPARE(QFontInfo(QApplication::font()).pixelSize(), kBaseFontPixelSize);
    m_window = std::make_unique<TestWindow>();
}

void tst_FontFit::fits_data()
{
    QTest::addColumn<QWidget *>("control");
    QTest::addColumn<int>("column"); // a grid's column, -1 for a caption
    QTest::addColumn<QString>("text");

    // Prices of the real catalogue: up to eight digits in the catalogue, six in the shop's contents.
    QWidget *form = m_window->form.get();
    QTest::newRow("NextGrid2 Price 13100000") << form->findChild<QWidget *>(u"NextGrid2"_s) << 4 << u"13100000"_s;
    QTest::newRow("NextGrid3 Price 136000") << form->findChild<QWidget *>(u"NextGrid3"_s) << 3 << u"136000"_s;

    const QList<QWidget *> controls = form->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const bool captioned = qobject_cast<QLabel *>(control) || qobject_cast<QAbstractButton *>(control)
                               || qobject_cast<QGroupBox *>(control);
        // Tab buttons size themselves; the about text wraps and is checked for height below.
        if (!captioned || control->objectName().startsWith(u"qt_"_s) || captionOf(control).isEmpty())
            continue;
        const QString name = control->objectName().isEmpty() ? captionOf(control) : control->objectName();
        QTest::newRow(qPrintable(name)) << control << -1 << captionOf(control);
    }
}

void tst_FontFit::fits()
{
    QFETCH(QWidget *, control);
    QFETCH(int, column);
    QFETCH(QString, text);
    QVERIFY(control);

    if (column >= 0) {
        auto *grid = qobject_cast<RecordGrid *>(control);
        grid->AddRow(1);
        const int row = grid->RowCount() - 1;
        grid->setCells(column, row, text);
        // The delegate's size hint is the text's width plus the cell's own margins.
        const QModelIndex index = grid->model()->index(row, column);
        QStyleOptionViewItem option;
        option.initFrom(grid);
        option.widget = grid;
        const int needed = grid->itemDelegateForIndex(index)->sizeHint(option, index).width();
        QVERIFY2(needed <= grid->columnWidth(column),
                 qPrintable(u"needs %1 of %2 pixels"_s.arg(needed).arg(grid->columnWidth(column))));
        return;
    }
    if (auto *label = qobject_cast<QLabel *>(control); label && label->wordWrap()) {
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                 qPrintable(u"needs %1 of %2 pixels high"_s.arg(label->heightForWidth(label->width())).arg(label->height())));
        return;
    }
    QFont font = control->font();
    if (qobject_cast<QGroupBox *>(control))
        font.setBold(true); // the widest a style draws a group's title
    const QFontMetrics metrics(font);
    const int needed = metrics.horizontalAdvance(text);
    const int room = captionRoom(control);
    QVERIFY2(needed <= room, qPrintable(u"\"%1\" needs %2 of %3 pixels"_s.arg(text).arg(needed).arg(room)));
    QVERIFY2(metrics.height() <= control->height(),
             qPrintable(u"\"%1\" needs %2 of %3 pixels high"_s.arg(text).arg(metrics.height()).arg(control->height())));
}

void tst_FontFit::missingFontSaysSo()
{
    const QFont before = QApplication::font();
    const QString message = useBaseFont(u"/nonexistent/base.ttf"_s);
    QVERIFY2(message.contains(u"/nonexistent/base.ttf"_s) && message.contains(u"fonts-wine"_s), qPrintable(message));
    QCOMPARE(QApplication::font(), before);
}

QTEST_MAIN(tst_FontFit)
#include "tst_fontfit.moc"
