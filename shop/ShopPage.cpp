#include "shop/ShopPage.h"

#include "base/Guard.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "shop/ShopStatement.h"
#include "base/FormControls.h"
#include "base/ScriptKeys.h"
#include "db/KeyOnServer.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

ShopPage::ShopPage(DbShell &shell, QWidget *parent)
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
    watchKeysOnServer();
}

// Beside the boxes: whether the NPC is on the server (it should be, or be made
// by this run's script), and whether the shop number is taken, with a free one at a key press.
void ShopPage::watchKeysOnServer()
{
    auto *npcNote = addLabel(this, QString(), QRect(200, 34, 560, 18));
    npcNote->setObjectName(u"npcIdNote"_s);
    auto *freeShop = addButton(this, u"freeShopButton"_s, u"&Свободный Shop ID"_s, QRect(200, 62, 137, 25));
    auto *shopNote = addLabel(this, QString(), QRect(344, 66, 420, 18));
    shopNote->setObjectName(u"shopIdNote"_s);
    for (QLabel *note : {npcNote, shopNote})
        note->setTextFormat(Qt::PlainText);
    new KeyOnServer(m_shell, m_npcEdit, "npc", "id", ScriptKeys::npcIds,
                    {u"NPC %1 есть на сервере"_s, u"NPC %1 создаётся в скрипте"_s, u"NPC с таким ID на сервере нет"_s},
                    npcNote, nullptr, this);
    new KeyOnServer(m_shell, m_shopidEdit, "merchant_shopids", "shop_id", ScriptKeys::shopIds,
                    {u"Shop ID %1 занят на сервере (свободный: %2)"_s, u"Shop ID %1 занят в скрипте (свободный: %2)"_s,
                     u"Shop ID свободен"_s},
                    shopNote, freeShop, this);
    setTabOrder(m_shopidEdit, freeShop);
    setTabOrder(freeShop, m_button4);
}

void ShopPage::Button4Click()
{
    const ScriptBlock block = shopLinkBlock(m_npcEdit->text(), m_shopidEdit->text());
    m_shell.AppendScriptBlock(block.comment, block.statement);
    m_shell.LogEvent(LogTexts::shopCreated(m_shell.refreshTimeStr(), m_shopidEdit->text()));
}
