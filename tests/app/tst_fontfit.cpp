#include "TestWindow.h"

#include "app/BaseFont.h"
#include "grid/RecordGrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionViewItem>

using namespace Qt::StringLiterals;

// With the base font, the widest prices of the catalogue's shapes fit their
// grid cells and every caption of the real window fits its control.
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

QString captionOf(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    if (auto *box = qobject_cast<QGroupBox *>(control))
        return box->title();
    auto *button = qobject_cast<QAbstractButton *>(control);
    return button ? button->text() : QString();
}

// The width the style leaves a caption inside its control.
int captionRoom(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->contentsRect().width() - 2 * label->margin() - std::max(label->indent(), 0);
    if (auto *box = qobject_cast<QGroupBox *>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return box->width() - 2 * title.left(); // the title keeps the same margin on the right
    }
    QStyleOptionButton option;
    option.initFrom(control);
    const auto contents = qobject_cast<QCheckBox *>(control)      ? QStyle::SE_CheckBoxContents
                          : qobject_cast<QRadioButton *>(control) ? QStyle::SE_RadioButtonContents
                                                                  : QStyle::SE_PushButtonContents;
    return control->style()->subElementRect(contents, &option, control).width();
}

} // namespace

void tst_FontFit::initTestCase()
{
    QCOMPARE(useBaseFont(), QString());
    m_window = std::make_unique<TestWindow>();
}

void tst_FontFit::fits_data()
{
    QTest::addColumn<QWidget *>("control");
    QTest::addColumn<int>("column"); // a grid's column, -1 for a caption
    QTest::addColumn<QString>("text");

    QWidget *form = m_window->form.get();
    QTest::newRow("NextGrid2 Price 13100000") << form->findChild<QWidget *>(u"NextGrid2"_s) << 4 << u"13100000"_s;
    QTest::newRow("NextGrid3 Price 136000") << form->findChild<QWidget *>(u"NextGrid3"_s) << 3 << u"136000"_s;
    // Tab buttons and the grids' own buttons size themselves.
    for (QWidget *control : form->findChildren<QWidget *>()) {
        const QString caption = captionOf(control);
        if (!caption.isEmpty() && !control->objectName().startsWith(u"qt_"_s))
            QTest::newRow(qPrintable(control->objectName().isEmpty() ? caption : control->objectName()))
                << control << -1 << caption;
    }
}

void tst_FontFit::fits()
{
    QFETCH(QWidget *, control);
    QFETCH(int, column);
    QFETCH(QString, text);

    int needed = 0;
    int room = 0;
    if (auto *grid = qobject_cast<RecordGrid *>(control)) {
        grid->AddRow(1);
        grid->setCells(column, grid->RowCount() - 1, text);
        // The delegate's size hint is the text's width plus the cell's own margins.
        const QModelIndex index = grid->model()->index(grid->RowCount() - 1, column);
        QStyleOptionViewItem option;
        option.initFrom(grid);
        option.widget = grid;
        needed = grid->itemDelegateForIndex(index)->sizeHint(option, index).width();
        room = grid->columnWidth(column);
    } else if (auto *label = qobject_cast<QLabel *>(control); label && label->wordWrap()) {
        needed = label->heightForWidth(label->width());
        room = label->height();
    } else {
        QFont font = control->font();
        font.setBold(qobject_cast<QGroupBox *>(control)); // the widest a style draws a group's title
        needed = QFontMetrics(font).horizontalAdvance(text);
        room = captionRoom(control);
        QVERIFY(QFontMetrics(font).height() <= control->height());
    }
    QVERIFY2(needed <= room, qPrintable(u"\"%1\" needs %2 of %3 pixels"_s.arg(text).arg(needed).arg(room)));
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
