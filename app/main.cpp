#include "app/Main.h"
#include "app/QuitSignals.h"

#include <QApplication>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenmark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quenmark"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));

    TForm1 form;
    // The exit files are written also when the desktop session ends or the process is asked to stop.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form] { form.FormClose(false); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.FormClose(false); });
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &form, [&form] { form.close(); });

    form.show();
    return app.exec();
}
