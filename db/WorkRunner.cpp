#include "db/WorkRunner.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/WaitCursor.h"
#include "db/WorkProgressDialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

using namespace std::chrono_literals;

// A work shorter than this never shows the progress window.
constexpr auto progressAfter = 500ms;

// The window's contents take no input while the progress window is up; the
// window itself stays enabled, so that its close is not dropped. The widget
// that had the focus gets it back.
class ContentsDisabled
{
public:
    explicit ContentsDisabled(QWidget *window)
        : m_focus(QApplication::focusWidget())
    {
        if (!window)
            return;
        for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || !child->isEnabled())
                continue;
            child->setEnabled(false);
            m_disabled.append(child);
        }
    }
    ~ContentsDisabled()
    {
        for (const QPointer<QWidget> &child : std::as_const(m_disabled)) {
            if (child)
                child->setEnabled(true);
        }
        if (m_focus && m_focus->isEnabled())
            m_focus->setFocus();
    }
    ContentsDisabled(const ContentsDisabled &) = delete;
    ContentsDisabled &operator=(const ContentsDisabled &) = delete;

private:
    QList<QPointer<QWidget>> m_disabled;
    QPointer<QWidget> m_focus;
};

} // namespace

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
    if (!work.waitFinished(progressAfter)) {
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
