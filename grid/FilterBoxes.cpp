#include "grid/FilterBoxes.h"

#include "base/Guard.h"
#include "base/SearchBox.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridFilter.h"

#include <QLineEdit>

FilterBoxes::FilterBoxes(RecordGrid &grid, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
{
}

void FilterBoxes::watch(QLineEdit *box, int column)
{
    makeSearchBox(box);
    connect(box, &QLineEdit::textChanged, this, [this, box, column](const QString &text) {
        m_last = box;
        m_lastColumn = column;
        runGuarded(m_grid.window(), [&, this] { FilterRows(m_grid, column, text); });
    });
}

void FilterBoxes::reapply()
{
    if (m_last && !m_last->text().isEmpty())
        FilterRows(m_grid, m_lastColumn, m_last->text());
}
