#include "buylist/BuylistPage.h"

#include "base/Guard.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "buylist/BuylistStatement.h"
#include "buylist/CatalogueKind.h"
#include "buylist/ContentsEntries.h"
#include "buylist/CtrlAShortcut.h"
#include "buylist/OrderNumber.h"
#include "buylist/ShopOnServer.h"
#include "buylist/PastedItems.h"
#include "buylist/ScriptReading.h"
#include "base/EntryLogTexts.h"
#include "base/ScriptEntries.h"
#include "db/GridLoad.h"
#include "base/FormControls.h"
#include "grid/RecordGrid.h"
#include "grid/FilterBoxes.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QHash>
#include <QKeyEvent>
#include <QMessageBox>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

BuylistPage::BuylistPage(DbShell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
    , m_shortcut(new CtrlAShortcut([this] { runGuarded(window(), [this] { Button6Click(); }); }, this))
{
    buildForm();
    buildCatalogue();
    watchServer();
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_nextGrid2, m_nextGrid3, m_button5, m_button6, m_shopEdit, m_itemidEdit, m_priceEdit, m_orderEdit,
             m_search, m_typesortEdit, m_gradesortEdit, m_sellsortEdit, m_radioButton1, m_radioButton2,
             m_radioButton3})
        m_shortcut->watch(control);

    m_contents = new ContentsEntries(m_shell, *m_nextGrid3, *m_orderEdit, this);
    // Ctrl+Z takes back the last entry and Ctrl+V adds a pasted list where no
    // box has an undo and a paste of its own.
    for (QWidget *control : std::initializer_list<QWidget *>{m_nextGrid2, m_nextGrid3, m_button5, m_button6,
                                                             m_checkBox1, m_radioButton1, m_radioButton2,
                                                             m_radioButton3})
        control->installEventFilter(this);
    connect(&m_shell.scriptEntries(), &ScriptEntries::wasReset, this,
            [this] { runGuarded(window(), [this] { continueScript(); }); });
}

bool BuylistPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    std::function<void()> action;
    if (ctrl && key->key() == Qt::Key_Z)
        action = [this] { m_contents->undoLast(); };
    else if (watched == m_nextGrid3 && key->key() == Qt::Key_Delete)
        action = [this] { m_contents->removeMarked(); };
    else if (key->matches(QKeySequence::Paste))
        action = [this] { pasteList(QApplication::clipboard()->text()); };
    if (!action)
        return QWidget::eventFilter(watched, event);
    runGuarded(window(), action);
    return true;
}

void BuylistPage::buildForm()
{
    auto *group = new QGroupBox(u"Параметры"_s, this);
    group->setObjectName(u"GroupBoxBuylist"_s);
    group->setGeometry(8, 4, 393, 125);
    m_label28 = addLabel(group, QString(), QRect(12, 18, 369, 16));
    m_label28->setObjectName(u"Label28"_s);
    m_label28->setTextFormat(Qt::PlainText);
    m_shopEdit = addLabelledEdit(group, u"shopEdit"_s, u"Shop ID"_s, QRect(64, 38, 89, 21), 48);
    m_itemidEdit = addLabelledEdit(group, u"itemidEdit"_s, u"Item ID"_s, QRect(64, 64, 89, 21), 48);
    m_priceEdit = addLabelledEdit(group, u"priceEdit"_s, u"Цена"_s, QRect(64, 90, 89, 21), 48);
    m_orderEdit = addLabelledEdit(group, u"orderEdit"_s, u"Order"_s, QRect(220, 38, 65, 21), 48);
    m_orderEdit->setText(u"1"_s);
    m_button6 = addButton(group, u"Button6"_s, u"Добавить"_s, QRect(296, 37, 85, 25));
    m_button6->setToolTip(u"Ctrl+A"_s);
    m_checkBox1 = addCheckBox(group, u"CheckBox1"_s, u"Обновлять цену"_s, QRect(170, 90, 211, 21));
    m_checkBox1->setChecked(true);
    connect(m_button6, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button6Click(); }); });

    m_button5 = addButton(this, u"Button5"_s, u"Загрузить"_s, QRect(8, 136, 97, 25));
    connect(m_button5, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button5Click(); }); });
    m_radioButton1 = addRadioButton(this, u"RadioButton1"_s, u"Weapon"_s, QRect(120, 138, 81, 21));
    m_radioButton2 = addRadioButton(this, u"RadioButton2"_s, u"Armor"_s, QRect(208, 138, 81, 21));
    m_radioButton3 = addRadioButton(this, u"RadioButton3"_s, u"Items"_s, QRect(296, 138, 81, 21));
    auto *kinds = new QButtonGroup(this);
    for (QRadioButton *kind : {m_radioButton1, m_radioButton2, m_radioButton3})
        kinds->addButton(kind);
    m_radioButton1->setChecked(true);

    m_nextGrid3 = new RecordGrid(this);
    m_nextGrid3->setObjectName(u"NextGrid3"_s);
    m_nextGrid3->setGeometry(8, 168, 393, 289);
    m_nextGrid3->setColumns(
        {{u"ID"_s, 40}, {u"Name"_s, 160}, {u"Shop ID"_s, 50}, {u"Price"_s, 50}, {u"Order"_s, 50}});
    m_nextGrid3->setSortedColumnStyle(SortedColumnStyle::Darker);
    m_nextGrid3->setEmptyAreaColor(QPalette::Midlight);
    m_nextGrid3->setRowMarking(true);
    m_nextGrid3->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_nextGrid3, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        runGuarded(window(), [&, this] { m_contents->showMenu(m_nextGrid3->viewport()->mapToGlobal(at)); });
    });
    // A double-click on the price or the order corrects that entry.
    connect(m_nextGrid3, &RecordGrid::OnCellDblClick, this,
            [this](int col, int row) { runGuarded(window(), [=, this] { m_contents->editCell(col, row); }); });
}

void BuylistPage::buildCatalogue()
{
    auto *group = new QGroupBox(u"Поиск и сортировка"_s, this);
    group->setObjectName(u"GroupBoxFilters"_s);
    group->setGeometry(424, 4, 417, 81);
    m_search = addLabelledEdit(group, u"search"_s, u"Поиск"_s, QRect(56, 20, 353, 21), 42);
    m_typesortEdit = addLabelledEdit(group, u"typesortEdit"_s, u"Type"_s, QRect(56, 50, 73, 21), 42);
    m_gradesortEdit = addLabelledEdit(group, u"gradesortEdit"_s, u"Grade"_s, QRect(190, 50, 73, 21), 50);
    m_sellsortEdit = addLabelledEdit(group, u"sellsortEdit"_s, u"Sellable"_s, QRect(336, 50, 73, 21), 58);

    m_nextGrid2 = new RecordGrid(this);
    m_nextGrid2->setObjectName(u"NextGrid2"_s);
    m_nextGrid2->setGeometry(424, 92, 417, 369);
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    m_nextGrid2->setColumns({{u"item id"_s, 50, SortKind::Numeric, CellKind::Text, left, left},
                             {u"Type"_s, 50},
                             {u"Name"_s, 160},
                             {u"Grade"_s, 40},
                             {u"Price"_s, 60, SortKind::Numeric, CellKind::Text, left, left},
                             {u"Sellable"_s, 40}});
    m_nextGrid2->setSortedColumnStyle(SortedColumnStyle::Plain);
    m_nextGrid2->setRowMarking(true);
    connect(m_nextGrid2, &RecordGrid::OnCellDblClick, this,
            [this](int col, int row) { runGuarded(window(), [=, this] { NextGrid2CellDblClick(col, row); }); });

    // searchChange, typesortEditChange, gradesortEditChange, sellsortEditChange
    m_filters = new FilterBoxes(*m_nextGrid2, this);
    m_filters->watch(m_search, 2);
    m_filters->watch(m_typesortEdit, 1);
    m_filters->watch(m_gradesortEdit, 3);
    m_filters->watch(m_sellsortEdit, 5);
}

// A reopened script: its entries in the grid, and the shop of its last entry
// goes on after that shop's last order.
void BuylistPage::continueScript()
{
    m_contents->refill();
    const ScriptEntries &entries = m_shell.scriptEntries();
    const qsizetype count = entries.countOfKind(EntryKind::Buylist);
    if (count == 0)
        return;
    const QString shop = entries.at(entries.indexOfKind(EntryKind::Buylist, count - 1)).values[ShopId];
    std::optional<qint32> last;
    for (const ScriptEntry &entry : entries.entries()) {
        if (entry.kind != EntryKind::Buylist || entry.values[ShopId] != shop)
            continue;
        if (const std::optional<qint32> order = readWholeNumber(entry.values[Order]); order && (!last || *order > *last))
            last = order;
    }
    m_shopEdit->setText(shop);
    if (last)
        m_orderEdit->setText(nextOrderText(QString::number(*last)));
}

void BuylistPage::resetOrder()
{
    m_orderEdit->setText(u"1"_s);
}

void BuylistPage::Button5Click()
{
    const CatalogueKind kind = m_radioButton3->isChecked()   ? CatalogueKind::Items
                               : m_radioButton2->isChecked() ? CatalogueKind::Armor
                                                             : CatalogueKind::Weapon;
    LoadTable(*m_nextGrid2, m_shell, catalogueQuery(kind), catalogueTable(kind));
    m_filters->reapply();
    m_shopOnServer->nameFromCatalogue();
}

void BuylistPage::NextGrid2CellDblClick(int, int row)
{
    m_itemidEdit->setText(m_nextGrid2->Cells(0, row));
    if (m_checkBox1->isChecked())
        m_priceEdit->setText(m_nextGrid2->Cells(4, row));
    m_label28->setText(m_nextGrid2->Cells(2, row));
}

void BuylistPage::Button6Click()
{
    if (m_nextGrid2->markedCount() > 1) {
        if (const std::vector<int> rows = m_nextGrid2->markedRows(); rows.size() > 1) {
            addRows(rows);
            return;
        }
    }
    // Made first: a box text that cannot stand in the statement is refused
    // before the grid row, the script or the log change.
    const ScriptBlock block = buylistBlock(m_label28->text(), m_itemidEdit->text(), m_priceEdit->text(),
                                           m_shopEdit->text(), m_orderEdit->text());
    const QStringList values{m_label28->text(), m_itemidEdit->text(), m_priceEdit->text(), m_shopEdit->text(),
                             m_orderEdit->text()};
    int &shopRowIndex = m_shell.ShopRowIndex();
    shopRowIndex += 1;
    m_nextGrid3->AddRow(1);
    m_nextGrid3->setCells(0, shopRowIndex, values[ItemId]);
    m_nextGrid3->setCells(1, shopRowIndex, values[ItemName]);
    m_nextGrid3->setCells(2, shopRowIndex, values[ShopId]);
    m_nextGrid3->setCells(3, shopRowIndex, values[Price]);
    m_nextGrid3->setCells(4, shopRowIndex, values[Order]);

    m_shell.scriptEntries().append({ScriptEntry{EntryKind::Buylist, block, values}});
    m_orderEdit->setText(nextOrderText(m_orderEdit->text()));
    m_shell.LogEvent(LogTexts::itemAdded(m_shell.refreshTimeStr(), m_label28->text()));
}

// Several marked rows: one entry each, in the grid's order. The orders and
// the statements are all made first, so that a box that cannot stand in one
// changes nothing.
void BuylistPage::addRows(const std::vector<int> &rows)
{
    QList<QStringList> entries;
    entries.reserve(qsizetype(rows.size()));
    QString order = m_orderEdit->text();
    const bool cataloguePrice = m_checkBox1->isChecked();
    for (const int row : rows) {
        entries.append({m_nextGrid2->Cells(2, row), m_nextGrid2->Cells(0, row),
                        cataloguePrice ? m_nextGrid2->Cells(4, row) : m_priceEdit->text(), m_shopEdit->text(), order});
        order = nextOrderText(order);
    }
    m_contents->add(entries);
    m_orderEdit->setText(order);
    // The boxes show the last item, as though it had been picked.
    NextGrid2CellDblClick(0, rows.back());
}

void BuylistPage::pasteList(const QString &text)
{
    const QList<PastedItem> items = readPastedItems(text);
    if (items.isEmpty())
        return;
    QHash<QString, int> rowOfId;
    for (int row = m_nextGrid2->RowCount() - 1; row >= 0; --row)
        rowOfId.insert(m_nextGrid2->Cells(0, row), row);
    QList<QStringList> entries;
    QStringList missing;
    QString order = m_orderEdit->text();
    const bool cataloguePrice = m_checkBox1->isChecked();
    int lastRow = -1;
    for (const PastedItem &item : items) {
        const auto found = rowOfId.constFind(item.itemId);
        if (found == rowOfId.cend()) {
            missing.append(item.itemId);
            continue;
        }
        lastRow = *found;
        const QString price = item.hasPrice ? item.price
                              : cataloguePrice ? m_nextGrid2->Cells(4, lastRow)
                                               : m_priceEdit->text();
        entries.append({m_nextGrid2->Cells(2, lastRow), item.itemId, price, m_shopEdit->text(), order});
        order = nextOrderText(order);
    }
    if (!entries.isEmpty()) {
        m_contents->add(entries);
        m_orderEdit->setText(order);
        NextGrid2CellDblClick(0, lastRow);
    }
    if (missing.isEmpty())
        return;
    const QString ids = missing.join(u", "_s);
    m_shell.LogEvent(EntryLogTexts::itemsNotInCatalogue(m_shell.refreshTimeStr(), ids));
    QMessageBox box(QMessageBox::Warning, u"Quenmark"_s,
                    u"Этих предметов нет в загруженном каталоге, они не добавлены: %1."_s.arg(ids), QMessageBox::Ok,
                    window());
    box.setObjectName(u"NotInCatalogueBox"_s);
    box.exec();
}
