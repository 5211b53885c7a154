#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QTimer;

// The modal window of a long table load: how many rows have arrived so far,
// and a button that cancels the load. It closes accepted when finish() is
// called and rejected when the operator cancels (button, Escape or the
// window's close box).
class LoadProgressDialog : public QDialog
{
public:
    LoadProgressDialog(QWidget *parent, std::function<int()> rowsRead);

    // The load has ended: the window goes, accepted.
    void finish();

private:
    void showRows();

    std::function<int()> m_rowsRead;
    QLabel *m_rows = nullptr;
    QTimer *m_refresh = nullptr;
};
