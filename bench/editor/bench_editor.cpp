// Prints `figure-name: value unit (target ...)` for the script editor:
//  - a 100k-line script set into a shown editor, to the end of its first paint;
//  - one script block mirrored (three mirrorPane calls, one line more each) at
//    300 and at 30k script lines, without and with the repaint that follows;
//  - a key typed at the end of the 30k-line script, to its repaint.

#include "editor/SqlEditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The three lines of the n-th generated script block.
QStringList scriptBlock(int n)
{
    if (n % 10 == 0)
        return {u"#npc  Торговец %1"_s.arg(n),
                u"INSERT INTO `npc` VALUES (%1,30001,'Trader %1','Торговец',NULL,1,'it\\'s',0.5);"_s.arg(n), QString()};
    return {u"#buylist  %1  Меч Ветра %1"_s.arg(n),
            u"INSERT INTO `merchant_buylists` VALUES (%1,100,%2,1,-1,-1,0,0);"_s.arg(n).arg(n % 97), QString()};
}

QStringList script(int lines)
{
    QStringList out;
    out.reserve(lines);
    for (int n = 0; out.size() < lines; ++n)
        out << scriptBlock(n);
    out.resize(lines);
    return out;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void print(const char *name, double value, const char *unit, const QString &target)
{
    std::printf("%s: %.3f %s (target %s)\n", name, value, unit, qPrintable(target));
    std::fflush(stdout);
}

struct BlockCost
{
    double mirror;     // the three mirror calls
    double withPaint;  // the same plus the repaint that follows
};

BlockCost blockCost(SqlEditor &ed, int startLines)
{
    QStringList pane = script(startLines);
    ed.mirrorPane({u"-- start"_s});
    ed.mirrorPane(pane);
    ed.viewport()->repaint();
    std::vector<double> mirror;
    std::vector<double> painted;
    for (int b = 0; b < 200; ++b) {
        const QStringList block = scriptBlock(startLines / 3 + b);
        QElapsedTimer t;
        t.start();
        for (const QString &line : block) {
            pane.append(line);
            ed.mirrorPane(pane);
        }
        const qint64 mirrored = t.nsecsElapsed();
        ed.viewport()->repaint();
        const qint64 all = t.nsecsElapsed();
        mirror.push_back(double(mirrored) / 1e6);
        painted.push_back(double(all) / 1e6);
    }
    return {median(mirror), median(painted)};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SqlEditor ed;
    ed.resize(825, 417);
    ed.show();
    QApplication::processEvents();

    // 100k lines into the editor, to first paint. The editor held another text
    // before, so this is the full replacement, as after an edit by the operator.
    {
        const QStringList big = script(100000);
        QStringList other = big;
        other[0] = u"#other"_s;
        std::vector<double> runs;
        for (int i = 0; i < 7; ++i) {
            ed.mirrorPane(i % 2 ? other : QStringList{u"x"_s});
            ed.viewport()->repaint();
            QElapsedTimer t;
            t.start();
            ed.mirrorPane(big);
            ed.viewport()->repaint();
            runs.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        print("editor-set-100k-lines-to-first-paint", median(runs), "ms", u"<= 50 ms"_s);

        QElapsedTimer t;
        t.start();
        ed.SendScintilla(QsciScintilla::SCI_COLOURISE, 0UL, -1L);
        print("editor-style-all-100k-lines", double(t.nsecsElapsed()) / 1e6, "ms", u"information"_s);
    }

    const BlockCost small = blockCost(ed, 300);
    const BlockCost large = blockCost(ed, 30000);
    // The operator typing at the end of the 30k-line script, each key to its repaint.
    std::vector<double> keys;
    ed.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    ed.viewport()->repaint();
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QApplication::sendEvent(&ed, &press);
        ed.viewport()->repaint();
        keys.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    print("editor-mirror-block-300-lines", small.mirror, "ms", u"<= 2 ms"_s);
    print("editor-mirror-block-30k-lines", large.mirror, "ms", u"<= 2 ms"_s);
    print("editor-mirror-block-growth-30k-vs-300", large.mirror / small.mirror, "x", u"<= 1.5 x"_s);
    print("editor-mirror-block-and-paint-300-lines", small.withPaint, "ms", u"<= 2 ms"_s);
    print("editor-mirror-block-and-paint-30k-lines", large.withPaint, "ms", u"<= 2 ms"_s);
    print("editor-mirror-block-and-paint-growth-30k-vs-300", large.withPaint / small.withPaint, "x", u"<= 1.5 x"_s);
    print("editor-keystroke-at-end-30k-lines", median(keys), "ms", u"information"_s);
    return 0;
}
