#include "buylist/ShopOnServer.h"

#include "base/ScriptKeys.h"
#include "db/DbShell.h"
#include "db/Connection.h"
#include "db/ServerHolds.h"
#include "db/ServerLookup.h"
#include "grid/RecordGrid.h"

#include <QHash>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

// The goods grid's width beside the shop contents grid.
constexpr int goodsWidth = 196;
constexpr int gap = 4;

// The catalogue's names by item id, for the ids of the goods grid.
QHash<qint64, QString> catalogueNames(const RecordGrid &catalogue, const RecordGrid &goods)
{
    QHash<qint64, QString> names;
    for (int row = 0; row < goods.RowCount(); ++row)
        if (const std::optional<qint64> id = ScriptKeys::wholeKey(goods.Cells(0, row)))
            names.insert(*id, QString());
    if (names.isEmpty())
        return names;
    for (int row = 0; row < catalogue.RowCount(); ++row) {
        const std::optional<qint64> id = ScriptKeys::wholeKey(catalogue.Cells(0, row));
        if (id && names.contains(*id))
            names[*id] = catalogue.Cells(2, row);
    }
    return names;
}

} // namespace

ShopOnServer::ShopOnServer(DbShell &shell, QLineEdit *shopEdit, QLineEdit *orderEdit, const RecordGrid &catalogue,
                           QLabel *note, RecordGrid *goods, QObject *parent)
    : QObject(parent)
    , m_shell(shell)
    , m_shopEdit(shopEdit)
    , m_orderEdit(orderEdit)
    , m_catalogue(catalogue)
    , m_note(note)
    , m_goods(goods)
    , m_lookup(new ServerLookup(shopEdit, shell.connection(), [this] { lookUp(); }, this))
{
    // The server's numbers sort as numbers.
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    m_goods->setColumns({{u"ID"_s, 40, SortKind::Numeric, CellKind::Text, left, left},
                         {u"Name"_s, 70},
                         {u"Price"_s, 40, SortKind::Numeric, CellKind::Text, left, left},
                         {u"Order"_s, 30, SortKind::Numeric, CellKind::Text, left, left}});
    m_goods->setAccessibleName(u"Товары магазина на сервере"_s);
    m_goods->setSortedColumnStyle(SortedColumnStyle::Darker);
    m_goods->hide();
}

void ShopOnServer::lookUp()
{
    m_lookup->stop();
    const std::optional<qint64> shop = ScriptKeys::wholeKey(m_shopEdit->text());
    if (!shop || !m_shell.connection().handle()) {
        // Nothing to ask, or no one to ask: the boxes stay as the operator left them.
        m_note->setText(shop || m_shopEdit->text().isEmpty() ? QString() : u"Shop ID — не число"_s);
        m_goods->ClearRows();
        showGoods(false);
        return;
    }
    QList<ServerHolds::Good> goods;
    const QString failure = ServerLookup::run(m_shopEdit->window(), m_shell.connection(),
                                              [&](DbConnection &connection) { goods = ServerHolds::shopGoods(connection, *shop); });
    m_goods->ClearRows();
    if (!failure.isEmpty()) {
        m_note->setText(failure);
        showGoods(false);
        return;
    }
    m_goods->AddRow(int(goods.size()));
    for (int row = 0; row < goods.size(); ++row) {
        const ServerHolds::Good &good = goods.at(row);
        m_goods->setCells(0, row, good.itemId);
        m_goods->setCells(2, row, good.price);
        m_goods->setCells(3, row, good.order);
    }
    nameFromCatalogue();
    const QList<qint64> scriptOrders = ScriptKeys::shopOrders(m_shell.scriptLines(), *shop);
    const qint64 highest = ServerHolds::highestOrder(goods, scriptOrders);
    m_orderEdit->setText(QString::number(highest + 1));
    if (goods.isEmpty())
        m_note->setText(scriptOrders.isEmpty() ? u"свободен: на сервере товаров нет"_s
                                               : u"на сервере товаров нет, в скрипте: %1"_s.arg(scriptOrders.size()));
    else
        m_note->setText(u"на сервере товаров: %1, order до %2"_s.arg(goods.size()).arg(ServerHolds::highestOrder(goods, {})));
    showGoods(!goods.isEmpty());
}

void ShopOnServer::nameFromCatalogue()
{
    const QHash<qint64, QString> names = catalogueNames(m_catalogue, *m_goods);
    for (int row = 0; row < m_goods->RowCount(); ++row)
        m_goods->setCells(1, row, names.value(ScriptKeys::wholeKey(m_goods->Cells(0, row)).value_or(-1)));
}

void ShopOnServer::showGoods(bool shown)
{
    if (m_goods->isVisibleTo(m_goods->parentWidget()) == shown)
        return;
    m_goods->setVisible(shown);
    Q_EMIT goodsShownChanged();
}

void ShopOnServer::place(RecordGrid &contents, const QRect &area) const
{
    if (!m_goods->isVisibleTo(m_goods->parentWidget())) {
        contents.setGeometry(area);
        return;
    }
    const int width = std::max(goodsWidth, area.width() * 2 / 5);
    contents.setGeometry(area.adjusted(0, 0, -(width + gap), 0));
    m_goods->setGeometry(QRect(area.right() - width + 1, area.top(), width, area.height()));
}
