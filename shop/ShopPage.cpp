#include "shop/ShopPage.h"

#include "base/Guard.h"
#include "base/LogTexts.h"
#include "base/Shell.h"
#include "shop/ShopStatement.h"
#include "base/FormControls.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

ShopPage::ShopPage(Shell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
    auto *group = new QGroupBox(u"Параметры"_s, this);
    group->setObjectName(u"GroupBoxShop"_s);
    group->setGeometry(8, 8, 185, 129);
    m_npcEdit = addLabelledEdit(group, u"npcEdit"_s, u"NPC ID"_s, QRect(88, 24, 81, 21));
    m_shopidEdit = addLabelledEdit(group, u"shopidEdit"_s, u"Shop ID"_s, QRect(88, 56, 81, 21));
    m_button4 = addButton(group, u"Button4"_s, u"Создать"_s, QRect(56, 92, 75, 25));
    connect(m_button4, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button4Click(); }); });
}

void ShopPage::Button4Click()
{
    const ScriptBlock block = shopLinkBlock(m_npcEdit->text(), m_shopidEdit->text());
    m_shell.AppendScriptBlock(block.comment, block.statement);
    m_shell.LogEvent(LogTexts::shopCreated(m_shell.refreshTimeStr(), m_shopidEdit->text()));
}
