#include "app/runend/ShutdownWiring.h"

#include "app/Main.h"

#include <QGuiApplication>

ShutdownWiring::ShutdownWiring(TForm1 &form)
    : m_abruptExit([&form] { form.FormClose(false); })
{
    connect(qApp, &QGuiApplication::commitDataRequest, &form, [&form] { form.FormSessionSave(); });
    connect(qApp, &QCoreApplication::aboutToQuit, &form, [&form] { form.FormClose(false); });
    connect(&m_quitSignals, &QuitSignals::quitRequested, &form, [&form] {
        form.FormClose(false);
        // exit, not quit: nothing may hold the end up, and the boxes of a close
        // already under way return at once.
        QCoreApplication::exit(0);
    });
}
