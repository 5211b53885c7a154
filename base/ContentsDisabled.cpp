#include "base/ContentsDisabled.h"

#include <QApplication>

ContentsDisabled::ContentsDisabled(QWidget *window)
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

ContentsDisabled::~ContentsDisabled()
{
    for (const QPointer<QWidget> &child : std::as_const(m_disabled)) {
        if (child)
            child->setEnabled(true);
    }
    if (m_focus && m_focus->isEnabled())
        m_focus->setFocus();
}
