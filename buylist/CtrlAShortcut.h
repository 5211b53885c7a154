#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Ctrl+A (Shift or any other modifier may be held too) on a watched control
// runs the entry action, exactly as its button does. The key is taken by the
// shortcut: an edit does not also select its text, a grid does not select all.
// The A key is recognised in the Latin and the Russian layout.
class CtrlAShortcut : public QObject
{
    Q_OBJECT

public:
    CtrlAShortcut(std::function<void()> action, QObject *parent);
    void watch(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_action;
};

// True for the key press that the shortcut answers.
bool isCtrlA(const class QKeyEvent &event);
