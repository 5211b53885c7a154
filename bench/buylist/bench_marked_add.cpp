// 200 catalogue rows marked with a click and a Shift+click, then one press of
// "Добавить": grid rows, script blocks mirrored into the editor, orders and
// 200 log lines, until the window has painted. And the same through a pasted list.
#include "app/Main.h"
#include "buylist/BuylistPage.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 20000;
constexpr int kMarked = 200;

void fillCatalogue(RecordGrid *grid)
{
    grid->beginBulkChange();
    grid->AddRow(kRows);
    for (int row = 0; row < kRows; ++row) {
        grid->setCells(0, row, QString::number(row + 1));
        grid->setCells(1, row, u"sword"_s);
        grid->setCells(2, row, u"Меч рассвета "_s + QString::number(row + 1));
        grid->setCells(3, row, u"d"_s);
        grid->setCells(4, row, QString::number(100 + row % 5000));
        grid->setCells(5, row, u"true"_s);
    }
    grid->endBulkChange();
}

void clickRow(RecordGrid *grid, int row, Qt::KeyboardModifiers mods)
{
    const QModelIndex index = grid->model()->index(grid->gridModel()->viewRow(row), 0);
    grid->scrollTo(index);
    QApplication::processEvents();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, grid->visualRect(index).center());
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TForm1 form(dir.path());
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.findChild<QTabWidget *>(u"PageControl1"_s)->setCurrentIndex(3);
    auto *grid = form.findChild<RecordGrid *>(u"NextGrid2"_s);
    auto *add = form.findChild<QWidget *>(u"Button6"_s);
    form.findChild<QLineEdit *>(u"shopEdit"_s)->setText(u"7"_s);
    fillCatalogue(grid);
    QApplication::processEvents();

    std::vector<double> marked;
    for (int round = 0; round < 5; ++round) {
        const int first = round * kMarked;
        clickRow(grid, first, Qt::NoModifier);
        clickRow(grid, first + kMarked - 1, Qt::ShiftModifier);
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(add, Qt::LeftButton);
        QApplication::processEvents();
        marked.push_back(timer.nsecsElapsed() / 1e6);
    }

    auto *page = form.findChild<BuylistPage *>();
    QString list;
    for (int i = 0; i < kMarked; ++i)
        list += QString::number(5000 + i) + u'\t' + QString::number(10 + i) + u"\r\n"_s;
    std::vector<double> pasted;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        page->pasteList(list);
        QApplication::processEvents();
        pasted.push_back(timer.nsecsElapsed() / 1e6);
    }
    const int lines = int(form.findChild<QWidget *>(u"Memo2"_s) ? form.ShopRowIndex() + 1 : 0) * 3;
    std::printf("add-200-marked-rows: %.1f ms median of 5, first %.1f ms (target <= 200 ms)\n", median(marked),
                marked.front());
    std::printf("paste-200-lines: %.1f ms median of 5 (target <= 200 ms)\n", median(pasted));
    std::printf("script-lines-at-end: %d\n", lines);
    form.hide();
    return 0;
}
