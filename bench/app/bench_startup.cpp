// Start to window shown: from the process's start (as the kernel counts it)
// to the main window's first paint, against the command-line client's start
// to its first answer (`mariadb --version`) in the same run.
#include "app/Main.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since this process started.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

class FirstPaint : public QObject
{
public:
    double at = -1;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && at < 0)
            at = msSinceProcessStart();
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        TForm1 form(QDir::tempPath() + QStringLiteral("/qm-bench-startup"));
        FirstPaint paint;
        form.installEventFilter(&paint);
        form.show();
        while (paint.at < 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("%.1f\n", paint.at);
        return 0;
    }

    constexpr int runs = 7;
    auto median = [](QList<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    QList<double> window, client;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--child")});
        child.waitForFinished(30000);
        window << child.readAllStandardOutput().trimmed().toDouble();
        QElapsedTimer timer;
        timer.start();
        QProcess mariadb;
        mariadb.start(QStringLiteral("mariadb"), {QStringLiteral("--version")});
        mariadb.waitForFinished(30000);
        client << timer.nsecsElapsed() / 1e6;
    }
    const double w = median(window), c = median(client);
    std::printf("startup-to-window-shown: %.1f ms (target <= 300 ms)\n", w);
    std::printf("startup-client-version: %.1f ms (mariadb --version, for scale)\n", c);
    std::printf("startup-ratio-to-client: %.1f x\n", w / c);
    return 0;
}
