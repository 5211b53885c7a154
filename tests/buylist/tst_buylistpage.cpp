#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/Main.h"
#include "app/TextPane.h"
#include "base/LogTexts.h"
#include "db/ServerLookup.h"
#include "grid/RecordGrid.h"
#include "editor/SqlEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

struct Window : TestWindow
{
    template<typename T = QWidget>
    T *control(const QString &name) const { return find<T>(form.get(), name); }

    RecordGrid *catalogue() const { return control<RecordGrid>(u"NextGrid2"_s); }
    RecordGrid *contents() const { return control<RecordGrid>(u"NextGrid3"_s); }
    QString text(const QString &name) const { return control<QLineEdit>(name)->text(); }
    QStringList log() const { return form->Memo1()->lines(); }
    QStringList pane() const { return form->Memo2()->lines(); }

    void connectAndLoad(QRadioButton *kind = nullptr)
    {
        click(control(u"Button1"_s));
        if (kind)
            click(kind);
        click(control(u"Button5"_s));
    }

    int rowOfItem(const QString &id) const
    {
        for (int row = 0; row < catalogue()->RowCount(); ++row)
            if (catalogue()->Cells(0, row) == id)
                return row;
        return -1;
    }

    void ctrlA(QWidget *target)
    {
        bringToFront(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    }

    QStringList contentsRow(int row) const
    {
        QStringList cells;
        for (int col = 0; col < 4; ++col)
            cells << contents()->Cells(col, row);
        return cells;
    }

    // Item id, price and order of every shop contents row.
    QStringList contentsValues() const
    {
        QStringList rows;
        for (int row = 0; row < contents()->RowCount(); ++row)
            rows << contents()->Cells(0, row) + u' ' + contents()->Cells(3, row) + u' ' + contents()->Cells(4, row);
        return rows;
    }

    QString editorText() const { return form->SynMemo1()->lines().join(u'\n'); }
};

QString statement(const QString &id, const QString &price, const QString &order)
{
    return u"INSERT INTO `merchant_buylists` VALUES (%1,%2,7,%3,-1,-1,0,0);"_s.arg(id, price, order);
}

enum class Marking { CtrlClicks, ShiftClick, ShiftDown };

} // namespace

Q_DECLARE_METATYPE(Marking)

namespace {

// Runs a script on a scratch database that holds empty copies of the fixture's target tables.
QString runOnScratchCopy(const QString &scriptPath)
{
    const QString socket = QString::fromLocal8Bit(qgetenv("MYSQL_UNIX_PORT"));
    const QStringList client{u"--no-defaults"_s, u"--socket="_s + socket, u"--user=root"_s, u"--password=kelp"_s};
    QProcess setup;
    setup.start(u"mariadb"_s, client);
    setup.write("DROP DATABASE IF EXISTS qm_scratch_buylist; CREATE DATABASE qm_scratch_buylist;"
                "CREATE TABLE qm_scratch_buylist.merchant_buylists LIKE vosteldb.merchant_buylists;"
                "CREATE TABLE qm_scratch_buylist.merchant_shopids LIKE vosteldb.merchant_shopids;");
    setup.closeWriteChannel();
    setup.waitForFinished();
    if (setup.exitCode() != 0)
        return QString::fromLocal8Bit(setup.readAllStandardError());
    QProcess run;
    run.setStandardInputFile(scriptPath);
    run.start(u"mariadb"_s, client + QStringList{u"--default-character-set=cp1251"_s, u"qm_scratch_buylist"_s});
    run.waitForFinished();
    if (run.exitCode() != 0)
        return QString::fromLocal8Bit(run.readAllStandardError());
    QProcess count;
    count.start(u"mariadb"_s, client + QStringList{u"-N"_s, u"-e"_s,
                                                   u"SELECT COUNT(*) FROM qm_scratch_buylist.merchant_buylists"_s});
    count.waitForFinished();
    return u"rows: "_s + QString::fromLocal8Bit(count.readAllStandardOutput()).trimmed();
}

} // namespace

class tst_BuylistPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void theRoadOfOneEntry()
    {
        Window w;
        w.connectAndLoad();
        const QString loaded = w.log().last();
        QCOMPARE(loaded, w.form->TimeStr() + u"  Таблица \"weapon\" загружена"_s);
        QVERIFY(w.catalogue()->RowCount() > 1000);

        // A Cyrillic name query is compared as typed: only the capitalised name matches.
        typeInto(w.control(u"search"_s), u"Рассвет"_s);
        const int dawn = w.rowOfItem(u"2"_s);
        QVERIFY(w.catalogue()->rowVisible(dawn));
        int shown = 0;
        for (int row = 0; row < w.catalogue()->RowCount(); ++row)
            shown += w.catalogue()->rowVisible(row) ? 1 : 0;
        QCOMPARE(shown, 1);

        doubleClickCell(w.catalogue(), 2, dawn);
        QCOMPARE(w.text(u"itemidEdit"_s), u"2"_s);
        QCOMPARE(w.text(u"priceEdit"_s), u"5400"_s);
        QCOMPARE(w.control<QLabel>(u"Label28"_s)->text(), u"Меч 'Рассвет'"_s);

        typeInto(w.control(u"shopEdit"_s), u"7"_s);
        click(w.control(u"Button6"_s));
        const QStringList first{u"#weapon  Меч 'Рассвет'"_s,
                                u"INSERT INTO `merchant_buylists` VALUES (2,5400,7,1,-1,-1,0,0);"_s, QString()};
        QCOMPARE(w.pane(), first);
        QCOMPARE(w.form->SynMemo1()->lines(), first);
        QCOMPARE(w.text(u"orderEdit"_s), u"2"_s);
        QCOMPARE(w.log().last(), w.form->TimeStr() + u"  предмет  Меч 'Рассвет'  добавлен"_s);

        // The name with a line break from the database: the grid keeps it, the script line does not break.
        typeInto(w.control(u"search"_s), QString());
        const int bow = w.rowOfItem(u"5"_s);
        doubleClickCell(w.catalogue(), 0, bow);
        w.ctrlA(w.catalogue());
        QCOMPARE(w.pane().mid(3), (QStringList{u"#weapon  Лук дальний"_s,
                                               u"INSERT INTO `merchant_buylists` VALUES (5,250000,7,2,-1,-1,0,0);"_s,
                                               QString()}));
        QCOMPARE(w.contentsRow(1), (QStringList{u"5"_s, u"Лук\nдальний"_s, u"7"_s, u"250000"_s}));

        // A hand-typed price is kept while "Обновлять цену" is cleared; Ctrl+A in the price box adds at once.
        click(w.control(u"CheckBox1"_s));
        typeInto(w.control(u"priceEdit"_s), u"12"_s);
        doubleClickCell(w.catalogue(), 1, w.rowOfItem(u"3"_s));
        QCOMPARE(w.text(u"priceEdit"_s), u"12"_s);
        auto *price = w.control<QLineEdit>(u"priceEdit"_s);
        price->setFocus();
        QTest::keyClick(price, Qt::Key_9);
        QTest::keyClick(price, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.pane().at(7), u"INSERT INTO `merchant_buylists` VALUES (3,129,7,3,-1,-1,0,0);"_s);
        QCOMPARE(price->text(), u"129"_s); // the key did not select or replace the text
        QCOMPARE(w.contents()->RowCount(), 3);
        QCOMPARE(w.form->ShopRowIndex(), 2);

        const QStringList logBefore = w.log();
        QVERIFY(w.form->close());
        const QString logPath = w.root.filePath(u"logs/"_s + QDir(w.root.filePath(u"logs"_s)).entryList(QDir::Files).first());
        const QString sqlPath = w.root.filePath(u"sql/"_s + QDir(w.root.filePath(u"sql"_s)).entryList(QDir::Files).first());
        QCOMPARE(readFile(logPath), cp1251(w.log().join(u"\r\n"_s) + u"\r\n"_s));
        QCOMPARE(w.log().mid(0, logBefore.size()), logBefore);
        QCOMPARE(readFile(sqlPath), "SET NAMES cp1251;\r\n" + cp1251(w.pane().join(u"\r\n"_s)));
        QCOMPARE(runOnScratchCopy(sqlPath), u"rows: 3"_s);
    }

    void reloadingReplacesRowsAndShowsThemAll()
    {
        Window w;
        w.connectAndLoad();
        typeInto(w.control(u"gradesortEdit"_s), u"s"_s);
        bool onlyGradeS = true;
        for (int row = 0; row < w.catalogue()->RowCount(); ++row)
            if (w.catalogue()->rowVisible(row) != w.catalogue()->Cells(3, row).contains(u's', Qt::CaseInsensitive))
                onlyGradeS = false;
        QVERIFY(onlyGradeS);

        w.connectAndLoad(w.control<QRadioButton>(u"RadioButton2"_s));
        QCOMPARE(w.log().last(), w.form->TimeStr() + u"  Таблица \"armor\" загружена"_s);
        QCOMPARE(w.catalogue()->Cells(1, w.rowOfItem(u"1"_s)), u"light"_s);
        QCOMPARE(w.catalogue()->Cells(2, w.rowOfItem(u"1"_s)), u"Кожаная куртка"_s);
        // The box still holding "s" applies to the new rows as well; Esc empties it and shows them all.
        QCOMPARE(w.text(u"gradesortEdit"_s), u"s"_s);
        int hidden = 0;
        for (int row = 0; row < w.catalogue()->RowCount(); ++row) {
            QCOMPARE(w.catalogue()->rowVisible(row), w.catalogue()->Cells(3, row).contains(u's', Qt::CaseInsensitive));
            hidden += w.catalogue()->rowVisible(row) ? 0 : 1;
        }
        QVERIFY(hidden > 0);
        QTest::keyClick(w.control(u"gradesortEdit"_s), Qt::Key_Escape);
        QCOMPARE(w.text(u"gradesortEdit"_s), QString());
        for (int row = 0; row < w.catalogue()->RowCount(); ++row)
            QVERIFY(w.catalogue()->rowVisible(row));
    }

    void entryWithoutPickOrNumberFails()
    {
        Window w;
        // Filters on the empty grid change nothing.
        typeInto(w.control(u"search"_s), u"x"_s);
        QCOMPARE(w.catalogue()->RowCount(), 0);

        click(w.control(u"Button6"_s));
        QCOMPARE(w.pane(), (QStringList{u"#weapon  "_s, u"INSERT INTO `merchant_buylists` VALUES (,,,1,-1,-1,0,0);"_s, QString()}));

        typeInto(w.control(u"orderEdit"_s), u"abc"_s);
        const int logLines = w.log().size();
        QString shown;
        onNextModal([&](QWidget *box) { shown = readAndCloseMessageBox(box); });
        click(w.control(u"Button6"_s));
        QCOMPARE(shown, u"'abc' is not a valid integer value."_s);
        QCOMPARE(w.contents()->RowCount(), 2);
        QCOMPARE(w.pane().size(), 6);
        QCOMPARE(w.pane().at(4), u"INSERT INTO `merchant_buylists` VALUES (,,,abc,-1,-1,0,0);"_s);
        QCOMPARE(w.text(u"orderEdit"_s), u"abc"_s);
        QCOMPARE(w.log().size(), logLines);
    }

    void textThatCouldLeaveTheStatementIsRefusedWithoutTrace()
    {
        Window w;
        QTemporaryDir shellDir;
        const QString marker = shellDir.filePath(u"ran"_s);
        typeInto(w.control(u"itemidEdit"_s), u"-5"_s);
        typeInto(w.control(u"priceEdit"_s), u"2*500"_s);
        const QString command = u"\\! touch "_s + marker + u" #"_s;
        typeInto(w.control(u"shopEdit"_s), command);
        const QStringList logBefore = w.log();
        QString shown;
        onNextModal([&](QWidget *box) { shown = readAndCloseMessageBox(box); });
        click(w.control(u"Button6"_s));
        QCOMPARE(shown, u"The box \"Shop ID\" holds \"%1\": \"\\\" cannot stand in a value written without quotes."_s
                            .arg(command));
        QCOMPARE(w.contents()->RowCount(), 0);
        QCOMPARE(w.form->ShopRowIndex(), -1);
        QVERIFY(w.pane().isEmpty());
        QCOMPARE(w.form->SynMemo1()->lines(), QStringList{QString()});
        QCOMPARE(w.log(), logBefore);
        QCOMPARE(w.text(u"orderEdit"_s), u"1"_s);

        // Bare values that are one expression go in as typed, and the script runs.
        typeInto(w.control(u"shopEdit"_s), u"0x1F"_s);
        w.ctrlA(w.control(u"shopEdit"_s));
        QCOMPARE(w.pane().at(1), u"INSERT INTO `merchant_buylists` VALUES (-5,2*500,0x1F,1,-1,-1,0,0);"_s);
        QCOMPARE(w.contentsRow(0), (QStringList{u"-5"_s, QString(), u"0x1F"_s, u"2*500"_s}));
        QVERIFY(w.form->close());
        const QString sqlPath = w.root.filePath(u"sql/"_s + QDir(w.root.filePath(u"sql"_s)).entryList(QDir::Files).first());
        QCOMPARE(runOnScratchCopy(sqlPath), u"rows: 1"_s);
        QVERIFY(!QFile::exists(marker));
    }

    void markedRowsAddAtOnceInTheGridsOrder_data()
    {
        QTest::addColumn<Marking>("marking");
        QTest::addColumn<bool>("cataloguePrice");
        QTest::addColumn<QStringList>("added"); // item id, price, order
        QTest::newRow("ctrl-clicks in any order, catalogue prices")
            << Marking::CtrlClicks << true << QStringList{u"2 5400 4"_s, u"5 250000 5"_s, u"7 77 6"_s};
        QTest::newRow("shift-click range, price typed") << Marking::ShiftClick << false
            << QStringList{u"2 10 4"_s, u"3 10 5"_s, u"4 10 6"_s, u"5 10 7"_s};
        QTest::newRow("shift+down from the anchor, the empty price as it is")
            << Marking::ShiftDown << true << QStringList{u"1 120 4"_s, u"2 5400 5"_s, u"3  6"_s};
    }

    void markedRowsAddAtOnceInTheGridsOrder()
    {
        QFETCH(Marking, marking);
        QFETCH(bool, cataloguePrice);
        QFETCH(QStringList, added);
        Window w;
        w.connectAndLoad();
        typeInto(w.control(u"shopEdit"_s), u"7"_s);
        typeInto(w.control(u"orderEdit"_s), u"4"_s);
        if (!cataloguePrice) {
            click(w.control(u"CheckBox1"_s));
            typeInto(w.control(u"priceEdit"_s), u"10"_s);
        }
        RecordGrid *grid = w.catalogue();
        switch (marking) {
        case Marking::CtrlClicks:
            clickCell(grid, 2, w.rowOfItem(u"7"_s));
            clickCell(grid, 0, w.rowOfItem(u"2"_s), Qt::ControlModifier);
            clickCell(grid, 1, w.rowOfItem(u"5"_s), Qt::ControlModifier);
            break;
        case Marking::ShiftClick:
            clickCell(grid, 0, w.rowOfItem(u"2"_s));
            clickCell(grid, 0, w.rowOfItem(u"5"_s), Qt::ShiftModifier);
            break;
        case Marking::ShiftDown:
            clickCell(grid, 0, w.rowOfItem(u"1"_s));
            QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
            QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
            break;
        }
        const int logBefore = int(w.log().size());
        w.ctrlA(grid);

        QCOMPARE(w.contentsValues(), added);
        QStringList pane;
        QStringList logged;
        for (int i = 0; i < added.size(); ++i) {
            const QStringList values = added[i].split(u' ');
            // A line break in a name is a blank in every line.
            const QString name = grid->Cells(2, w.rowOfItem(values[0])).replace(u'\n', u' ');
            pane << u"#weapon  "_s + name << statement(values[0], values[1], values[2]) << QString();
            logged << u"  предмет  "_s + name + u"  добавлен"_s;
        }
        QCOMPARE(w.pane(), pane);
        QCOMPARE(w.form->SynMemo1()->lines(), pane);
        const QStringList log = w.log().mid(logBefore);
        QCOMPARE(log.size(), logged.size());
        for (int i = 0; i < log.size(); ++i)
            QVERIFY2(log[i].endsWith(logged[i]), qPrintable(log[i]));
        QCOMPARE(w.text(u"orderEdit"_s), QString::number(4 + added.size()));
        QCOMPARE(w.form->ShopRowIndex(), added.size() - 1);
    }

    void aPastedListAddsWhatTheCatalogueHoldsAndNamesTheRest()
    {
        Window w;
        w.connectAndLoad();
        typeInto(w.control(u"shopEdit"_s), u"7"_s);
        QApplication::clipboard()->setText(u"2\r\n5\t99\r\n\r\n999999\r\n 7 \r\nabc\t1\r\n"_s);
        QString shown;
        onNextModal([&](QWidget *box) { shown = readAndCloseMessageBox(box); });
        bringToFront(w.catalogue());
        w.catalogue()->setFocus();
        QTest::keyClick(w.catalogue(), Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(w.contentsValues(), (QStringList{u"2 5400 1"_s, u"5 99 2"_s, u"7 77 3"_s}));
        QCOMPARE(w.pane().at(4), statement(u"5"_s, u"99"_s, u"2"_s));
        QCOMPARE(shown, u"Этих предметов нет в загруженном каталоге, они не добавлены: 999999, abc."_s);
        QCOMPARE(w.log().last(), w.form->TimeStr() + u"  предметы  999999, abc  не найдены в каталоге"_s);
        QCOMPARE(w.text(u"orderEdit"_s), u"4"_s);
    }

    void entriesAreRemovedCorrectedAndTakenBackKeepingTheOperatorsEdits()
    {
        Window w;
        w.connectAndLoad();
        typeInto(w.control(u"shopEdit"_s), u"7"_s);
        clickCell(w.catalogue(), 0, w.rowOfItem(u"2"_s));
        clickCell(w.catalogue(), 0, w.rowOfItem(u"3"_s), Qt::ControlModifier);
        clickCell(w.catalogue(), 0, w.rowOfItem(u"7"_s), Qt::ControlModifier);
        w.ctrlA(w.catalogue());
        const QStringList blocks = w.pane();
        QCOMPARE(blocks.size(), 9);

        // The operator's own line above the blocks.
        SqlEditor *editor = w.form->SynMemo1();
        bringToFront(editor);
        editor->setFocus();
        QTest::keyClicks(editor, u"-- mine"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(editor->lines().constFirst(), u"-- mine"_s);

        // Delete on the row of item 3.
        clickCell(w.contents(), 1, 1);
        QTest::keyClick(w.contents(), Qt::Key_Delete);
        QCOMPARE(w.contentsValues(), (QStringList{u"2 5400 1"_s, u"7 77 3"_s}));
        QStringList expected = blocks.mid(0, 3) + blocks.mid(6);
        QCOMPARE(w.pane(), expected);
        QCOMPARE(editor->lines(), QStringList{u"-- mine"_s} + expected);
        QCOMPARE(w.log().last(), w.form->TimeStr() + u"  предмет  Посох \"Тишина\"  удален"_s);

        // A double-click on the price of item 7 corrects its block.
        onNextModal([](QWidget *modal) {
            auto *dialog = qobject_cast<QInputDialog *>(modal);
            auto *box = dialog ? dialog->findChild<QLineEdit *>() : nullptr;
            if (!box) {
                modal->close();
                return;
            }
            box->selectAll();
            QTest::keyClicks(box, u"99"_s);
            QTest::keyClick(box, Qt::Key_Return);
        });
        doubleClickCell(w.contents(), 3, 1);
        expected[4] = statement(u"7"_s, u"99"_s, u"3"_s);
        QCOMPARE(w.pane(), expected);
        QCOMPARE(editor->lines(), QStringList{u"-- mine"_s} + expected);
        QCOMPARE(w.contentsValues(), (QStringList{u"2 5400 1"_s, u"7 99 3"_s}));
        QVERIFY(w.log().last().endsWith(u"  изменен"_s));

        // Ctrl+Z in a box is the box's own undo; on the grid it takes back the last entry.
        auto *price = w.control<QLineEdit>(u"priceEdit"_s);
        price->setFocus();
        QTest::keyClick(price, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.contents()->RowCount(), 2);
        w.contents()->setFocus();
        QTest::keyClick(w.contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.contentsValues(), QStringList{u"2 5400 1"_s});
        QCOMPARE(w.pane(), blocks.mid(0, 3));
        QCOMPARE(editor->lines(), QStringList{u"-- mine"_s} + blocks.mid(0, 3));
        QCOMPARE(w.text(u"orderEdit"_s), u"3"_s);

        // A block the operator changed stays in the editor as it is, and the log says so.
        editor->setFocus();
        QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(editor, u"-- end"_s);
        w.contents()->setFocus();
        QTest::keyClick(w.contents(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(w.pane().isEmpty());
        QCOMPARE(editor->lines(), QStringList{u"-- mine"_s} + blocks.mid(0, 2) + QStringList{u"-- end"_s});
        QVERIFY(w.log().at(w.log().size() - 2).endsWith(u"  изменен в редакторе и оставлен в нем"_s));
    }

    void removalFromASortedGridKeepsItsOrder()
    {
        Window w;
        w.connectAndLoad();
        typeInto(w.control(u"shopEdit"_s), u"7"_s);
        clickCell(w.catalogue(), 0, w.rowOfItem(u"2"_s));
        for (const QString &id : {u"3"_s, u"5"_s, u"7"_s})
            clickCell(w.catalogue(), 0, w.rowOfItem(id), Qt::ControlModifier);
        w.ctrlA(w.catalogue());
        const auto ids = [&w] {
            QStringList shown;
            for (int row = 0; row < w.contents()->RowCount(); ++row)
                shown << w.contents()->Cells(0, row);
            return shown.join(u' ');
        };
        // Order, twice: descending.
        QHeaderView *header = w.contents()->horizontalHeader();
        const QPoint order(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, header->height() / 2);
        for (int click = 0; click < 2; ++click)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, order);
        QCOMPARE(ids(), u"7 5 3 2"_s);

        // Two marked rows go with one Delete; the rest keep the order the header shows.
        // The SQL pane changes once, not once a row (which made hundreds of rows take seconds).
        clickCell(w.contents(), 1, 0);
        clickCell(w.contents(), 1, 2, Qt::ControlModifier);
        QSignalSpy paneChanges(w.form->Memo2(), &TextPane::linesChanged);
        QTest::keyClick(w.contents(), Qt::Key_Delete);
        QCOMPARE(paneChanges.size(), 1);
        QCOMPARE(ids(), u"5 2"_s);
        QCOMPARE(header->sortIndicatorSection(), 4);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(w.pane().size(), 6);
        QVERIFY(w.pane().at(1).startsWith(u"INSERT INTO `merchant_buylists` VALUES (2,"_s));
        QVERIFY(w.pane().at(4).startsWith(u"INSERT INTO `merchant_buylists` VALUES (5,"_s));
    }

    void ctrlAWorksOnEveryControlOfTheForm()
    {
        Window w;
        const QStringList controls{u"NextGrid2"_s, u"NextGrid3"_s, u"Button5"_s, u"Button6"_s, u"shopEdit"_s,
                                   u"itemidEdit"_s, u"priceEdit"_s, u"orderEdit"_s, u"search"_s,
                                   u"typesortEdit"_s, u"gradesortEdit"_s, u"sellsortEdit"_s,
                                   u"RadioButton1"_s, u"RadioButton2"_s, u"RadioButton3"_s};
        int entries = 0;
        for (const QString &name : controls) {
            w.ctrlA(w.control(name));
            ++entries;
            QVERIFY2(w.contents()->RowCount() == entries, qPrintable(name));
        }
        QCOMPARE(w.text(u"orderEdit"_s), QString::number(entries + 1));
        w.ctrlA(w.control(u"CheckBox1"_s));
        QCOMPARE(w.contents()->RowCount(), entries);
        // The search box kept its text unselected: Ctrl+A is the shortcut, not select-all.
        QVERIFY(!w.control<QLineEdit>(u"search"_s)->hasSelectedText());
    }

    // Connect, pick a template, add goods: keys only, from the box the window starts in.
    void theRoadWithoutTheMouse()
    {
        Window w;
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        const auto focused = [] { return QApplication::focusWidget(); };
        const auto keys = [&](std::initializer_list<Qt::Key> list, Qt::KeyboardModifiers modifiers = {}) {
            for (const Qt::Key key : list)
                QTest::keyClick(focused(), key, modifiers);
        };
        const auto type = [&](const QString &text) {
            for (const QChar ch : text)
                QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
        };
        QCOMPARE(focused(), w.control(u"Edit1"_s));
        keys({Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab});
        QCOMPARE(focused(), w.control(u"Edit4"_s));
        type(u"vosteltrade"_s);
        keys({Qt::Key_Backtab, Qt::Key_Backtab});
        keys({Qt::Key_Return});
        QVERIFY(w.log().contains(LogTexts::connected(w.form->TimeStr())));

        // The template page: load, search, pick with Enter.
        keys({Qt::Key_Tab}, Qt::ControlModifier);
        QCOMPARE(focused(), w.control(u"Button2"_s));
        keys({Qt::Key_Space, Qt::Key_Tab});
        type(u"Мила"_s);
        keys({Qt::Key_Tab, Qt::Key_Return});
        QCOMPARE(w.text(u"idtEdit"_s), u"7002"_s);
        QCOMPARE(w.text(u"levelEdit"_s), u"52"_s);
        keys({Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space});
        QCOMPARE(w.text(u"idEdit"_s), u"7007"_s); // after the highest taken, the box being empty

        // The buylist: the shop, the load, the search, the pick and Ctrl+A.
        keys({Qt::Key_Tab, Qt::Key_Tab}, Qt::ControlModifier);
        QCOMPARE(focused(), w.control(u"shopEdit"_s));
        type(u"600"_s);
        QTRY_COMPARE(w.text(u"orderEdit"_s), u"11"_s);
        keys({Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space});
        QVERIFY(w.catalogue()->RowCount() > 0);
        // The shop's goods, looked up before the load, take their names from the catalogue now loaded.
        QCOMPARE(w.control<RecordGrid>(u"ShopGoodsGrid"_s)->Cells(1, 0), u"Короткий меч"_s);
        keys({Qt::Key_Tab, Qt::Key_Tab});
        QCOMPARE(focused(), w.control(u"search"_s));
        type(u"Копь"_s);
        keys({Qt::Key_Tab, Qt::Key_Return});
        QCOMPARE(w.text(u"itemidEdit"_s), u"6"_s);
        keys({Qt::Key_A}, Qt::ControlModifier);
        QCOMPARE(w.pane().at(1), u"INSERT INTO `merchant_buylists` VALUES (6,300,600,11,-1,-1,0,0);"_s);
    }

    // vosteltrade links the shops 600, 601 and 603; NPC 7001 is on the server, 7004 is not.
    void shopLinkPageSaysWhatIsTaken()
    {
        Window w;
        typeInto(w.control(u"Edit4"_s), u"vosteltrade"_s);
        click(w.control(u"Button1"_s));
        auto *npcNote = w.control<QLabel>(u"npcIdNote"_s);
        auto *shopNote = w.control<QLabel>(u"shopIdNote"_s);
        typeInto(w.control(u"npcEdit"_s), u"7001"_s);
        QTRY_COMPARE(npcNote->text(), u"NPC 7001 есть на сервере"_s);
        typeInto(w.control(u"npcEdit"_s), u"7004"_s);
        QTRY_COMPARE(npcNote->text(), u"NPC с таким ID на сервере нет"_s);
        typeInto(w.control(u"shopidEdit"_s), u"600"_s);
        QTRY_COMPARE(shopNote->text(), u"Shop ID 600 занят на сервере (свободный: 602)"_s);
        click(w.control(u"freeShopButton"_s));
        QCOMPARE(w.text(u"shopidEdit"_s), u"602"_s);
        QCOMPARE(shopNote->text(), u"Shop ID свободен"_s);
    }

    // The fixture's vosteltrade shop 600 sells 6 goods in the orders 1, 2, 3, 5, 7, 10 (item 99 is in no
    // catalogue); shop 602 sells nothing.
    void shopOnServerGivesTheNextOrder_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("shop");
        QTest::addColumn<int>("entriesBefore"); // this run's entries for the shop, orders 11, 12, ...
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("goods");
        const QString six = u"на сервере товаров: 6, order до 10"_s;
        QTest::newRow("gaps on the server: after the highest") << true << u"600"_s << 0 << u"11"_s << six << 6;
        QTest::newRow("this run's entries count too") << true << u"600"_s << 3 << u"14"_s << six << 6;
        QTest::newRow("free shop") << true << u"602"_s << 0 << u"1"_s << u"свободен: на сервере товаров нет"_s << 0;
        QTest::newRow("not a number") << true << u"6x"_s << 0 << u"1"_s << u"Shop ID — не число"_s << 0;
        QTest::newRow("no connection: nothing said") << false << u"600"_s << 0 << u"1"_s << QString() << 0;
    }
    void shopOnServerGivesTheNextOrder()
    {
        QFETCH(bool, connected);
        QFETCH(QString, shop);
        QFETCH(int, entriesBefore);
        QFETCH(QString, order);
        QFETCH(QString, note);
        QFETCH(int, goods);
        Window w;
        auto *shopNote = w.control<QLabel>(u"shopNote"_s);
        auto *server = w.control<RecordGrid>(u"ShopGoodsGrid"_s);
        if (connected) {
            typeInto(w.control(u"Edit4"_s), u"vosteltrade"_s);
            w.connectAndLoad();
        }
        if (entriesBefore > 0) {
            typeInto(w.control(u"shopEdit"_s), shop);
            QTRY_COMPARE(w.text(u"orderEdit"_s), u"11"_s);
            for (int i = 0; i < entriesBefore; ++i)
                click(w.control(u"Button6"_s));
            typeInto(w.control(u"orderEdit"_s), u"1"_s);
        }
        typeInto(w.control(u"shopEdit"_s), shop);
        QTest::qWait(ServerLookup::restMs + 100);
        QTRY_COMPARE(shopNote->text(), note);
        QCOMPARE(w.text(u"orderEdit"_s), order);
        QCOMPARE(server->isVisible(), goods > 0);
        QCOMPARE(server->RowCount(), goods);
        if (goods == 0)
            return;
        // Beside the shop contents, not over them.
        QVERIFY(server->geometry().left() > w.contents()->geometry().right());
        QStringList first, last;
        for (int col = 0; col < 4; ++col) {
            first << server->Cells(col, 0);
            last << server->Cells(col, goods - 1);
        }
        QCOMPARE(first, (QStringList{u"1"_s, u"Короткий меч"_s, u"120"_s, u"1"_s}));
        QCOMPARE(last, (QStringList{u"99"_s, QString(), u"10"_s, u"10"_s}));
        // A click on Price sorts the prices as numbers, not as texts ("17000" before "5400").
        QHeaderView *header = server->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + header->sectionSize(2) / 2, header->height() / 2));
        QStringList prices;
        for (int row = 0; row < goods; ++row)
            prices << server->Cells(2, row);
        QCOMPARE(prices.join(u' '), u"10 120 800 950 5400 17000"_s);
        // The next entry takes the order shown, and nothing collides with the server's.
        click(w.control(u"Button6"_s));
        QVERIFY(w.pane().last().isEmpty());
        QVERIFY(w.pane().at(w.pane().size() - 2).endsWith(u",600,"_s + order + u",-1,-1,0,0);"_s));
    }
};

QTEST_MAIN(tst_BuylistPage)
#include "tst_buylistpage.moc"
