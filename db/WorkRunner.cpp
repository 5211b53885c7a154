#include "db/WorkRunner.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "base/ContentsDisabled.h"
#include "base/WaitCursor.h"
#include "base/WorkProgressDialog.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

void runWithProgress(QWidget *window, DbConnection &connection, const DbWork::Job &job, const WorkTexts &texts)
{
    if (connection.lost())
        throw QmError(connection.errorText());
    const WaitCursor wait;
    QObject notice;
    QEventLoop *waiting = nullptr;
    DbWork work(connection, job, [&notice, &waiting] {
        QMetaObject::invokeMethod(&notice, [&waiting] {
            if (waiting)
                waiting->quit();
        }, Qt::QueuedConnection);
    });

    // Set when something else ended the wait (the application quitting) while the work still ran.
    bool endedFromOutside = false;
    if (!work.waitFinished(WorkProgressDialog::showAfter)) {
        QEventLoop loop;
        WorkProgressDialog dialog(window, texts.title, [&] { return texts.text(work.progress()); }, [&] {
            work.cancel();
            QTimer::singleShot(DbWork::cancelGrace, &notice, [&work] { work.cut(); });
        });
        const ContentsDisabled disabled(window);
        dialog.show();
        waiting = &loop;
        if (!work.finished())
            loop.exec();
        waiting = nullptr;
        endedFromOutside = !work.finished();
    }
    work.finish();
    if (work.stopped() || endedFromOutside)
        throw QmRunEnding();
    if (work.cancelRequested())
        throw QmCancelled();
    try {
        work.rethrowError();
    } catch (const QmError &) {
        if (connection.lost())
            throw QmError(connection.errorText());
        throw;
    }
}
