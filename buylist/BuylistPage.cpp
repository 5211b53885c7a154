#include "buylist/BuylistPage.h"

#include "base/Guard.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "buylist/BuylistStatement.h"
#include "buylist/CatalogueKind.h"
#include "buylist/CtrlAShortcut.h"
#include "buylist/OrderNumber.h"
#include "db/GridLoad.h"
#include "base/FormControls.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridFilter.h"

#include <QButtonGroup>
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
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_nextGrid2, m_nextGrid3, m_button5, m_button6, m_shopEdit, m_itemidEdit, m_priceEdit, m_orderEdit,
             m_search, m_typesortEdit, m_gradesortEdit, m_sellsortEdit, m_radioButton1, m_radioButton2,
             m_radioButton3})
        m_shortcut->watch(control);
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
    m_nextGrid3->setColumns({{u"ID"_s, 40}, {u"Name"_s, 160}, {u"Shop ID"_s, 50}, {u"Price"_s, 50}});
    m_nextGrid3->setSortedColumnStyle(SortedColumnStyle::Darker);
    m_nextGrid3->setEmptyAreaColor(QPalette::Midlight);
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
    connect(m_nextGrid2, &RecordGrid::OnCellDblClick, this,
            [this](int col, int row) { runGuarded(window(), [=, this] { NextGrid2CellDblClick(col, row); }); });

    watchFilter(m_search, 2);
    watchFilter(m_typesortEdit, 1);
    watchFilter(m_gradesortEdit, 3);
    watchFilter(m_sellsortEdit, 5);
}

void BuylistPage::watchFilter(QLineEdit *box, int column)
{
    // searchChange, typesortEditChange, gradesortEditChange, sellsortEditChange
    connect(box, &QLineEdit::textChanged, this, [this, column](const QString &text) {
        runGuarded(window(), [&, this] { FilterRows(*m_nextGrid2, column, text); });
    });
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
    // Made first: a box text that cannot stand in the statement is refused
    // before the grid row, the script or the log change.
    const ScriptBlock block = buylistBlock(m_label28->text(), m_itemidEdit->text(), m_priceEdit->text(),
                                           m_shopEdit->text(), m_orderEdit->text());
    int &shopRowIndex = m_shell.ShopRowIndex();
    shopRowIndex += 1;
    m_nextGrid3->AddRow(1);
    m_nextGrid3->setCells(0, shopRowIndex, m_itemidEdit->text());
    m_nextGrid3->setCells(1, shopRowIndex, m_label28->text());
    m_nextGrid3->setCells(2, shopRowIndex, m_shopEdit->text());
    m_nextGrid3->setCells(3, shopRowIndex, m_priceEdit->text());

    m_shell.AppendScriptBlock(block.comment, block.statement);
    m_orderEdit->setText(nextOrderText(m_orderEdit->text()));
    m_shell.LogEvent(LogTexts::itemAdded(m_shell.refreshTimeStr(), m_label28->text()));
}
