#include "buylist/ContentsEntries.h"

#include "base/EntryLogTexts.h"
#include "base/Guard.h"
#include "base/LogTexts.h"
#include "base/ScriptEntries.h"
#include "base/Shell.h"
#include "buylist/BuylistStatement.h"
#include "buylist/ScriptReading.h"
#include "grid/RecordGrid.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

ScriptEntry buylistEntry(const QStringList &values)
{
    return {EntryKind::Buylist,
            buylistBlock(values[ItemName], values[ItemId], values[Price], values[ShopId], values[Order]), values};
}

} // namespace

ContentsEntries::ContentsEntries(Shell &shell, RecordGrid &grid, QLineEdit &orderEdit, QObject *parent)
    : QObject(parent)
    , m_shell(shell)
    , m_grid(grid)
    , m_orderEdit(orderEdit)
{
}

void ContentsEntries::setRow(int row, const QStringList &values)
{
    m_grid.setCells(0, row, values[ItemId]);
    m_grid.setCells(1, row, values[ItemName]);
    m_grid.setCells(2, row, values[ShopId]);
    m_grid.setCells(3, row, values[Price]);
    m_grid.setCells(4, row, values[Order]);
}

void ContentsEntries::add(const QList<QStringList> &entries)
{
    QList<ScriptEntry> blocks;
    blocks.reserve(entries.size());
    for (const QStringList &values : entries)
        blocks.append(buylistEntry(values));
    int &shopRowIndex = m_shell.ShopRowIndex();
    m_grid.beginBulkChange();
    m_grid.AddRow(int(entries.size()));
    for (const QStringList &values : entries)
        setRow(++shopRowIndex, values);
    m_grid.endBulkChange();
    m_shell.scriptEntries().append(blocks);
    for (const QStringList &values : entries)
        m_shell.LogEvent(LogTexts::itemAdded(m_shell.refreshTimeStr(), values[ItemName]));
}

qsizetype ContentsEntries::entryIndexOfRow(int row) const
{
    return m_shell.scriptEntries().indexOfKind(EntryKind::Buylist, m_grid.store().slotOfRow(row));
}

void ContentsEntries::removeEntry(qsizetype index)
{
    ScriptEntries &entries = m_shell.scriptEntries();
    const QString name = entries.at(index).values.value(ItemName);
    entries.remove(index);
    m_shell.LogEvent(EntryLogTexts::itemRemoved(m_shell.refreshTimeStr(), name));
}

void ContentsEntries::removeMarked()
{
    std::vector<int> rows = m_grid.markedRows();
    if (rows.empty() && m_grid.selectedRow() >= 0)
        rows.push_back(m_grid.selectedRow());
    QList<qsizetype> indexes;
    for (const int row : rows)
        if (const qsizetype index = entryIndexOfRow(row); index >= 0)
            indexes.append(index);
    if (indexes.isEmpty())
        return;
    std::sort(indexes.begin(), indexes.end());
    ScriptEntries &entries = m_shell.scriptEntries();
    QStringList names;
    for (const qsizetype index : std::as_const(indexes))
        names.append(entries.at(index).values.value(ItemName));
    entries.removeSeveral(indexes);
    for (const QString &name : std::as_const(names))
        m_shell.LogEvent(EntryLogTexts::itemRemoved(m_shell.refreshTimeStr(), name));
    refill();
}

void ContentsEntries::undoLast()
{
    const ScriptEntries &entries = m_shell.scriptEntries();
    const qsizetype count = entries.countOfKind(EntryKind::Buylist);
    if (count == 0)
        return;
    const qsizetype index = entries.indexOfKind(EntryKind::Buylist, count - 1);
    const QString order = entries.at(index).values.value(Order);
    removeEntry(index);
    refill();
    m_orderEdit.setText(order);
}

void ContentsEntries::editCell(int col, int row)
{
    if (col != 3 && col != 4)
        return;
    const qsizetype index = entryIndexOfRow(row);
    if (index < 0)
        return;
    QStringList values = m_shell.scriptEntries().at(index).values;
    const int value = col == 3 ? Price : Order;
    bool ok = false;
    QInputDialog dialog(m_grid.window());
    dialog.setObjectName(u"EntryValueDialog"_s);
    dialog.setWindowTitle(u"Quenmark"_s);
    dialog.setLabelText((col == 3 ? u"Цена предмета  "_s : u"Order предмета  "_s) + values[ItemName]);
    dialog.setTextValue(values[value]);
    ok = dialog.exec() == QDialog::Accepted;
    if (!ok || dialog.textValue() == values[value])
        return;
    values[value] = dialog.textValue();
    // Checked before anything changes, as a new entry is.
    const ScriptEntry entry = buylistEntry(values);
    m_shell.scriptEntries().replace(index, entry);
    m_grid.setCells(col, row, values[value]);
    m_shell.LogEvent(EntryLogTexts::itemChanged(m_shell.refreshTimeStr(), values[ItemName]));
}

void ContentsEntries::showMenu(const QPoint &globalPos)
{
    QMenu menu(m_grid.window());
    menu.setObjectName(u"ContentsMenu"_s);
    QAction *remove = menu.addAction(u"Удалить"_s);
    remove->setShortcut(Qt::Key_Delete);
    remove->setEnabled(!m_grid.markedRows().empty() || m_grid.selectedRow() >= 0);
    QAction *undo = menu.addAction(u"Отменить последнюю запись"_s);
    undo->setShortcut(Qt::CTRL | Qt::Key_Z);
    undo->setEnabled(m_shell.scriptEntries().countOfKind(EntryKind::Buylist) > 0);
    QAction *chosen = menu.exec(globalPos);
    if (chosen == remove)
        removeMarked();
    else if (chosen == undo)
        undoLast();
}

void ContentsEntries::refill()
{
    const ScriptEntries &entries = m_shell.scriptEntries();
    m_grid.beginBulkChange();
    m_grid.ClearRows();
    int row = -1;
    for (const ScriptEntry &entry : entries.entries()) {
        if (entry.kind != EntryKind::Buylist)
            continue;
        m_grid.AddRow(1);
        setRow(++row, entry.values);
    }
    m_grid.endBulkChange();
    // The rows keep the order the operator sorted them in.
    m_grid.sortAgain();
    m_shell.ShopRowIndex() = row;
}
