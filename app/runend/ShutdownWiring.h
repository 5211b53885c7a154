#pragma once

#include "app/runend/AbruptExitGuard.h"
#include "app/runend/QuitSignals.h"

#include <QObject>

class TForm1;

// Ties every way a run can end to the window's shutdown (TForm1::FormClose:
// the exit files, then the work on the connection stopped, then the connection
// closed), so the exit files are written on each: the application quitting; a
// session save (files written, the run goes on); SIGTERM, SIGHUP or SIGINT (a
// close nobody watches, then the event loop ends at once, the process with
// 128 + the signal's number); the display going away (files written before the
// process ends). The operator's own close is the window's close event.
// Lives in main, after the window and before the event loop.
class ShutdownWiring : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownWiring(TForm1 &form);

private:
    AbruptExitGuard m_abruptExit;
    QuitSignals m_quitSignals;
};
