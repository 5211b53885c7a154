#include "base/Error.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridFilter.h"
#include "grid/RecordGridModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

// Columns: 0 "id" numeric over text cells, 1 "Name" alphabetic, 2 "count" a number column.
class tst_RecordGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void addRowAndOutsideCells();
    void numberCellFromBadText();
    void pressSelectsOneCell_data();
    void pressSelectsOneCell();
    void doubleClickReportsStoreRow();
    void doubleClickOutsideCellsRaisesNothing_data();
    void doubleClickOutsideCellsRaisesNothing();
    void upDownSkipHiddenRows();
    void keysReachOwnerFirst_data();
    void keysReachOwnerFirst();
    void headerClickSorts_data();
    void headerClickSorts();
    void flipAfterChangeSortsAnew();
    void numericSortErrorIsShown_data();
    void numericSortErrorIsShown();
    void hiddenRowsAndSelectionThroughSorting();
    void clearRowsWhileSorted();
    void sortScrollsSelectionIntoView();
    void filterThroughGrid();
    void headerDragKeepsColumnIndex();
    void headerPressThatMoves_data();
    void headerPressThatMoves();
    void look();
    void modelTester();

private:
    QPoint cellPoint(int viewRow, int col) const;
    QPoint headerPoint(int col) const;
    void fill(const QList<QStringList> &rows);
    QStringList column(int col) const;
    // A real double-click: press, release, the double-click press, release.
    static void doubleClick(QWidget *widget, Qt::MouseButton button, QPoint at);
    // Closes the next message box and keeps its text.
    void catchMessageBox();

    std::unique_ptr<RecordGrid> m_grid;
    QString m_boxText;
    // Closes a message box nobody waited for, so that a test fails instead of hanging.
    QTimer m_boxWatch;
    QString m_unexpectedBox;
};

void tst_RecordGrid::init()
{
    m_grid = std::make_unique<RecordGrid>();
    m_grid->setColumns({
        GridColumn { u"id"_s, 50, SortKind::Numeric },
        GridColumn { u"Name"_s, 120, SortKind::Alphabetic },
        GridColumn { u"count"_s, 60, SortKind::Numeric, CellKind::Number, Qt::AlignCenter },
    });
    m_grid->resize(320, 200);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    m_boxText.clear();
    m_unexpectedBox.clear();
    m_boxWatch.disconnect();
    connect(&m_boxWatch, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m_unexpectedBox = box->text();
            box->accept();
        }
    });
    m_boxWatch.start(100);
}

void tst_RecordGrid::cleanup()
{
    m_boxWatch.stop();
    m_grid.reset();
    QCOMPARE(m_unexpectedBox, QString());
}

QPoint tst_RecordGrid::cellPoint(int viewRow, int col) const
{
    return m_grid->visualRect(m_grid->model()->index(viewRow, col)).center();
}

QPoint tst_RecordGrid::headerPoint(int col) const
{
    const QHeaderView *header = m_grid->horizontalHeader();
    return QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
}

void tst_RecordGrid::fill(const QList<QStringList> &rows)
{
    m_grid->AddRow(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            m_grid->setCells(c, r, rows[r][c]);
    }
}

QStringList tst_RecordGrid::column(int col) const
{
    QStringList out;
    for (int r = 0; r < m_grid->RowCount(); ++r)
        out << m_grid->Cells(col, r);
    return out;
}

void tst_RecordGrid::doubleClick(QWidget *widget, Qt::MouseButton button, QPoint at)
{
    QTest::mousePress(widget, button, {}, at);
    QTest::mouseRelease(widget, button, {}, at);
    QTest::mouseDClick(widget, button, {}, at);
    QTest::mouseRelease(widget, button, {}, at);
}

void tst_RecordGrid::catchMessageBox()
{
    QTimer::singleShot(0, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            m_boxText = box->text();
            box->accept();
        }
    });
}

void tst_RecordGrid::addRowAndOutsideCells()
{
    fill({ { u"1"_s, u"a"_s, u"1"_s } });
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(0, 1));
    m_grid->AddRow(3);
    QCOMPARE(m_grid->RowCount(), 4);
    QCOMPARE(m_grid->model()->rowCount(), 4);
    QCOMPARE(m_grid->Cells(1, 3), QString());
    QCOMPARE(m_grid->Cells(2, 3), u"0"_s);
    QCOMPARE(m_grid->Cells(0, 4), QString());
    QCOMPARE(m_grid->Cells(3, 0), QString());
    m_grid->setCells(0, 4, u"x"_s);
    m_grid->setCells(-1, 0, u"x"_s);
    QCOMPARE(m_grid->RowCount(), 4);
    QCOMPARE(m_grid->selectedRow(), 0);
    QCOMPARE(m_grid->selectedColumn(), 1);
    m_grid->AddRow(0);
    QCOMPARE(m_grid->RowCount(), 4);
}

void tst_RecordGrid::numberCellFromBadText()
{
    m_grid->AddRow(1);
    QString error;
    try {
        m_grid->setCells(2, 0, u"12,5x"_s);
    } catch (const QmError &e) {
        error = e.text();
    }
    QCOMPARE(error, u"'12,5x' is not a valid floating point value"_s);
    QCOMPARE(m_grid->Cells(2, 0), u"0"_s);
    m_grid->setCells(2, 0, u"0012"_s);
    QCOMPARE(m_grid->Cells(2, 0), u"12"_s);
}

void tst_RecordGrid::pressSelectsOneCell_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
}

void tst_RecordGrid::pressSelectsOneCell()
{
    QFETCH(Qt::MouseButton, button);
    fill({ { u"1"_s, u"a"_s }, { u"2"_s, u"b"_s }, { u"3"_s, u"c"_s } });
    m_grid->setRowVisible(0, false);
    QTest::mouseClick(m_grid->viewport(), button, {}, cellPoint(1, 1));
    QCOMPARE(m_grid->selectedRow(), 2);
    QCOMPARE(m_grid->selectedColumn(), 1);
    const QModelIndexList selected = m_grid->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.front().row(), 1);
    QCOMPARE(selected.front().column(), 1);
    QVERIFY(m_grid->hasFocus());
}

void tst_RecordGrid::doubleClickReportsStoreRow()
{
    fill({ { u"1"_s, u"a"_s }, { u"2"_s, u"b"_s }, { u"3"_s, u"c"_s }, { u"4"_s, u"d"_s } });
    m_grid->setRowVisible(0, false);
    m_grid->setRowVisible(1, false);
    QSignalSpy spy(m_grid.get(), &RecordGrid::OnCellDblClick);
    doubleClick(m_grid->viewport(), Qt::LeftButton, cellPoint(0, 1));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QCOMPARE(spy.at(0).at(1).toInt(), 2);

    // Any button; after a descending sort the first line on screen is the last row index.
    m_grid->sortByColumnClick(1);
    m_grid->sortByColumnClick(1);
    QCOMPARE(column(1), QStringList({ u"d"_s, u"c"_s, u"b"_s, u"a"_s }));
    doubleClick(m_grid->viewport(), Qt::RightButton, cellPoint(1, 0));
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).toInt(), 0);
    QCOMPARE(spy.at(1).at(1).toInt(), 1);
    QCOMPARE(m_grid->Cells(1, spy.at(1).at(1).toInt()), u"c"_s);
}

void tst_RecordGrid::doubleClickOutsideCellsRaisesNothing_data()
{
    QTest::addColumn<bool>("onHeader");
    QTest::newRow("header") << true;
    QTest::newRow("empty area below the rows") << false;
}

void tst_RecordGrid::doubleClickOutsideCellsRaisesNothing()
{
    QFETCH(bool, onHeader);
    fill({ { u"10"_s, u"b"_s }, { u"9"_s, u"a"_s }, { u"100"_s, u"c"_s } });
    QSignalSpy spy(m_grid.get(), &RecordGrid::OnCellDblClick);
    if (onHeader) {
        doubleClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, headerPoint(0));
        // Sorted once, through the first click: ascending.
        QCOMPARE(m_grid->sortedColumn(), 0);
        QCOMPARE(m_grid->sortOrder(), Qt::AscendingOrder);
        QCOMPARE(column(0), QStringList({ u"9"_s, u"10"_s, u"100"_s }));
    } else {
        doubleClick(m_grid->viewport(), Qt::LeftButton, QPoint(20, m_grid->viewport()->height() - 5));
        doubleClick(m_grid->viewport(), Qt::LeftButton, QPoint(m_grid->viewport()->width() - 5, 5));
        QCOMPARE(m_grid->selectedRow(), -1);
    }
    QCOMPARE(spy.size(), 0);
}

void tst_RecordGrid::upDownSkipHiddenRows()
{
    fill({ { u"0"_s }, { u"1"_s }, { u"2"_s }, { u"3"_s }, { u"4"_s } });
    // No selection: the keys do nothing.
    m_grid->setFocus();
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_grid->selectedRow(), -1);

    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(0, 0));
    m_grid->setRowVisible(1, false);
    m_grid->setRowVisible(2, false);
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_grid->selectedRow(), 3);
    QTest::keyClick(m_grid.get(), Qt::Key_Up);
    QCOMPARE(m_grid->selectedRow(), 0);
    QTest::keyClick(m_grid.get(), Qt::Key_Up);
    QCOMPARE(m_grid->selectedRow(), 0);

    // Hiding the selected row keeps it selected; Down goes to the next visible row.
    m_grid->setRowVisible(0, false);
    QCOMPARE(m_grid->selectedRow(), 0);
    QVERIFY(m_grid->selectionModel()->selectedIndexes().isEmpty());
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_grid->selectedRow(), 3);
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_grid->selectedRow(), 4);
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_grid->selectedRow(), 4);

    // Every row hidden: nothing to move to, nothing breaks.
    m_grid->setRowsVisible({ 0, 0, 0, 0, 0 });
    QCOMPARE(m_grid->model()->rowCount(), 0);
    QTest::keyClick(m_grid.get(), Qt::Key_Up);
    QTest::keyClick(m_grid.get(), Qt::Key_PageDown);
    QCOMPARE(m_grid->selectedRow(), 4);
    m_grid->setRowVisible(4, true);
    QCOMPARE(m_grid->selectionModel()->selectedIndexes().size(), 1);
}

void tst_RecordGrid::keysReachOwnerFirst_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+A") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("letter, no type-ahead") << int(Qt::Key_C) << Qt::KeyboardModifiers();
    QTest::newRow("F2, no editing") << int(Qt::Key_F2) << Qt::KeyboardModifiers();
    QTest::newRow("Down") << int(Qt::Key_Down) << Qt::KeyboardModifiers();
}

void tst_RecordGrid::keysReachOwnerFirst()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    fill({ { u"1"_s, u"a"_s }, { u"2"_s, u"b"_s }, { u"3"_s, u"c"_s } });
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(0, 1));
    int selectedWhenHeard = -2;
    QList<int> heard;
    connect(m_grid.get(), &RecordGrid::OnKeyDown, this, [&](QKeyEvent *event) {
        if (event->key() != key)
            return; // the modifier keys themselves
        heard << event->key();
        QCOMPARE(event->modifiers(), modifiers);
        selectedWhenHeard = m_grid->selectedRow();
    });
    QTest::keyClick(m_grid.get(), Qt::Key(key), modifiers);
    QCOMPARE(heard, QList<int>({ key }));
    QCOMPARE(selectedWhenHeard, 0);
    QCOMPARE(m_grid->selectedRow(), key == Qt::Key_Down ? 1 : 0);
    QCOMPARE(m_grid->selectionModel()->selectedIndexes().size(), 1);
    QVERIFY(!m_grid->isPersistentEditorOpen(m_grid->currentIndex()));
}

void tst_RecordGrid::headerClickSorts_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("sorted");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("numeric ascending") << QList<int> { 0 } << 0 << Qt::AscendingOrder
                                       << QStringList { u"9"_s, u"10"_s, u"100"_s, u"100"_s };
    QTest::newRow("numeric flipped") << QList<int> { 0, 0 } << 0 << Qt::DescendingOrder
                                     << QStringList { u"100"_s, u"100"_s, u"10"_s, u"9"_s };
    QTest::newRow("flipped back") << QList<int> { 0, 0, 0 } << 0 << Qt::AscendingOrder
                                  << QStringList { u"9"_s, u"10"_s, u"100"_s, u"100"_s };
    QTest::newRow("alphabetic over numbers") << QList<int> { 1 } << 1 << Qt::AscendingOrder
                                             << QStringList { u"100"_s, u"10"_s, u"9"_s, u"100"_s };
    QTest::newRow("other column starts ascending") << QList<int> { 0, 0, 2 } << 2 << Qt::AscendingOrder
                                                   << QStringList { u"10"_s, u"100"_s, u"100"_s, u"9"_s };
}

void tst_RecordGrid::headerClickSorts()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, sorted);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, ids);
    // id, Name, count
    fill({ { u"10"_s, u"B"_s, u"-1"_s }, { u"9"_s, u"a"_s, u"7.5"_s }, { u"100"_s, u"A"_s, u"2"_s },
           { u"100"_s, u"b"_s, u"2.5"_s } });
    for (int col : clicks)
        QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(col));
    QCOMPARE(m_grid->sortedColumn(), sorted);
    QCOMPARE(m_grid->sortOrder(), order);
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorSection(), sorted);
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorOrder(), order);
    QCOMPARE(column(0), ids);
    QVERIFY(m_boxText.isEmpty());
}

void tst_RecordGrid::flipAfterChangeSortsAnew()
{
    fill({ { u"3"_s, u"c"_s }, { u"1"_s, u"a"_s }, { u"2"_s, u"b"_s } });
    m_grid->sortByColumnClick(1);
    QCOMPARE(column(1), QStringList({ u"a"_s, u"b"_s, u"c"_s }));
    // A cell change makes the flip a real sort, not a reversal of the old order.
    m_grid->setCells(1, 0, u"z"_s);
    m_grid->sortByColumnClick(1);
    QCOMPARE(column(1), QStringList({ u"z"_s, u"c"_s, u"b"_s }));
    // Rows added while sorted are not sorted in, and the next flip sorts them.
    m_grid->AddRow(1);
    m_grid->setCells(1, 3, u"m"_s);
    QCOMPARE(column(1), QStringList({ u"z"_s, u"c"_s, u"b"_s, u"m"_s }));
    m_grid->sortByColumnClick(1);
    QCOMPARE(column(1), QStringList({ u"b"_s, u"c"_s, u"m"_s, u"z"_s }));
    // A loader's direct writes count as changes as well.
    m_grid->beginBulkChange();
    m_grid->store().setTextCp1251(1, 0, "y", 1);
    m_grid->endBulkChange();
    m_grid->sortByColumnClick(1);
    QCOMPARE(column(1), QStringList({ u"z"_s, u"y"_s, u"m"_s, u"c"_s }));
}

void tst_RecordGrid::numericSortErrorIsShown_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty cell") << QStringList { u"5"_s, QString(), u"1"_s }
                                << u"'' is not a valid floating point value."_s;
    QTest::newRow("not a number") << QStringList { u"5"_s, u"1"_s, u"12 a"_s }
                                  << u"'12 a' is not a valid floating point value."_s;
}

void tst_RecordGrid::numericSortErrorIsShown()
{
    QFETCH(QStringList, ids);
    QFETCH(QString, shown);
    fill({ { ids[0], u"x"_s }, { ids[1], u"y"_s }, { ids[2], u"z"_s } });
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(1));
    QCOMPARE(m_grid->sortedColumn(), 1);
    m_grid->setRowVisible(1, false);
    catchMessageBox();
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(0));
    QCOMPARE(m_boxText, shown);
    // Order, sort state, arrow and hidden flag as before.
    QCOMPARE(column(0), ids);
    QCOMPARE(m_grid->sortedColumn(), 1);
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorSection(), 1);
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    QVERIFY(!m_grid->rowVisible(1));
    QCOMPARE(m_grid->model()->rowCount(), 2);
}

void tst_RecordGrid::hiddenRowsAndSelectionThroughSorting()
{
    fill({ { u"5"_s, u"e"_s }, { u"4"_s, u"d"_s }, { u"3"_s, u"c"_s }, { u"2"_s, u"b"_s }, { u"1"_s, u"a"_s } });
    m_grid->setRowVisible(2, false);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(3, 1)); // row 4, "a"
    QCOMPARE(m_grid->selectedRow(), 4);
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(0));
    QCOMPARE(m_grid->RowCount(), 5);
    QCOMPARE(column(1), QStringList({ u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s }));
    QCOMPARE(m_grid->selectedRow(), 0);
    QCOMPARE(m_grid->Cells(1, m_grid->selectedRow()), u"a"_s);
    QVERIFY(!m_grid->rowVisible(2));
    QCOMPARE(m_grid->model()->rowCount(), 4);
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(0));
    QCOMPARE(column(1), QStringList({ u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s }));
    QCOMPARE(m_grid->Cells(1, m_grid->selectedRow()), u"a"_s);
    QVERIFY(!m_grid->rowVisible(2));
    const QModelIndexList selected = m_grid->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(m_grid->gridModel()->storeRow(selected.front().row()), 4);
}

void tst_RecordGrid::clearRowsWhileSorted()
{
    fill({ { u"2"_s, u"b"_s }, { u"1"_s, u"a"_s } });
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(1, 1));
    m_grid->sortByColumnClick(1);
    m_grid->ClearRows();
    QCOMPARE(m_grid->RowCount(), 0);
    QCOMPARE(m_grid->model()->rowCount(), 0);
    QCOMPARE(m_grid->selectedRow(), -1);
    QVERIFY(m_grid->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(m_grid->sortedColumn(), 1);
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorSection(), 1);

    // A load into the cleared grid through the store: no selection comes back.
    m_grid->beginBulkChange();
    m_grid->store().clearRows();
    m_grid->store().addRows(3);
    for (int r = 0; r < 3; ++r)
        m_grid->store().setTextCp1251(1, r, r == 1 ? "a" : "c", 1);
    m_grid->endBulkChange();
    QCOMPARE(m_grid->selectedRow(), -1);
    QCOMPARE(column(1), QStringList({ u"c"_s, u"a"_s, u"c"_s }));
    m_grid->sortByColumnClick(1);
    QCOMPARE(column(1), QStringList({ u"c"_s, u"c"_s, u"a"_s }));
    QCOMPARE(m_grid->sortOrder(), Qt::DescendingOrder);
}

void tst_RecordGrid::sortScrollsSelectionIntoView()
{
    const int n = 300;
    m_grid->AddRow(n);
    for (int r = 0; r < n; ++r)
        m_grid->setCells(0, r, QString::number(r));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(1, 0)); // row 1
    QCOMPARE(m_grid->verticalScrollBar()->value(), 0);
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(0));
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, headerPoint(0));
    QCOMPARE(m_grid->sortOrder(), Qt::DescendingOrder);
    QCOMPARE(m_grid->selectedRow(), n - 2);
    QCOMPARE(m_grid->Cells(0, n - 2), u"1"_s);
    QVERIFY(m_grid->verticalScrollBar()->value() > 0);
    const QRect shown = m_grid->visualRect(m_grid->model()->index(n - 2, 0));
    QVERIFY(m_grid->viewport()->rect().contains(shown));
    // New rows neither move the selection nor scroll.
    const int scrolled = m_grid->verticalScrollBar()->value();
    m_grid->AddRow(5);
    QCOMPARE(m_grid->selectedRow(), n - 2);
    QCOMPARE(m_grid->verticalScrollBar()->value(), scrolled);
}

void tst_RecordGrid::filterThroughGrid()
{
    fill({ { u"1"_s, u"Long Sword"_s }, { u"2"_s, u"Bow"_s }, { u"3"_s, u"sword"_s } });
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(1, 1));
    FilterRows(*m_grid, 1, u"SWO"_s);
    QCOMPARE(m_grid->model()->rowCount(), 2);
    QCOMPARE(m_grid->selectedRow(), 1);
    QVERIFY(m_grid->selectionModel()->selectedIndexes().isEmpty());
    QSignalSpy spy(m_grid.get(), &RecordGrid::OnCellDblClick);
    doubleClick(m_grid->viewport(), Qt::LeftButton, cellPoint(1, 1));
    QCOMPARE(spy.at(0).at(1).toInt(), 2);
    FilterRows(*m_grid, 1, QString());
    QCOMPARE(m_grid->model()->rowCount(), 3);
}

void tst_RecordGrid::headerDragKeepsColumnIndex()
{
    fill({ { u"1"_s, u"a"_s, u"5"_s } });
    QHeaderView *header = m_grid->horizontalHeader();
    QWidget *port = header->viewport();
    const QPoint from = headerPoint(0);
    const QPoint to = headerPoint(2) + QPoint(10, 0);
    QTest::mousePress(port, Qt::LeftButton, {}, from);
    for (int x = from.x() + 4; x <= to.x(); x += 8)
        QTest::mouseMove(port, QPoint(x, from.y()));
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    QCOMPARE(header->visualIndex(0), 2);
    QCOMPARE(m_grid->sortedColumn(), -1);
    QCOMPARE(header->sortIndicatorSection(), -1);
    QSignalSpy spy(m_grid.get(), &RecordGrid::OnCellDblClick);
    doubleClick(m_grid->viewport(), Qt::LeftButton, cellPoint(0, 0));
    QCOMPARE(spy.at(0).at(0).toInt(), 0);
    QCOMPARE(m_grid->Cells(0, 0), u"1"_s);
}

void tst_RecordGrid::headerPressThatMoves_data()
{
    // Offsets from the press, the last one where the button is released.
    QTest::addColumn<QList<QPoint>>("path");
    QTest::addColumn<bool>("sorts");
    const int drag = QApplication::startDragDistance();
    QTest::newRow("3 pixels") << QList<QPoint>{{3, 0}} << true;
    QTest::newRow("6 pixels and back") << QList<QPoint>{{6, 0}, {0, 0}} << true;
    QTest::newRow("just under the drag distance") << QList<QPoint>{{drag - 1, 0}} << true;
    QTest::newRow("6 pixels down") << QList<QPoint>{{0, 6}} << true;
    QTest::newRow("drag distance and back") << QList<QPoint>{{drag, 0}, {0, 0}} << false;
}

void tst_RecordGrid::headerPressThatMoves()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(bool, sorts);
    fill({ { u"2"_s }, { u"1"_s }, { u"3"_s } });
    m_grid->sortByColumnClick(0);
    QWidget *port = m_grid->horizontalHeader()->viewport();
    const QPoint at = headerPoint(0);
    QTest::mousePress(port, Qt::LeftButton, {}, at);
    for (const QPoint &step : path)
        QTest::mouseMove(port, at + step);
    QTest::mouseRelease(port, Qt::LeftButton, {}, at + path.last());

    // A press either sorts or drags, and the arrow always tells the grid's own state.
    QCOMPARE(m_grid->sortOrder(), sorts ? Qt::DescendingOrder : Qt::AscendingOrder);
    QCOMPARE(column(0), sorts ? QStringList({ u"3"_s, u"2"_s, u"1"_s }) : QStringList({ u"1"_s, u"2"_s, u"3"_s }));
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorSection(), 0);
    QCOMPARE(m_grid->horizontalHeader()->sortIndicatorOrder(), m_grid->sortOrder());
    QCOMPARE(m_grid->horizontalHeader()->visualIndex(0), 0);
}

void tst_RecordGrid::look()
{
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, QColor(200, 210, 220));
    palette.setColor(QPalette::Button, QColor(180, 170, 160));
    m_grid->setPalette(palette);
    m_grid->setSortedColumnStyle(SortedColumnStyle::Darker);
    fill({ { u"1"_s, u"a"_s }, { u"2"_s, u"b"_s } });
    m_grid->sortByColumnClick(1);
    QCOMPARE(m_grid->rowHeight(0), 16);
    QCOMPARE(m_grid->horizontalHeader()->height(), 18);
    QCOMPARE(m_grid->horizontalHeader()->sectionSize(1), 120);

    const auto pixel = [this](QPoint at) { return m_grid->viewport()->grab().toImage().pixelColor(at); };
    const QRect plainCell = m_grid->visualRect(m_grid->model()->index(0, 0));
    const QRect sortedCell = m_grid->visualRect(m_grid->model()->index(0, 1));
    QCOMPARE(pixel(sortedCell.topRight() - QPoint(2, -2)), QColor(244, 244, 244));
    QCOMPARE(pixel(plainCell.topLeft() + QPoint(2, 2)), QColor(Qt::white));
    // Below the rows: the cells' own background, not the window's grey.
    const QPoint belowRows(5, m_grid->viewport()->height() - 3);
    QCOMPARE(pixel(belowRows), QColor(Qt::white));
    m_grid->setEmptyAreaColor(QPalette::Button);
    QCOMPARE(pixel(belowRows), QColor(180, 170, 160));
    // The selected cell shows the selection colour while the grid has the
    // focus, and is not darkened without it.
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, sortedCell.center());
    QVERIFY(m_grid->hasFocus());
    QCOMPARE(pixel(sortedCell.topRight() - QPoint(2, -2)), palette.color(QPalette::Active, QPalette::Highlight));
    m_grid->clearFocus();
    QCOMPARE(pixel(sortedCell.topRight() - QPoint(2, -2)), QColor(Qt::white));
    m_grid->setSortedColumnStyle(SortedColumnStyle::Plain);
    const QRect secondRow = m_grid->visualRect(m_grid->model()->index(1, 1));
    QCOMPARE(pixel(secondRow.topRight() - QPoint(2, -2)), QColor(Qt::white));
}

void tst_RecordGrid::modelTester()
{
    QAbstractItemModelTester tester(m_grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int n = 2000;
    m_grid->beginBulkChange();
    m_grid->store().addRows(n);
    for (int r = 0; r < n; ++r) {
        const QByteArray id = QByteArray::number((r * 7919) % n);
        m_grid->store().setTextCp1251(0, r, id.constData(), static_cast<std::size_t>(id.size()));
        const QByteArray name = "Item " + QByteArray::number(r % 97);
        m_grid->store().setTextCp1251(1, r, name.constData(), static_cast<std::size_t>(name.size()));
    }
    m_grid->endBulkChange();
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cellPoint(2, 0));
    FilterRows(*m_grid, 1, u"item 1"_s);
    m_grid->sortByColumnClick(0);
    m_grid->sortByColumnClick(0);
    m_grid->setRowVisible(5, !m_grid->rowVisible(5));
    m_grid->setRowVisible(6, !m_grid->rowVisible(6));
    m_grid->AddRow(3);
    m_grid->setCells(1, n, u"Item 1 new"_s);
    FilterRows(*m_grid, 1, QString());
    QCOMPARE(m_grid->model()->rowCount(), n + 3);
    std::vector<std::uint8_t> none(static_cast<std::size_t>(n + 3), 0);
    m_grid->setRowsVisible(none);
    QCOMPARE(m_grid->model()->rowCount(), 0);
    m_grid->ClearRows();
    QCOMPARE(m_grid->model()->rowCount(), 0);
}

QTEST_MAIN(tst_RecordGrid)
#include "tst_recordgrid.moc"
