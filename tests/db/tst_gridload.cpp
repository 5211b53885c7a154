#include "DbTestSupport.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/GridLoad.h"
#include "grid/RecordGrid.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray weaponQuery = "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon";

void catalogueColumns(RecordGrid &grid)
{
    grid.setColumns({{u"item id"_s, 50, SortKind::Numeric},
                     {u"Type"_s, 50},
                     {u"Name"_s, 160},
                     {u"Grade"_s, 40},
                     {u"Price"_s, 60, SortKind::Numeric},
                     {u"Sellable"_s, 40}});
}

} // namespace

class tst_GridLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fillsTheView();
    void failedLoadThrowsTheLibraryText_data();
    void failedLoadThrowsTheLibraryText();

private:
    DbConnection m_db;
};

void tst_GridLoad::initTestCase()
{
    QVERIFY2(!sharedSocket().isEmpty(), "MYSQL_UNIX_PORT is not set; start the server with scripts/db");
    m_db.connect(u"localhost"_s, u"reader"_s, u"reader"_s);
    QVERIFY2(m_db.errorNumber() == 0, qPrintable(m_db.errorText()));
    QCOMPARE(m_db.selectDatabase(u"vosteldb"_s), 0);
}

void tst_GridLoad::fillsTheView()
{
    RecordGrid grid;
    catalogueColumns(grid);
    grid.resize(417, 369);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    LoadTable(grid, m_db, weaponQuery);
    QCOMPARE(grid.RowCount(), 1507);
    QCOMPARE(grid.model()->rowCount(), 1507);
    QCOMPARE(grid.Cells(2, 1), u"Меч 'Рассвет'"_s);
    QCOMPARE(grid.model()->index(1, 2).data().toString(), u"Меч 'Рассвет'"_s);
    QVERIFY(!QApplication::overrideCursor());

    LoadTable(grid, m_db, "SELECT item_id, armor_type, name, crystal_type, price, sellable  FROM armor");
    QCOMPARE(grid.model()->rowCount(), 1205);
    QCOMPARE(grid.Cells(2, 0), u"Кожаная куртка"_s);
}

void tst_GridLoad::failedLoadThrowsTheLibraryText_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing table") << QByteArray("SELECT item_id  FROM nosuch")
                                   << u"Table 'vosteldb.nosuch' doesn't exist"_s;
    QTest::newRow("number column takes a name")
        << QByteArray("SELECT name, weaponType  FROM weapon WHERE item_id = 6")
        << u"'Fist of Ash' is not a valid floating point value"_s;
}

void tst_GridLoad::failedLoadThrowsTheLibraryText()
{
    QFETCH(QByteArray, query);
    QFETCH(QString, error);
    // A first column that holds numbers, like the template grid's.
    RecordGrid grid;
    grid.setColumns({{u"item id"_s, 50, SortKind::Numeric, CellKind::Number}, {u"Type"_s, 50}});
    LoadTable(grid, m_db, weaponQuery);
    QCOMPARE(grid.model()->rowCount(), 1507);

    try {
        LoadTable(grid, m_db, query);
        QFAIL("the load did not fail");
    } catch (const QmError &e) {
        QCOMPARE(e.text(), error);
    }
    QCOMPARE(grid.RowCount(), 0);
    QCOMPARE(grid.model()->rowCount(), 0);
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(tst_GridLoad)
#include "tst_gridload.moc"
