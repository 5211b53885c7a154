#pragma once

#include <QObject>
#include <QRect>

class QLabel;
class QLineEdit;
class RecordGrid;
class ServerLookup;
class DbShell;

// What the server's shop already sells, for the Shop ID typed on the buylist
// page: its goods (id, the catalogue's name, price, order) in a small grid
// beside the shop contents grid, a note beside the boxes, and "Order" set to
// the order after the highest one the shop has on the server and in this
// run's script. After the highest, not into the first gap: the entries that
// follow count up by one each, and a gap is never wide enough to be sure of
// them; new goods also stand after the shop's own.
class ShopOnServer : public QObject
{
    Q_OBJECT

public:
    // note and goods are made by the caller (they stand on the page); the
    // goods grid is shown only while the shop has goods on the server.
    ShopOnServer(DbShell &shell, QLineEdit *shopEdit, QLineEdit *orderEdit, const RecordGrid &catalogue, QLabel *note,
                 RecordGrid *goods, QObject *parent);

    // Asks the server now, as the rested box does.
    void lookUp();

    // The catalogue was loaded anew: the goods shown take their names from it.
    void nameFromCatalogue();

    // Lays the shop contents grid and, while shown, the goods grid side by side into area.
    void place(RecordGrid &contents, const QRect &area) const;

Q_SIGNALS:
    // The goods grid came or went: the page lays its grids out again.
    void goodsShownChanged();

private:
    void showGoods(bool shown);

    DbShell &m_shell;
    QLineEdit *m_shopEdit;
    QLineEdit *m_orderEdit;
    const RecordGrid &m_catalogue;
    QLabel *m_note;
    RecordGrid *m_goods;
    ServerLookup *m_lookup;
};
