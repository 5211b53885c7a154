#pragma once

#include <QDialog>

#include <chrono>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// The window of a long piece of work on the connection (a table load, a
// script check): what it has done so far, refreshed ten times a second, and
// "Отмена". It is not modal: whoever shows it keeps the main window's contents
// from taking input, and a close of the main window still reaches it. A cancel
// (the button, Escape or the window's close box) calls onCancel once and leaves
// the window up until the work has ended.
class WorkProgressDialog : public QDialog
{
public:
    // A wait shorter than this never shows the window.
    static constexpr std::chrono::milliseconds showAfter{500};

    WorkProgressDialog(QWidget *parent, const QString &title, std::function<QString()> text,
                       std::function<void()> onCancel);

    void reject() override;

private:
    void refresh();

    std::function<QString()> m_text;
    std::function<void()> m_onCancel;
    QLabel *m_label = nullptr;
    QPushButton *m_cancel = nullptr;
    QTimer *m_refresh = nullptr;
};
