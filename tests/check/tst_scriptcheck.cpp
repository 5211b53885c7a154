// The script check against the real test server: each finding on generated
// and hand-written statements, a clean script finding nothing, the same on an
// account that may only read, and the marks and log line of the button.

#include "TestShell.h"

#include "app/EditorPage.h"
#include "base/Error.h"
#include "base/TextFile.h"
#include "check/KeyLookup.h"
#include "check/ReadOnlyQuery.h"
#include "check/ScriptCheck.h"
#include "check/TableSchema.h"
#include "db/Connection.h"
#include "editor/SqlEditor.h"

#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <mysql.h>

#include <algorithm>
#include <map>

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

void connectAs(DbConnection &db, const QString &user, const QString &password,
               const QString &database = u"vosteldb"_s)
{
    db.connect(u"localhost"_s, user, password);
    QCOMPARE(db.errorNumber(), 0u);
    QCOMPARE(db.selectDatabase(database), 0);
}

// The stock command-line client as root on the test server, in its default
// character set, `input` on its standard input; its standard error.
QString runClient(const QStringList &arguments, const QByteArray &input)
{
    QProcess client;
    client.start(u"mariadb"_s, QStringList{u"--no-defaults"_s, u"--socket="_s + qEnvironmentVariable("MYSQL_UNIX_PORT"),
                                          u"--user=root"_s, u"--password=kelp"_s, u"--default-character-set=utf8mb4"_s}
                                   + arguments);
    client.write(input);
    client.closeWriteChannel();
    client.waitForFinished(60000);
    return QString::fromUtf8(client.readAllStandardError());
}

// A fresh copy of the real-shapes database, rows included, for the client to change.
void copyRealShapes(DbConnection &db)
{
    QString sql = u"DROP DATABASE IF EXISTS qm_compare; CREATE DATABASE qm_compare CHARACTER SET utf8mb4;"_s;
    const char *tables = "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'vostelreal'";
    QVERIFY(mysql_query(db.handle(), tables) == 0);
    MYSQL_RES *result = mysql_store_result(db.handle());
    while (MYSQL_ROW row = mysql_fetch_row(result))
        sql += u"CREATE TABLE qm_compare.%1 LIKE vostelreal.%1; INSERT INTO qm_compare.%1 SELECT * FROM vostelreal.%1;"_s
                   .arg(QString::fromLatin1(row[0]));
    mysql_free_result(result);
    QCOMPARE(runClient({}, sql.toUtf8()), QString());
}

// Per listed statement line, the check's verdict: E (an error), N (not
// checked), K (a client command), W (only warnings), ok (nothing).
std::map<int, QString> checkVerdicts(const ScriptCheckResult &result, const std::map<int, QString> &expected)
{
    std::map<int, QString> verdicts;
    for (const auto &[line, verdict] : expected)
        verdicts[line] = u"ok"_s;
    const auto rank = [](const QString &v) { return QStringList{u"ok"_s, u"W"_s, u"K"_s, u"N"_s, u"E"_s}.indexOf(v); };
    for (const ScriptProblem &p : result.problems) {
        auto it = verdicts.upper_bound(p.line + 1);
        if (it == verdicts.begin()) {
            verdicts[0] = u"finding before the first statement: "_s + p.text;
            continue;
        }
        --it;
        const QString v = p.kind == ProblemKind::Error ? u"E"_s : p.kind == ProblemKind::NotChecked ? u"N"_s
                        : p.text.startsWith(u"команда клиента"_s) ? u"K"_s : u"W"_s;
        if (rank(v) > rank(it->second))
            it->second = v;
    }
    return verdicts;
}

} // namespace

class tst_ScriptCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findings_data();
    void findings();
    void agreesWithTheClient_data();
    void agreesWithTheClient();
    void lockedTableIsNotChecked();
    void keysComparedInEveryForm_data();
    void keysComparedInEveryForm();
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
    QTest::newRow("a dump's opening lines")
        << u"/*!40101 SET NAMES utf8 */;\n/*!40014 SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS, UNIQUE_CHECKS=0 */;\n"
           "/*!40101 INSERT INTO merchant_shopids VALUES (5,'7001') */;\n"_s + buyStatement(u"1"_s, u"9"_s, u"1"_s)
        << QStringList{u"N1 условным комментарием"_s, u"N2 условным комментарием"_s, u"N3 условным комментарием"_s};
    QTest::newRow("every fault of a statement at once")
        << blocks({npcStatement(u"31"_s, u"31"_s, QString()), u"INSERT INTO merchant_shopids (shop_id, npcid) VALUES (500, 31);"_s,
                   u"INSERT INTO merchant_buylists VALUES (1,100,9,1,-1,-1,0,0),\n(2,100,500,1,-1,-1,0,0),\n(3,x,500,1,-1,-1,0,0);"_s})
        << QStringList{u"E2 пустая позиция: значения для столбца level"_s, u"E2 ключ id = 31 уже есть в таблице npc"_s,
                       u"E5 в таблице merchant_shopids нет столбца npcid"_s, u"E5 ключ shop_id = 500 уже есть"_s,
                       u"E9 ключ shop_id, order = 500, 1 уже есть"_s, u"E10 «x» — не число"_s,
                       u"E10 ключ shop_id, order = 500, 1 уже есть"_s};
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

void tst_ScriptCheck::agreesWithTheClient_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("verdicts");  // "line:verdict" per statement; the client agrees on E and ok, W, K

    QTest::newRow("a generated trader on the real shapes")
        << u"INSERT INTO npc (id, idTemplate, name) VALUES (7100, 7001, 'Новый');\n"
           "INSERT INTO `merchant_shopids` VALUES(7,7001);\nINSERT INTO `merchant_shopids` VALUES(8,7100);\n"
           "INSERT INTO `merchant_shopids` VALUES(9,'7001      ');\n"
           "INSERT INTO `merchant_buylists` VALUES (57,990.5,7,1,-1,-1,0,0);\n"
           "INSERT INTO `merchant_shopids` VALUES(10,7004.0);"_s
        << u"1:ok 2:ok 3:ok 4:ok 5:ok 6:W"_s;
    QTest::newRow("text keys as the server compares them")
        << u"INSERT INTO shop_notes VALUES ('abc ');\nINSERT INTO shop_titles (title) VALUES ('résumé');\n"
           "INSERT INTO shop_titles (title) VALUES ('ёль');\nINSERT INTO shop_notes VALUES ('x'), ('x ');\n"
           "INSERT INTO shop_notes VALUES ('Abc');\nINSERT INTO shop_titles (title) VALUES ('ABC'), ('abc');"_s
        << u"1:E 2:E 3:E 4:E 5:ok 6:E"_s;
    QTest::newRow("rows inserted above, and a failed statement's rows taken back")
        << u"INSERT INTO shop_notes VALUES ('q');\nINSERT INTO shop_notes VALUES ('Q ');\n"
           "INSERT INTO shop_notes VALUES ('q  ');\nINSERT INTO shop_notes VALUES ('r'), ('abc');\n"
           "INSERT INTO shop_notes VALUES ('r');"_s
        << u"1:ok 2:ok 3:E 4:E 5:ok"_s;
    QTest::newRow("a table without transactions keeps the rows before a failing one")
        << u"INSERT INTO merchant_shopids VALUES (600, '7001'), (500, '7002');\n"
           "INSERT INTO merchant_shopids VALUES (600, '7002');\n"
           "INSERT INTO merchant_shopids VALUES (601, '7001'), (602, '7001234567');\n"
           "INSERT INTO merchant_shopids VALUES (603, '7001234567'), (604, '7001');"_s
        << u"1:E 2:E 3:W 4:E"_s;
    QTest::newRow("strict mode")
        << u"INSERT INTO npc (id, idTemplate, sex) VALUES (7200, 7001, 0);\n"
           "INSERT INTO npc (id, idTemplate, sex) VALUES (7201, 7001, 'MALE ');\n"
           "INSERT INTO npc (id, idTemplate, sex) VALUES (7202, 7001, 2);\n"
           "INSERT INTO npc (id, idTemplate, level) VALUES (7203, 7001, 99.5);\n"
           "INSERT INTO npc (id, idTemplate, level) VALUES (7204, 7001, 98.5);\n"
           "INSERT INTO npc (id, idTemplate, name) VALUES (7205, 7001, NULL);\n"
           "INSERT INTO npc (id, idTemplate, title) VALUES (7206, 7001, REPEAT('x', 50));\n"
           "INSERT INTO npc (id, idTemplate, sex) VALUES (7207, 7001, 'none');"_s
        << u"1:E 2:ok 3:ok 4:E 5:ok 6:E 7:N 8:E"_s;
    QTest::newRow("keys made of defaults")
        << u"INSERT INTO merchant_buylists (item_id, price) VALUES (57, 10), (1060, 10);\n"
           "INSERT INTO merchant_buylists (item_id, price, shop_id) VALUES (57, 10, 0.2);\n"
           "INSERT INTO shop_titles (title) VALUES ('новая'), ('другая');"_s
        << u"1:E 2:E 3:ok"_s;
    QTest::newRow("comments as the server and the client read them")
        << u"INSERT INTO merchant_shopids#note\nVALUES (700, '7001');\n"
           "INSERT INTO merchant_shopids VALUES (701, '7001') --x\n;\n"
           "INSERT INTO merchant_shopids VALUES (702 --1\n, '7001');\n"
           "--x INSERT INTO merchant_shopids VALUES (500, '7001');\n"
           "/*M! INSERT INTO merchant_shopids VALUES (500, '7001') */;\n"
           "INSERT INTO merchant_shopids VALUES (704, '7001'); -- (500, '7001');"_s
        << u"1:ok 3:E 5:N 8:N 9:ok"_s;
    QTest::newRow("client commands")
        << u"\\! echo x\nINSERT INTO merchant_shopids VALUES (500, '7001');\nsystem echo x\n"
           "INSERT INTO merchant_shopids VALUES (710, '7001');\nDELIMITER //\n"
           "INSERT INTO merchant_shopids VALUES (711, '7001'); INSERT INTO merchant_shopids VALUES (500, '7001')//\n"
           "DELIMITER ;\nINSERT INTO merchant_shopids VALUES (711, '7001');\nsource /nonexistent/x.sql\n"
           "INSERT INTO merchant_shopids VALUES (712, '7001') \\g INSERT INTO merchant_shopids VALUES (712, '7001');\n"
           "quit;"_s
        << u"1:K 2:E 3:K 4:ok 5:K 6:E 7:K 8:E 9:E 10:E 11:E"_s;
    QTest::newRow("letters as the saved file's code page has them, and as another character set reads them")
        << u"INSERT INTO npc (id, idTemplate, name) VALUES (7500, 7001, 'Торговец');\n/*!40101 SET NAMES utf8 */;\n"
           "INSERT INTO npc (id, idTemplate, name) VALUES (7501, 7001, 'Торговец');\nSET NAMES latin1;\n"
           "INSERT INTO npc (id, idTemplate, name) VALUES (7502, 7001, 'Ж');\nSET NAMES cp1251;\n"
           "INSERT INTO npc (id, idTemplate, name) VALUES (7503, 7001, 'Ж');"_s
        << u"1:ok 2:N 3:E 4:N 5:W 6:N 7:ok"_s;
    QTest::newRow("a name after -- with no blank")
        << u"INSERT INTO merchant_shopids VALUES (720,\n--x\n'7001');\nINSERT INTO merchant_shopids --note\n"
           "VALUES (721, '7001');\nINSERT INTO merchant_shopids VALUES (722, '7001') --x\n;"_s
        << u"1:E 4:E 6:E"_s;
    QTest::newRow("hexadecimal and bit literals as keys")
        << u"INSERT INTO merchant_shopids VALUES (0x1F4, '7001');\nINSERT INTO merchant_shopids VALUES (X'01f4', '7001');\n"
           "INSERT INTO merchant_shopids VALUES (0b111110100, '7001');\nINSERT INTO merchant_shopids VALUES (0x2D0, '7001');\n"
           "INSERT INTO merchant_shopids VALUES (720, '7001');\nINSERT INTO shop_notes VALUES (X'61626320');\n"
           "INSERT INTO shop_notes VALUES (0x7A);\nINSERT INTO shop_notes VALUES ('z');"_s
        << u"1:E 2:E 3:E 4:ok 5:E 6:E 7:ok 8:E"_s;
    QTest::newRow("what the check does not read is counted")
        << u"DROP TABLE IF EXISTS nothing_here;\nUPDATE npc SET level = 1 WHERE id = 0;\nSET @a = 1;\n"
           "INSERT INTO merchant_shopids VALUES (499+1, '7001');\nINSERT INTO merchant_shopids VALUES (2--1, '7001');\n"
           "DELETE FROM merchant_shopids WHERE shop_id = 500;\nINSERT INTO merchant_shopids VALUES (500, '7001');\n"
           "INSERT IGNORE INTO merchant_shopids VALUES (500, '7001');"_s
        << u"1:N 2:N 3:N 4:N 5:N 6:N 7:N 8:N"_s;
    QTest::newRow("keys as the columns keep them")
        << u"INSERT INTO shop_titles VALUES (NULL, 'новое');\nINSERT INTO shop_titles VALUES (1, 'другое');\n"
           "INSERT INTO shop_titles (id, title) VALUES (0, 'x1'), (0, 'x2');\n"
           "INSERT INTO npc (id, idTemplate, name) VALUES (7400, 7001, 'a'), (7400.4, 7001, 'b');\n"
           "INSERT INTO merchant_shopids VALUES ('740', '7001'), (' 741 ', '7001'), (740.0, '7001');\n"
           "INSERT INTO shop_notes VALUES ('it''s'), (\"it\\'s\");\n"
           "INSERT INTO merchant_buylists (item_id) VALUES (1), ('abc');"_s
        << u"1:ok 2:E 3:ok 4:E 5:E 6:E 7:E"_s;
    QTest::newRow("faults both see")
        << u"INSERT INTO npc (id, idTemplate) VALUES (7001, 7001);\n"
           "INSERT INTO npc (id, idTemplate, title) VALUES (7300, 7001, '0123456789012345678901234567890123456789012345');\n"
           "INSERT INTO npc (id, idTemplate) VALUES (999999999999, 7001);\nINSERT INTO npc (id, idTemplate) VALUES (NULL, 7001);\n"
           "INSERT INTO nothing (a) VALUES (1);\nINSERT INTO npc (id, nosuch) VALUES (7301, 1);\n"
           "INSERT INTO merchant_shopids VALUES (720);\nINSERT INTO merchant_shopids VALUES (721,);\n"
           "INSERT INTO merchant_shopids VALUES (722, abc);\nINSERT INTO npc (id, idTemplate) VALUES (7302, 1);\n"
           "INSERT INTO npc (name) VALUES ('Без номера');\nINSERT INTO npc (id, idTemplate, name) VALUES (7303, 7001, 'открыта);"_s
        << u"1:E 2:E 3:E 4:E 5:E 6:E 7:E 8:E 9:E 10:W 11:W 12:E"_s;
}

void tst_ScriptCheck::agreesWithTheClient()
{
    QFETCH(QString, script);
    QFETCH(QString, verdicts);
    std::map<int, QString> expected;
    for (const QString &pair : verdicts.split(u' '))
        expected[pair.section(u':', 0, 0).toInt()] = pair.section(u':', 1);

    DbConnection db;
    connectAs(db, u"root"_s, u"kelp"_s);
    copyRealShapes(db);
    QCOMPARE(db.selectDatabase(u"qm_compare"_s), 0);
    const ScriptCheckResult result = checkScript(script.split(u'\n'), db);
    const std::map<int, QString> found = checkVerdicts(result, expected);

    // The client runs the script as saved, its first line saying its code page
    // (the lines below counted from 1 again), and with --force reports each
    // failing statement at the line it begins on. Letters that the code page
    // lacks go as UTF-8 in a file that says nothing.
    const TextFile::Encoded saved = TextFile::encodeScript(script.split(u'\n'));
    const bool asSaved = saved.lossyLines.isEmpty();
    const QString errors = runClient({u"--force"_s, u"qm_compare"_s}, asSaved ? saved.bytes : script.toUtf8());
    std::map<int, QString> client;
    static const QRegularExpression failing(u"^ERROR (?:\\d+ \\(\\w+\\) )?at line (\\d+)"_s,
                                            QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : failing.globalMatch(errors))
        client[m.captured(1).toInt() - (asSaved ? 1 : 0)] = u"E"_s;

    QStringList disagreements;
    for (const auto &[line, want] : expected) {
        const QString check = found.at(line);
        const QString server = client.count(line) ? u"E"_s : u"ok"_s;
        if (check != want || (want != u"N"_s && server != (want == u"E"_s ? u"E"_s : u"ok"_s)))
            disagreements << u"line %1: expected %2, check %3, client %4"_s.arg(line).arg(want, check, server);
    }
    for (const auto &[line, verdict] : client)
        if (!expected.count(line))
            disagreements << u"line %1: the client fails a statement the table does not list"_s.arg(line);
    if (found.count(0))
        disagreements << found.at(0);
    QVERIFY2(disagreements.isEmpty(), qPrintable(disagreements.join(u"; "_s) + u"\n"_s + described(result).join(u"\n"_s)
                                                 + u"\n"_s + errors));
}

void tst_ScriptCheck::lockedTableIsNotChecked()
{
    // Another session holds a table; the check waits for it only briefly,
    // marks what it could not read and checks the rest.
    DbConnection holder;
    connectAs(holder, u"root"_s, u"kelp"_s, u"vostelreal"_s);
    QVERIFY(mysql_query(holder.handle(), "LOCK TABLES merchant_shopids WRITE") == 0);
    DbConnection db;
    connectAs(db, u"reader"_s, u"reader"_s, u"vostelreal"_s);
    const ScriptCheckResult result = checkScript(
        {u"INSERT INTO merchant_shopids VALUES (500, '7001'), (501, '7002');"_s,
         u"INSERT INTO npc (id, idTemplate) VALUES (7001, 7001);"_s},
        db);
    QVERIFY(mysql_query(holder.handle(), "UNLOCK TABLES") == 0);
    const QStringList found = described(result);
    QCOMPARE(found.size(), 3);
    QVERIFY2(found.at(0).startsWith(u"N1 ключ shop_id = 500: таблицу merchant_shopids дольше"_s), qPrintable(found.join(u'|')));
    QVERIFY2(found.at(1).startsWith(u"N1 ключ shop_id = 501"_s), qPrintable(found.join(u'|')));
    QVERIFY2(found.at(2).startsWith(u"E2 ключ id = 7001 уже есть в таблице npc"_s), qPrintable(found.join(u'|')));
    QCOMPARE(result.notChecked, 2);
}

void tst_ScriptCheck::keysComparedInEveryForm_data()
{
    // The SQL the comparison takes on this server, on MariaDB before 10.3 and on servers without window functions.
    QTest::addColumn<bool>("mariaDb");
    QTest::addColumn<int>("version");
    QTest::newRow("values table") << true << 101100;
    QTest::newRow("union") << true << 100200;
    QTest::newRow("union without windows") << false << 50700;
}

void tst_ScriptCheck::keysComparedInEveryForm()
{
    QFETCH(bool, mariaDb);
    QFETCH(int, version);
    DbConnection db;
    connectAs(db, u"reader"_s, u"reader"_s, u"vostelreal"_s);
    ReadOnlyQuery query(db);
    query.setDialect({mariaDb, static_cast<unsigned long>(version)});
    const DatabaseSchema schema = readSchema(query);
    const auto probe = [&](const char *table, std::vector<int> columns, std::vector<std::vector<QString>> tuples) {
        KeyProbe p;
        p.table = schema.find(QString::fromLatin1(table));
        p.tableColumns = columns;
        for (int c : columns)
            p.form.push_back(&p.table->columns[size_t(c)]);
        p.tuples = std::move(tuples);
        std::optional<ReadOnlyQuery::Limit> stoppedBy;
        const std::optional<KeyAnswer> a = probeKeys(query, p, &stoppedBy);
        QStringList out;  // "same:inTable" per tuple
        for (size_t i = 0; a && i < a->sameAs.size(); ++i)
            out << u"%1:%2"_s.arg(a->sameAs[i]).arg(a->inTable[i] ? 1 : 0);
        return out.join(u' ');
    };
    QCOMPARE(probe("shop_notes", {0}, {{u"abc "_s}, {u"x"_s}, {u"x "_s}, {u"Abc"_s}}), u"0:1 1:0 1:0 3:0"_s);
    QCOMPARE(probe("shop_titles", {1}, {{u"Résumé"_s}, {u"ёль"_s}, {u"ЕЛЬ "_s}, {u"new"_s}}), u"0:1 1:1 1:1 3:0"_s);
    QCOMPARE(probe("merchant_buylists", {2, 3}, {{u"7"_s, u"2"_s}, {u"500"_s, u"1"_s}, {u"7"_s, u"2"_s}}), u"0:0 1:1 0:0"_s);
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
