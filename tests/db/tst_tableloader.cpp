#include "DbTestSupport.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/TableLoader.h"
#include "grid/RowStore.h"

#include <QTest>

#include <mysql.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray weaponQuery = "SELECT item_id, weaponType, name, crystal_type, price, sellable  FROM weapon";
const QByteArray armorQuery = "SELECT item_id, armor_type, name, crystal_type, price, sellable  FROM armor";
const QByteArray npcQuery = "SELECT idTemplate, name, class, collision_radius,collision_height, sex, aggro, rhand, "
                            "lhand, armor FROM npc";

// The catalogue grid's shape: six text columns.
void catalogueShape(RowStore &store)
{
    store.setColumnKinds(std::vector<CellKind>(6, CellKind::Text));
}

// The template grid's shape: the template id is a number column.
void templateShape(RowStore &store)
{
    std::vector<CellKind> kinds(10, CellKind::Text);
    kinds[0] = CellKind::Number;
    store.setColumnKinds(kinds);
}

int findRow(const RowStore &store, int col, const QString &text)
{
    for (int row = 0; row < store.rowCount(); ++row)
        if (store.text(col, row) == text)
            return row;
    return -1;
}

} // namespace

class tst_TableLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void wholeTables_data();
    void wholeTables();
    void cellsComeBackExactly_data();
    void cellsComeBackExactly();
    void loadingTwiceKeepsOneCopy();
    void armourReplacesWeapons();
    void extraFieldsAreDropped();
    void templatesIntoNumberColumn();
    void badTemplateIdEndsTheLoad_data();
    void badTemplateIdEndsTheLoad();
    void noResult_data();
    void noResult();
    void neverConnected();
    void serverGoneBetweenConnectAndLoad();
    void selectOnlyAccount();

private:
    DbConnection m_db;
};

void tst_TableLoader::initTestCase()
{
    QVERIFY2(!sharedSocket().isEmpty(), "MYSQL_UNIX_PORT is not set; start the server with scripts/db");
    m_db.connect(u"localhost"_s, u"root"_s, u"kelp"_s);
    QVERIFY2(m_db.errorNumber() == 0, qPrintable(m_db.errorText()));
    QCOMPARE(m_db.selectDatabase(u"vosteldb"_s), 0);
}

void tst_TableLoader::wholeTables_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("rows");
    QTest::newRow("weapon") << weaponQuery << 1507;
    QTest::newRow("armor") << armorQuery << 1205;
    QTest::newRow("etcitem")
        << QByteArray("SELECT item_id, item_type, name, crystal_type, price, sellable  FROM etcitem") << 1005;
    QTest::newRow("empty table")
        << QByteArray("SELECT item_id, item_type, name, crystal_type, price, sellable  FROM empty_items") << 0;
}

void tst_TableLoader::wholeTables()
{
    QFETCH(QByteArray, query);
    QFETCH(int, rows);
    RowStore store;
    catalogueShape(store);
    store.addRows(3);

    const LoadOutcome outcome = LoadTable(store, m_db, query);
    QVERIFY2(outcome.loaded, qPrintable(outcome.errorText));
    QCOMPARE(outcome.rows, rows);
    QCOMPARE(store.rowCount(), rows);
    // Server order (by item id), no row left blank, all visible.
    for (int row = 0; row < rows; ++row) {
        QVERIFY(!store.text(0, row).isEmpty());
        QVERIFY(!store.text(2, row).isEmpty());
        QVERIFY(store.isVisible(row));
        if (row > 0)
            QVERIFY(store.text(0, row - 1).toInt() < store.text(0, row).toInt());
    }
}

void tst_TableLoader::cellsComeBackExactly_data()
{
    QTest::addColumn<QString>("itemId");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("grade");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("sellable");

    QTest::newRow("cyrillic") << u"1"_s << u"sword"_s << u"Короткий меч"_s << u"none"_s << u"120"_s << u"true"_s;
    QTest::newRow("single quotes") << u"2"_s << u"sword"_s << u"Меч 'Рассвет'"_s << u"d"_s << u"5400"_s << u"true"_s;
    QTest::newRow("double quotes, NULL price")
        << u"3"_s << u"blunt"_s << u"Посох \"Тишина\""_s << u"c"_s << QString() << u"false"_s;
    QTest::newRow("backslashes") << u"4"_s << u"dagger"_s << u"Кинжал C:\\Тень\\"_s << u"b"_s << u"0"_s << u"true"_s;
    QTest::newRow("line break") << u"5"_s << u"bow"_s << u"Лук\nдальний"_s << u"a"_s << u"250000"_s << u"false"_s;
    QTest::newRow("latin, NULL price") << u"6"_s << u"fist"_s << u"Fist of Ash"_s << u"s"_s << QString() << u"true"_s;
    QTest::newRow("code page punctuation")
        << u"7"_s << u"pole"_s << u"Алебарда №7 — «ёлка»"_s << u"none"_s << u"77"_s << u"true"_s;
}

void tst_TableLoader::cellsComeBackExactly()
{
    QFETCH(QString, itemId);
    RowStore store;
    catalogueShape(store);
    QVERIFY(LoadTable(store, m_db, weaponQuery).loaded);

    const int row = findRow(store, 0, itemId);
    QVERIFY(row >= 0);
    QTEST(store.text(1, row), "type");
    QTEST(store.text(2, row), "name");
    QTEST(store.text(3, row), "grade");
    QTEST(store.text(4, row), "price");
    QTEST(store.text(5, row), "sellable");
}

void tst_TableLoader::loadingTwiceKeepsOneCopy()
{
    RowStore store;
    catalogueShape(store);
    QVERIFY(LoadTable(store, m_db, weaponQuery).loaded);
    const QString last = store.text(2, store.rowCount() - 1);
    QVERIFY(LoadTable(store, m_db, weaponQuery).loaded);
    QCOMPARE(store.rowCount(), 1507);
    QCOMPARE(store.text(2, 1506), last);
    QCOMPARE(store.text(2, 1507), QString());
}

void tst_TableLoader::armourReplacesWeapons()
{
    RowStore store;
    catalogueShape(store);
    QVERIFY(LoadTable(store, m_db, weaponQuery).loaded);
    QVERIFY(LoadTable(store, m_db, armorQuery).loaded);
    QCOMPARE(store.rowCount(), 1205);
    QCOMPARE(store.text(2, 0), u"Кожаная куртка"_s);
    for (int row = 0; row < store.rowCount(); ++row) {
        const QString type = store.text(1, row);
        QVERIFY2(type == u"light"_s || type == u"heavy"_s || type == u"magic"_s || type == u"none"_s,
                 qPrintable(type));
    }
}

void tst_TableLoader::extraFieldsAreDropped()
{
    RowStore store;
    store.setColumnKinds(std::vector<CellKind>(2, CellKind::Text));
    const LoadOutcome outcome = LoadTable(store, m_db, weaponQuery + " WHERE item_id <= 2");
    QVERIFY(outcome.loaded);
    QCOMPARE(store.rowCount(), 2);
    QCOMPARE(store.text(0, 1), u"2"_s);
    QCOMPARE(store.text(1, 1), u"sword"_s);
    QCOMPARE(store.text(2, 1), QString());
}

void tst_TableLoader::templatesIntoNumberColumn()
{
    RowStore store;
    templateShape(store);
    const LoadOutcome outcome = LoadTable(store, m_db, npcQuery);
    QVERIFY2(outcome.loaded, qPrintable(outcome.errorText));
    QCOMPARE(store.rowCount(), 905);
    QCOMPARE(store.text(0, 0), u"31"_s);
    QCOMPARE(store.text(1, 0), u"Торговец Ахмед"_s);
    QCOMPARE(store.text(3, 0), u"8.00"_s);
    QCOMPARE(store.text(4, 2), u"25.00"_s);
    QCOMPARE(store.text(5, 2), u"Female"_s);
    QCOMPARE(store.text(1, 3), u"Страж C:\\ворота\\"_s);
    QCOMPARE(store.text(1, 4), u"Смотритель\nмаяка"_s);
    QCOMPARE(store.text(0, 904), u"1900"_s);
}

void tst_TableLoader::badTemplateIdEndsTheLoad_data()
{
    QTest::addColumn<QByteArray>("where");
    QTest::addColumn<QString>("error");
    QTest::newRow("letters in the id") << QByteArray(" WHERE id <> 4 AND id <> 5")
                                       << u"'70x3' is not a valid floating point value"_s;
    QTest::newRow("empty id") << QByteArray(" WHERE id IN (1, 4)") << u"'' is not a valid floating point value"_s;
    QTest::newRow("NULL id") << QByteArray(" WHERE id IN (5, 1)") << u"'' is not a valid floating point value"_s;
}

void tst_TableLoader::badTemplateIdEndsTheLoad()
{
    QFETCH(QByteArray, where);
    QFETCH(QString, error);

    DbConnection db;
    db.connect(u"localhost"_s, u"root"_s, u"kelp"_s);
    QCOMPARE(db.selectDatabase(u"vostelodd"_s), 0);

    RowStore store;
    templateShape(store);
    try {
        LoadTable(store, db, npcQuery + where);
        QFAIL("the load did not raise the number error");
    } catch (const QmError &e) {
        QCOMPARE(e.text(), error);
    }
    // No half-filled grid is left behind, and the connection takes the next
    // query (the result did not stay pending on it).
    QCOMPARE(store.rowCount(), 0);
    const LoadOutcome next = LoadTable(store, db, npcQuery + " WHERE id < 3");
    QVERIFY2(next.loaded, qPrintable(next.errorText));
    QCOMPARE(store.text(0, 1), u"7002"_s);
}

void tst_TableLoader::noResult_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing table") << QByteArray("SELECT item_id, name  FROM nosuch")
                                   << u"Table 'vosteldb.nosuch' doesn't exist"_s;
    QTest::newRow("missing column") << QByteArray("SELECT item_id, weaponType, name, grade  FROM weapon")
                                    << u"Unknown column 'grade' in 'SELECT'"_s;
    QTest::newRow("statement without result set") << QByteArray("SET @x = 1")
                                                  << u"The query returned no result set"_s;
    QTest::newRow("empty query") << QByteArray() << u"Query was empty"_s;
}

void tst_TableLoader::noResult()
{
    QFETCH(QByteArray, query);
    QFETCH(QString, error);
    RowStore store;
    catalogueShape(store);
    QVERIFY(LoadTable(store, m_db, weaponQuery).loaded);

    const LoadOutcome outcome = LoadTable(store, m_db, query);
    QVERIFY(!outcome.loaded);
    QCOMPARE(outcome.errorText, error);
    QCOMPARE(store.rowCount(), 0);
    // The connection is still good for the next load.
    QVERIFY(LoadTable(store, m_db, armorQuery).loaded);
}

void tst_TableLoader::neverConnected()
{
    DbConnection db;
    db.connect(u"localhost"_s, u"root"_s, u"wrong"_s);
    RowStore store;
    catalogueShape(store);
    store.addRows(2);
    const LoadOutcome outcome = LoadTable(store, db, weaponQuery);
    QVERIFY(!outcome.loaded);
    QVERIFY(!outcome.errorText.isEmpty());
    QCOMPARE(store.rowCount(), 0);

    DbConnection fresh;
    const LoadOutcome untouched = LoadTable(store, fresh, weaponQuery);
    QVERIFY(!untouched.loaded);
    QVERIFY(!untouched.errorText.isEmpty());
}

void tst_TableLoader::serverGoneBetweenConnectAndLoad()
{
    ThrowawayServer server;
    QString output;
    QVERIFY2(server.start(&output), qPrintable(output));

    DbConnection db;
    db.connect(u"localhost"_s, u"root"_s, u"kelp"_s, DbEndpoint{0, server.socket()});
    QVERIFY2(db.errorNumber() == 0, qPrintable(db.errorText()));
    QCOMPARE(db.selectDatabase(u"vosteldb"_s), 0);
    RowStore store;
    catalogueShape(store);
    QVERIFY(LoadTable(store, db, weaponQuery).loaded);

    QVERIFY2(server.stop(&output), qPrintable(output));
    const LoadOutcome outcome = LoadTable(store, db, weaponQuery);
    QVERIFY(!outcome.loaded);
    QVERIFY2(outcome.errorText.contains(u"server"_s, Qt::CaseInsensitive), qPrintable(outcome.errorText));
    QCOMPARE(store.rowCount(), 0);
}

void tst_TableLoader::selectOnlyAccount()
{
    DbConnection db;
    db.connect(u"localhost"_s, u"reader"_s, u"reader"_s);
    QCOMPARE(db.selectDatabase(u"vosteldb"_s), 0);
    RowStore store;
    templateShape(store);
    QVERIFY(LoadTable(store, db, npcQuery).loaded);
    QCOMPARE(store.rowCount(), 905);
}

QTEST_GUILESS_MAIN(tst_TableLoader)
#include "tst_tableloader.moc"
