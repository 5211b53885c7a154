#include "buylist/CtrlAShortcut.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

// The letter on the A key in the Russian layout, as Qt reports it.
constexpr int kCyrillicEf = 0x0424;

} // namespace

bool isCtrlA(const QKeyEvent &event)
{
    return (event.key() == Qt::Key_A || event.key() == kCyrillicEf) && (event.modifiers() & Qt::ControlModifier);
}

CtrlAShortcut::CtrlAShortcut(std::function<void()> action, QObject *parent)
    : QObject(parent)
    , m_action(std::move(action))
{
}

void CtrlAShortcut::watch(QWidget *control)
{
    control->installEventFilter(this);
}

bool CtrlAShortcut::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && isCtrlA(*static_cast<QKeyEvent *>(event))) {
        // Claim the key so that no application shortcut takes it first.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && isCtrlA(*static_cast<QKeyEvent *>(event))) {
        m_action();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
