// Checks a script of 10,000 buylist entries over 100 shops (30,000 lines) by
// pressing "Проверить", from the click to the editor painted with its marks,
// and compares it with the stock client running the same script inside a
// transaction that it rolls back, on a scratch copy of the tables.
//
// The server's socket comes from MYSQL_UNIX_PORT (eval "$(scripts/db env)").

#include "app/EditorPage.h"
#include "base/ScriptEntries.h"
#include "db/DbShell.h"
#include "check/ScriptCheck.h"
#include "db/Connection.h"
#include "editor/SqlEditor.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int repeats = 5;
const QByteArray scratchDatabase = "qm_check_scratch";

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// This process's processor time: what the check costs on this side, whatever
// else the machine is doing (the wall-clock figures include the server's share
// and every wait for the processor).
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class BenchShell : public DbShell
{
public:
    void LogEvent(const QString &line) override { lastLine = line; }
    const QString &refreshTimeStr() override { return m_time; }
    const QString &TimeStr() const override { return m_time; }
    void AppendScriptBlock(const QString &, const QString &) override {}
    ScriptEntries &scriptEntries() override { return entries; }
    DbConnection &connection() override { return db; }
    int &ShopRowIndex() override { return m_row; }
    QWidget *dialogParent() override { return nullptr; }

    DbConnection db;
    QString lastLine;
    ScriptEntries entries;

private:
    QString m_time = u"12:00:00"_s;
    int m_row = -1;
};

// 100 shops of 100 entries as the buylist page writes them; one entry in a
// hundred names an item that no table holds, so the check has marks to paint.
QStringList buylistScript()
{
    QStringList lines;
    for (int shop = 0; shop < 100; ++shop) {
        for (int order = 1; order <= 100; ++order) {
            const int n = shop * 100 + order;
            const int item = n % 100 == 0 ? 9000000 + n : 100 + n % 1000;
            lines << u"#weapon  Item %1"_s.arg(item)
                  << u"INSERT INTO `merchant_buylists` VALUES (%1,%2,%3,%4,-1,-1,0,0);"_s.arg(item).arg(10 * item)
                         .arg(20000 + shop).arg(order)
                  << QString();
        }
    }
    return lines;
}

int runClient(const QList<QByteArray> &args, const QByteArray &input)
{
    QStringList arguments{u"--no-defaults"_s, u"--socket="_s + qEnvironmentVariable("MYSQL_UNIX_PORT"),
                          u"--user=root"_s, u"--password=kelp"_s, u"--default-character-set=cp1251"_s};
    for (const QByteArray &a : args)
        arguments << QString::fromUtf8(a);
    QProcess client;
    client.setStandardOutputFile(QProcess::nullDevice());
    client.start(u"mariadb"_s, arguments);
    client.write(input);
    client.closeWriteChannel();
    client.waitForFinished(-1);
    return client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BenchShell shell;
    shell.db.connect(u"localhost"_s, u"root"_s, u"kelp"_s);
    if (shell.db.errorNumber() != 0 || shell.db.selectDatabase(u"vosteldb"_s) != 0) {
        std::fprintf(stderr, "bench_check: %s\n", qPrintable(shell.db.errorText()));
        return 1;
    }
    const QStringList script = buylistScript();

    EditorPage page(shell);
    page.resize(850, 470);
    page.show();
    SqlEditor *editor = page.SynMemo1();
    editor->mirrorPane(script);
    QPushButton *button = page.findChild<QPushButton *>(u"Button9"_s);
    QApplication::processEvents();

    std::vector<double> clicks, clickCpu, checks;
    for (int i = 0; i < repeats; ++i) {
        const Clock::time_point start = Clock::now();
        const double cpuStart = cpuMs();
        button->click();
        editor->viewport()->repaint();
        clicks.push_back(msSince(start));
        clickCpu.push_back(cpuMs() - cpuStart);
        QApplication::processEvents();

        const Clock::time_point checkStart = Clock::now();
        const ScriptCheckResult result = checkScript(script, shell.db);
        checks.push_back(msSince(checkStart));
        if (result.warnings != 100 || result.errors != 0) {
            std::fprintf(stderr, "bench_check: unexpected findings: %s\n", qPrintable(shell.lastLine));
            return 1;
        }
    }

    // The stock client on a scratch copy: the same statements in a transaction, rolled back.
    QByteArray setup = "DROP DATABASE IF EXISTS " + scratchDatabase + "; CREATE DATABASE " + scratchDatabase + ";";
    for (const char *table : {"npc", "merchant_shopids", "merchant_buylists", "weapon", "armor", "etcitem"})
        setup += QByteArray("CREATE TABLE ") + scratchDatabase + '.' + table + " LIKE vosteldb." + table + ';';
    if (runClient({}, setup) != 0) {
        std::fprintf(stderr, "bench_check: the scratch copy could not be made\n");
        return 1;
    }
    const QByteArray input = "START TRANSACTION;\n" + script.join(u'\n').toUtf8() + "\nROLLBACK;\n";
    std::vector<double> clients;
    for (int i = 0; i < repeats; ++i) {
        const Clock::time_point start = Clock::now();
        if (runClient({"--database=" + scratchDatabase}, input) != 0) {
            std::fprintf(stderr, "bench_check: the mariadb client failed\n");
            return 1;
        }
        clients.push_back(msSince(start));
    }
    runClient({}, "DROP DATABASE " + scratchDatabase + ";");

    const double click = median(clicks);
    const double client = median(clients);
    std::printf("check-30k-click-to-painted: %.0f ms (%lld lines, 100 marks; target <= 1000 ms)\n", click,
                qlonglong(script.size()));
    std::printf("check-30k-click-cpu: %.0f ms (processor time of this process for the same)\n", median(clickCpu));
    std::printf("check-30k-check-only: %.0f ms (statements, metadata, batched lookups)\n", median(checks));
    std::printf("check-30k-client-rollback: %.0f ms (mariadb, START TRANSACTION ... ROLLBACK on a scratch copy)\n",
                client);
    std::printf("check-30k-vs-client: %.2f x client (for scale, no target)\n", click / client);
    return 0;
}
