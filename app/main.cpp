#include "app/BaseFont.h"
#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/runend/JournalWiring.h"
#include "app/runend/ShutdownWiring.h"
#include "ssh/AskpassClient.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Run by ssh as its askpass helper: hand its question to the program that started it.
    if (const std::optional<int> exitCode = answerSshAskpass(argc, argv))
        return *exitCode;
    QCoreApplication::setApplicationName(QStringLiteral("Quenmark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QM_VERSION));
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quenmark"));
    QGuiApplication::setDesktopFileName(QStringLiteral(QM_APP_ID));
    if (const QString problem = useBaseFont(); !problem.isEmpty())
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());

    TForm1 form;
    // The exit files are written also when the session ends, the process is asked to stop or the display goes.
    ShutdownWiring shutdown(form);
    // Runs ended by a kill or a crash get their exit files; this one is journaled as it goes.
    RunJournal journal(form);

    form.show();
    return app.exec();
}
