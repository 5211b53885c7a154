// The script check against the real test server: each finding on generated
// and hand-written statements, a clean script finding nothing, the same on an
// account that may only read, and the marks and log line of the button.

#include "TestShell.h"

#include "app/EditorPage.h"
#include "base/Error.h"
#include "check/ScriptCheck.h"
#include "db/Connection.h"
#include "editor/SqlEditor.h"

#include <QPushButton>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString npcStatement(const QString &id, const QString &templ, const QString &level = u"70"_s,
                     const QString &sex = u"male"_s, const QString &radius = u"8"_s)
{
    return u"INSERT INTO `npc` VALUES (%1,%2,'Trader',1,'Shop',1,'Merchant',%3,23,%4,'%5','ZantMerchant',40,10000,10000,"
           "50.00,50.00,40,43,30,21,35,25,100000,100000,10000,100000,10000,100000,1000,0,1000,0,0,0,1000,1000,0,0,0,0);"_s
        .arg(id, templ, radius, level, sex);
}

QString shopStatement(const QString &shop, const QString &npc)
{
    return u"INSERT INTO `merchant_shopids` VALUES(%1,%2);"_s.arg(shop, npc);
}

QString buyStatement(const QString &item, const QString &shop, const QString &order)
{
    return u"INSERT INTO `merchant_buylists` VALUES (%1,100,%2,%3,-1,-1,0,0);"_s.arg(item, shop, order);
}

// Script blocks as the generators write them: comment, statement, empty line.
QString blocks(const QStringList &statements)
{
    QString s;
    for (const QString &st : statements)
        s += u"#block\n"_s + st + u"\n\n"_s;
    return s;
}

// "E3 text": the kind (E, W or N), the 1-based line and a piece of the finding's text.
QStringList described(const ScriptCheckResult &result)
{
    QStringList out;
    for (const ScriptProblem &p : result.problems) {
        const char kind = p.kind == ProblemKind::Error ? 'E' : p.kind == ProblemKind::Warning ? 'W' : 'N';
        out.append(QChar::fromLatin1(kind) + QString::number(p.line + 1) + u' ' + p.text);
    }
    return out;
}

void connectAs(DbConnection &db, const QString &user, const QString &password)
{
    db.connect(u"localhost"_s, user, password);
    QCOMPARE(db.errorNumber(), 0u);
    QCOMPARE(db.selectDatabase(u"vosteldb"_s), 0);
}

} // namespace

class tst_ScriptCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findings_data();
    void findings();
    void noConnectionMarksNothing();
    void buttonMarksLogsAndForgets();
};

void tst_ScriptCheck::findings_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("clean generated script")
        << blocks({npcStatement(u"900"_s, u"31"_s), shopStatement(u"7"_s, u"900"_s), buyStatement(u"1"_s, u"7"_s, u"1"_s),
                   buyStatement(u"2"_s, u"7"_s, u"2"_s), buyStatement(u"1001"_s, u"7"_s, u"3"_s)})
        << QStringList();
    QTest::newRow("keys held by the server")
        << blocks({npcStatement(u"31"_s, u"31"_s), shopStatement(u"500"_s, u"31"_s), buyStatement(u"2"_s, u"500"_s, u"1"_s)})
        << QStringList{u"E2 ключ id = 31 уже есть в таблице npc"_s, u"E5 ключ shop_id = 500 уже есть"_s,
                       u"E8 ключ shop_id, order = 500, 1 уже есть"_s};
    QTest::newRow("keys inserted earlier in the script")
        << blocks({buyStatement(u"1"_s, u"8"_s, u"1"_s), buyStatement(u"2"_s, u"8"_s, u"1"_s), shopStatement(u"8"_s, u"31"_s),
                   shopStatement(u"08"_s, u"32"_s)})
        << QStringList{u"E5 ключ shop_id, order = 8, 1 уже вставляет строка 2"_s, u"E11 ключ shop_id = 08 уже вставляет строка 8"_s};
    QTest::newRow("no such table, too few values, empty positions")
        << blocks({u"INSERT INTO `merchant_shops` VALUES(7,31);"_s, u"INSERT INTO `merchant_shopids` VALUES(7);"_s,
                   shopStatement(QString(), QString())})
        << QStringList{u"E2 таблицы merchant_shops нет в базе vosteldb"_s, u"E5 значений 1, а столбцов 2"_s,
                       u"E8 пустая позиция: значения для столбца shop_id"_s, u"E8 пустая позиция: значения для столбца npc_id"_s};
    QTest::newRow("values that do not fit their columns")
        << blocks({npcStatement(u"abc"_s, u"31"_s, u"300"_s, u"hermaphrodite"_s, u"8.125"_s),
                   shopStatement(u"'7x'"_s, u"NULL"_s), shopStatement(u"2.5"_s, u"99999999999"_s)})
        << QStringList{u"E2 «abc» — не число, а столбец id (int(11)) числовой"_s,
                       u"E2 300 вне диапазона столбца level (tinyint(4))"_s,
                       u"E2 текст из 13 знаков длиннее столбца sex (varchar(8))"_s,
                       u"E5 «7x» — не число"_s, u"E5 NULL в столбце npc_id (int(11)), который не допускает NULL"_s,
                       u"E8 99999999999 вне диапазона"_s};
    QTest::newRow("references to nothing")
        << blocks({buyStatement(u"99999"_s, u"9"_s, u"1"_s), shopStatement(u"9"_s, u"777777"_s),
                   npcStatement(u"901"_s, u"888888"_s)})
        << QStringList{u"W2 предмета 99999 нет ни в weapon, ни в armor, ни в etcitem"_s,
                       u"W5 NPC 777777 нет ни в таблице npc, ни среди созданных выше"_s, u"W8 шаблона 888888 нет в таблице npc"_s};
    QTest::newRow("an NPC is linked before it is created")
        << blocks({shopStatement(u"9"_s, u"902"_s), npcStatement(u"902"_s, u"31"_s)})
        << QStringList{u"W2 NPC 902 нет ни в таблице npc"_s};
    // Hand-written: split over lines, columns in another order, several rows,
    // names with quotes, backslashes and Cyrillic, comments between the parts.
    QTest::newRow("hand-written multi-row insert")
        << u"INSERT INTO npc (name, `idTemplate`, id, title)\n"
           "VALUES ('Торговец \\'Ахмед\\' C:\\\\', 31, 950, 'Лавка; -- не комментарий'), /* второй */\n"
           "  ('Мила', 32,\n"
           "   31, ''),\n"
           "  ('Кузнец \"Молот\"', 31, 951, 'Кузня');\n"
           "INSERT INTO merchant_buylists (shop_id, `order`, item_id) VALUES (9, 1, 1), (9, 1, 2);"_s
        << QStringList{u"E3 ключ id = 31 уже есть в таблице npc"_s, u"E6 ключ shop_id, order = 9, 1 уже вставляет строка 6"_s};
    QTest::newRow("columns left out, unknown or twice")
        << u"INSERT INTO merchant_buylists (item_id, shop_id) VALUES (1, 9);\n"
           "INSERT INTO merchant_shopids (shop_id, npcid) VALUES (9, 31);\n"
           "INSERT INTO merchant_shopids (shop_id, shop_id, npc_id) VALUES (9, 9, 31);"_s
        << QStringList{u"E1 столбец order не получает значения"_s, u"E2 в таблице merchant_shopids нет столбца npcid"_s,
                       u"E3 столбец shop_id назван в списке дважды"_s};
    QTest::newRow("other statements are noted, not counted")
        << u"SELECT * FROM npc;\nUPDATE npc SET level = 1;\n/*!40101 SET NAMES cp1251 */;\n"_s + buyStatement(u"1"_s, u"9"_s, u"1"_s)
        << QStringList{u"N1 проверяются только"_s, u"N2 проверяются только"_s, u"N3 условным комментарием"_s};
    QTest::newRow("string left open")
        << buyStatement(u"1"_s, u"9"_s, u"1"_s) + u"\nINSERT INTO npc (name) VALUES ('Торговец;\n\n"_s
        << QStringList{u"E2 строка в кавычках не закрыта"_s};
    QTest::newRow("comment left open")
        << buyStatement(u"1"_s, u"9"_s, u"1"_s) + u"\n/* до конца\n"_s + buyStatement(u"1"_s, u"9"_s, u"1"_s)
        << QStringList{u"W2 комментарий не закрыт"_s};
    QTest::newRow("names from the script never reach a query")
        << u"INSERT INTO `npc`.`x; DROP TABLE npc` VALUES (1);\nINSERT INTO `npc'; DROP TABLE npc; --` VALUES (1);\n"
           "INSERT INTO vosteldb.merchant_shopids VALUES (500, 31);"_s
        << QStringList{u"N1 таблица другой базы (npc)"_s, u"E2 таблицы npc'; DROP TABLE npc; -- нет"_s,
                       u"E3 ключ shop_id = 500 уже есть"_s};
}

void tst_ScriptCheck::findings()
{
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    const QStringList lines = script.split(u'\n');

    // The same findings for the owner and for an account that may only read.
    for (const auto &[user, password] : {std::pair{u"root"_s, u"kelp"_s}, std::pair{u"reader"_s, u"reader"_s}}) {
        DbConnection db;
        connectAs(db, user, password);
        const ScriptCheckResult result = checkScript(lines, db);
        const QStringList found = described(result);
        QVERIFY2(found.size() == expected.size(), qPrintable(user + u": "_s + found.join(u" | "_s)));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const qsizetype space = expected.at(i).indexOf(u' ');
            QVERIFY2(found.at(i).startsWith(expected.at(i).left(space + 1)) && found.at(i).contains(expected.at(i).mid(space + 1)),
                     qPrintable(user + u": "_s + found.at(i) + u" <> "_s + expected.at(i)));
        }
        QCOMPARE(result.errors, int(std::count_if(expected.begin(), expected.end(), [](const QString &e) { return e.startsWith(u'E'); })));
        QCOMPARE(result.warnings, int(std::count_if(expected.begin(), expected.end(), [](const QString &e) { return e.startsWith(u'W'); })));
    }
}

void tst_ScriptCheck::noConnectionMarksNothing()
{
    DbConnection never;
    QVERIFY_THROWS_EXCEPTION(QmError, checkScript({buyStatement(u"1"_s, u"9"_s, u"1"_s)}, never));

    // Connected, but the connection is gone before the check.
    DbConnection db;
    connectAs(db, u"root"_s, u"kelp"_s);
    db.closeAtExit();
    QVERIFY_THROWS_EXCEPTION(QmError, checkScript({buyStatement(u"1"_s, u"9"_s, u"1"_s)}, db));

    // Connected, but no database selected.
    DbConnection noDatabase;
    noDatabase.connect(u"localhost"_s, u"reader"_s, u"reader"_s);
    QVERIFY_THROWS_EXCEPTION(QmError, checkScript({buyStatement(u"1"_s, u"9"_s, u"1"_s)}, noDatabase));
}

void tst_ScriptCheck::buttonMarksLogsAndForgets()
{
    TestShell shell;
    connectAs(shell.db, u"reader"_s, u"reader"_s);
    EditorPage page(shell);
    page.show();
    SqlEditor *editor = page.SynMemo1();
    QStringList script;
    for (int i = 1; i <= 100; ++i)
        script << u"#weapon  x"_s << buyStatement(u"1"_s, u"9"_s, QString::number(i)) << QString();
    script[100] = buyStatement(u"99999"_s, u"9"_s, u"1"_s);  // a warning and a key error on line 101
    editor->mirrorPane(script);

    QTest::mouseClick(page.findChild<QPushButton *>(u"Button9"_s), Qt::LeftButton);
    QCOMPARE(shell.log, QStringList{u"10:00:01  Скрипт проверен: ошибок 1, предупреждений 1, не проверено 0"_s});
    QVERIFY(editor->hasLineMarks());
    QCOMPARE(editor->annotation(100),
             u"Ошибка: ключ shop_id, order = 9, 1 уже вставляет строка 2 скрипта\n"
             "Предупреждение: предмета 99999 нет ни в weapon, ни в armor, ни в etcitem"_s);
    QVERIFY(editor->markersAtLine(100) != 0);
    QCOMPARE(editor->firstVisibleLine(), 99);

    // The next change of the text takes the marks away.
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_X);
    QVERIFY(!editor->hasLineMarks());
    QCOMPARE(editor->annotation(100), QString());
    QCOMPARE(editor->markersAtLine(100), 0u);
}

QTEST_MAIN(tst_ScriptCheck)
#include "tst_scriptcheck.moc"
