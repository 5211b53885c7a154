// The buylist page's parts beyond its form: what the server's shop already
// holds, beside the shop contents grid, and how the page grows with the window.
#include "buylist/BuylistPage.h"

#include "base/FormControls.h"
#include "base/PageStretch.h"
#include "buylist/ShopOnServer.h"
#include "grid/RecordGrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

void BuylistPage::watchServer()
{
    auto *form = findChild<QGroupBox *>(u"GroupBoxBuylist"_s);
    auto *note = addLabel(form, QString(), QRect(170, 64, 215, 21));
    note->setObjectName(u"shopNote"_s);
    note->setTextFormat(Qt::PlainText);
    auto *goods = new RecordGrid(this);
    goods->setObjectName(u"ShopGoodsGrid"_s);
    m_shopOnServer = new ShopOnServer(m_shell, m_shopEdit, m_orderEdit, *m_nextGrid2, note, goods, this);

    // The forms keep their size; the grids share what the window gains, the
    // left one (with the server's goods beside it) half of the width.
    auto *stretch = new PageStretch(this);
    const int contentsArea = 0;
    stretch->addArea(m_nextGrid3->geometry(), {0, 0.5, 0, 1},
                     [this](const QRect &area) { m_shopOnServer->place(*m_nextGrid3, area); });
    stretch->add(findChild<QGroupBox *>(u"GroupBoxFilters"_s), {0.5, 0, 0, 0});
    stretch->add(m_nextGrid2, {0.5, 0.5, 0, 1});
    // Tab follows the road: the shop, the load, the search and the pick, then the rest of the form.
    chainTabOrder({m_shopEdit, m_orderEdit, m_button5, m_radioButton1, m_radioButton2, m_radioButton3, m_search,
                   m_nextGrid2, m_typesortEdit, m_gradesortEdit, m_sellsortEdit, m_itemidEdit, m_priceEdit,
                   m_checkBox1, m_button6, m_nextGrid3, goods});

    connect(m_shopOnServer, &ShopOnServer::goodsShownChanged, this,
            [this, stretch] { m_shopOnServer->place(*m_nextGrid3, stretch->area(contentsArea)); });
}
