#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// While it lives, the window's contents take no input; the window itself stays
// enabled, so that its close is not dropped. The widget that had the focus gets
// it back.
class ContentsDisabled
{
public:
    explicit ContentsDisabled(QWidget *window);
    ~ContentsDisabled();
    ContentsDisabled(const ContentsDisabled &) = delete;
    ContentsDisabled &operator=(const ContentsDisabled &) = delete;

private:
    QList<QPointer<QWidget>> m_disabled;
    QPointer<QWidget> m_focus;
};
