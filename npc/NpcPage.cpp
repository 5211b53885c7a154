#include "npc/NpcPage.h"

#include "base/Guard.h"
#include "base/LogTexts.h"
#include "base/ScriptText.h"
#include "db/DbShell.h"
#include "db/GridLoad.h"
#include "npc/NpcStatement.h"
#include "npc/TemplateOrder.h"
#include "base/FormControls.h"
#include "grid/RecordGrid.h"
#include "grid/RecordGridFilter.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

// The template query; its select list is the grid's column order.
constexpr char templateQuery[] =
    "SELECT idTemplate, name, class, collision_radius,collision_height, sex, aggro, rhand, lhand, armor FROM npc";

// Template grid columns that hold what a pick copies.
enum TemplateColumn {
    ColIdTemplate = 0,
    ColName = 1,
    ColClass = 2,
    ColRadius = 3,
    ColHeight = 4,
    ColSex = 5,
    ColRhand = 7,
    ColLhand = 8,
    ColArmor = 9,
};

QList<GridColumn> templateColumns()
{
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {
        {u"idTemplate"_s, 60, SortKind::Numeric, CellKind::Number, centred, right},
        {u"Name"_s, 160},
        {u"Class"_s, 100},
        {u"c_r"_s, 40},
        {u"c_h"_s, 40, SortKind::Custom},
        {u"sex"_s, 50},
        {u"aggro"_s, 40},
        {u"rhand"_s, 40},
        {u"lhand"_s, 40},
        {u"armor"_s, 40},
    };
}

QLabel *addNamedLabel(QWidget *parent, const QString &name, const QString &text, const QRect &geometry)
{
    QLabel *label = addLabel(parent, text, geometry);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

NpcPage::NpcPage(DbShell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
    buildForm();
    buildBrowser();
}

// Right half (x 424 to 841): load button, search box and the template grid.
void NpcPage::buildBrowser()
{
    m_button2 = addButton(this, u"Button2"_s, u"Загрузить"_s, QRect(424, 8, 89, 25));
    m_edit5 = addLabelledEdit(this, u"Edit5"_s, u"Поиск"_s, QRect(616, 10, 225, 21));

    m_nextGrid1 = new RecordGrid(this);
    m_nextGrid1->setObjectName(u"NextGrid1"_s);
    m_nextGrid1->setAccessibleName(u"NPC templates"_s);
    m_nextGrid1->setGeometry(424, 40, 417, 425);
    m_nextGrid1->setColumns(templateColumns());
    m_nextGrid1->setSortedColumnStyle(SortedColumnStyle::Darker);
    m_nextGrid1->setCustomCompare(compareNumberOrText);

    connect(m_button2, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button2Click(); }); });
    connect(m_edit5, &QLineEdit::textChanged, this, [this] { runGuarded(window(), [this] { Edit5Change(); }); });
    connect(m_nextGrid1, &RecordGrid::OnCellDblClick, this,
            [this](int col, int row) { runGuarded(window(), [this, col, row] { NextGrid1CellDblClick(col, row); }); });
}

// Left half (x 8 to 409): the group "Параметры" with two columns of boxes.
void NpcPage::buildForm()
{
    m_group = new QGroupBox(u"Параметры"_s, this);
    m_group->setObjectName(u"GroupBox1"_s);
    m_group->setGeometry(8, 8, 401, 345);

    constexpr int leftEditX = 96;
    constexpr int leftEditWidth = 105;
    constexpr int rightEditX = 296;
    constexpr int rightEditWidth = 89;
    constexpr int labelWidth = 80;
    const auto leftBox = [&](int y) { return QRect(leftEditX, y, leftEditWidth, 21); };
    const auto rightBox = [&](int y) { return QRect(rightEditX, y, rightEditWidth, 21); };

    m_idEdit = addLabelledEdit(m_group, u"idEdit"_s, u"ID"_s, leftBox(28), labelWidth);
    m_idtEdit = addLabelledEdit(m_group, u"idtEdit"_s, u"ID Temlate"_s, leftBox(60), labelWidth);
    m_classEdit = addLabelledEdit(m_group, u"classEdit"_s, u"Класс"_s, leftBox(92), labelWidth);
    m_nameEdit = addLabelledEdit(m_group, u"nameEdit"_s, u"Имя"_s, leftBox(124), labelWidth);
    m_titleEdit = addLabelledEdit(m_group, u"titleEdit"_s, u"Надпись"_s, leftBox(156), labelWidth);
    m_crEdit = addLabelledEdit(m_group, u"crEdit"_s, u"C_R"_s, leftBox(188), labelWidth);
    m_chEdit = addLabelledEdit(m_group, u"chEdit"_s, u"C_H"_s, leftBox(220), labelWidth);

    m_levelEdit = addLabelledEdit(m_group, u"levelEdit"_s, u"Уровень"_s, rightBox(28), labelWidth);
    QLabel *sexLabel = addNamedLabel(m_group, u"sexLabel"_s, u"Пол"_s, QRect(rightEditX - labelWidth - 6, 60, labelWidth, 21));
    m_male = addRadioButton(m_group, u"Male"_s, u"Male"_s, rightBox(60));
    m_female = addRadioButton(m_group, u"Female"_s, u"Female"_s, rightBox(84));
    sexLabel->setBuddy(m_male);
    m_rhandEdit = addLabelledEdit(m_group, u"rhandEdit"_s, u"Правая рука"_s, rightBox(124), labelWidth);
    m_lhandEdit = addLabelledEdit(m_group, u"lhandEdit"_s, u"Левая рука"_s, rightBox(156), labelWidth);
    m_armorEdit = addLabelledEdit(m_group, u"armorEdit"_s, u"Броня"_s, rightBox(188), labelWidth);
    QLabel *undeadLabel =
        addNamedLabel(m_group, u"undeadLabel"_s, u"Бессмертие"_s, QRect(rightEditX - labelWidth - 6, 220, labelWidth, 21));
    m_undead = addCheckBox(m_group, u"Undead"_s, u"Undead"_s, rightBox(220));
    undeadLabel->setBuddy(m_undead);

    m_button3 = addButton(m_group, u"Button3"_s, u"Добавить"_s, QRect((401 - 75) / 2, 304, 75, 25));
    connect(m_button3, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button3Click(); }); });
}

void NpcPage::Button2Click()
{
    LoadTable(*m_nextGrid1, m_shell, QByteArray(templateQuery), u"npc"_s);
}

void NpcPage::Edit5Change()
{
    FilterRows(*m_nextGrid1, ColName, m_edit5->text());
}

void NpcPage::NextGrid1CellDblClick(int /*col*/, int row)
{
    const RecordGrid &grid = *m_nextGrid1;
    const bool female = grid.Cells(ColSex, row) == u"female"_s;
    m_idtEdit->setText(grid.Cells(ColIdTemplate, row));
    m_classEdit->setText(grid.Cells(ColClass, row));
    m_crEdit->setText(grid.Cells(ColRadius, row));
    m_chEdit->setText(grid.Cells(ColHeight, row));
    m_rhandEdit->setText(grid.Cells(ColRhand, row));
    m_lhandEdit->setText(grid.Cells(ColLhand, row));
    m_armorEdit->setText(grid.Cells(ColArmor, row));
    // A class name wider than its box shows its beginning, not its tail.
    for (QLineEdit *box : {m_idtEdit, m_classEdit, m_crEdit, m_chEdit, m_rhandEdit, m_lhandEdit, m_armorEdit})
        box->setCursorPosition(0);
    (female ? m_female : m_male)->setChecked(true);
}

void NpcPage::Button3Click()
{
    NpcForm form;
    form.id = m_idEdit->text();
    form.templateId = m_idtEdit->text();
    form.name = m_nameEdit->text();
    form.title = m_titleEdit->text();
    form.className = m_classEdit->text();
    form.collisionRadius = m_crEdit->text();
    form.collisionHeight = m_chEdit->text();
    form.level = m_levelEdit->text();
    form.male = m_male->isChecked();
    form.rhand = m_rhandEdit->text();
    form.lhand = m_lhandEdit->text();
    form.armor = m_armorEdit->text();
    form.undead = m_undead->isChecked();

    const ScriptBlock block = merchantNpcBlock(form);
    m_shell.AppendScriptBlock(block.comment, block.statement);
    m_shell.LogEvent(LogTexts::npcCreated(m_shell.refreshTimeStr(), ScriptText::oneLine(form.name)));
}
