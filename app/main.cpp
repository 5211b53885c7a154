#include "app/Main.h"
#include "app/ShutdownWiring.h"

#include <QApplication>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenmark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quenmark"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));

    TForm1 form;
    // The exit files are written also when the session ends, the process is asked to stop or the display goes.
    ShutdownWiring shutdown(form);

    form.show();
    return app.exec();
}
