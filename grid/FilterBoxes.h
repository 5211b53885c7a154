#pragma once

#include <QList>
#include <QObject>

class QLineEdit;
class RecordGrid;

// The search boxes of one grid, each filtering one column (see FilterRows):
// every change of a box filters the grid by that box alone, so the box
// edited last decides what is shown. After the grid is loaded anew, that
// box's text is applied to the new rows, so that no box shows a filter the
// grid does not apply. Each box clears with Esc and selects its text on
// entry (see makeSearchBox).
class FilterBoxes : public QObject
{
    Q_OBJECT

public:
    FilterBoxes(RecordGrid &grid, QObject *parent);

    void watch(QLineEdit *box, int column);
    // The grid holds new rows: the deciding box filters them.
    void reapply();

private:
    RecordGrid &m_grid;
    QLineEdit *m_last = nullptr;
    int m_lastColumn = -1;
};
