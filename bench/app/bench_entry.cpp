// One buylist entry (grid row, three pane lines mirrored into the editor, the
// order count-up and the log line) at 300 and at 30,000 script lines.
#include "app/Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// Mean cost in ms of one press of "Добавить" once the script holds `lines` lines.
double entryCost(int lines)
{
    QTemporaryDir dir;
    TForm1 form(dir.path());
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return -1;
    auto *add = form.findChild<QPushButton *>(QStringLiteral("Button6"));
    while (form.findChild<QWidget *>(QStringLiteral("Memo2")) && (form.ShopRowIndex() + 1) * 3 < lines)
        add->click();
    QApplication::processEvents();
    constexpr int samples = 200;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < samples; ++i) {
        add->click();
        QApplication::processEvents();
    }
    const double ms = timer.nsecsElapsed() / 1e6 / samples;
    form.hide();
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const double small = entryCost(300);
    const double large = entryCost(30000);
    std::printf("entry-at-300-lines: %.3f ms (target <= 2 ms)\n", small);
    std::printf("entry-at-30k-lines: %.3f ms (target <= 2 ms)\n", large);
    std::printf("entry-growth-30k-vs-300: %.2f x (target <= 1.5 x)\n", large / small);
    return 0;
}
