#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// The real program's command line, run with no display at all: what it
// answers must come before any window system is touched.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
};

void tst_CommandLine::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString version = u"^Quenmark \\d+\\.\\d+(\\.\\d+)?\\n$"_s;
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << version << u"^$"_s;
    QTest::newRow("-v") << QStringList{u"-v"_s} << 0 << version << u"^$"_s;
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"Usage: .*quenmark.*--version"_s << u"^$"_s;
    QTest::newRow("toolkit option passes") << QStringList{u"-platform"_s, u"offscreen"_s, u"--version"_s} << 0
                                           << version << u"^$"_s;
    QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << 2 << u"^$"_s << u"'bogus'.*--help"_s;
    QTest::newRow("stray argument") << QStringList{u"script.sql"_s} << 2 << u"^$"_s << u"'script.sql'"_s;
    QTest::newRow("--help-all is unknown") << QStringList{u"--help-all"_s} << 2 << u"^$"_s << u"help-all"_s;
}

void tst_CommandLine::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        env.remove(name);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QString::fromLocal8Bit(qgetenv("QM_EXECUTABLE")), arguments);
    QVERIFY(program.waitForFinished(20000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, qPrintable(stdErr));
    QVERIFY2(QRegularExpression(out, QRegularExpression::DotMatchesEverythingOption).match(stdOut).hasMatch(),
             qPrintable(stdOut));
    QVERIFY2(QRegularExpression(err, QRegularExpression::DotMatchesEverythingOption).match(stdErr).hasMatch(),
             qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
