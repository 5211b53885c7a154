#include "app/runend/ShutdownWiring.h"

#include "app/Main.h"

#include <QGuiApplication>

namespace {

// The display plugin ends the process with this status when the display goes.
constexpr int displayLostStatus = 1;

} // namespace

ShutdownWiring::ShutdownWiring(TForm1 &form)
    : m_abruptExit([&form] { form.FormClose(false, displayLostStatus); })
{
    connect(qApp, &QGuiApplication::commitDataRequest, &form, [&form] { form.FormSessionSave(); });
    connect(qApp, &QCoreApplication::aboutToQuit, &form, [&form] { form.FormClose(false); });
    connect(&m_quitSignals, &QuitSignals::quitRequested, &form, [&form](int signal) {
        // As a shell reports a process ended by a signal, once the files are written.
        const int status = 128 + signal;
        form.FormClose(false, status);
        // exit, not quit: nothing may hold the end up, and the boxes of a close
        // already under way (and the wait of a load or a check) return at once.
        QCoreApplication::exit(status);
    });
}
