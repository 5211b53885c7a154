// The parts of the script check that need no server: reading statements out
// of a script, and whether a value fits a column.

#include "check/ScriptStatements.h"
#include "check/TableSchema.h"
#include "check/ValueFit.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "table(cols)@line: kind value, ...; | next row" for each insert; "N@line",
// "S@line" and "C@line" for statements not checked, open strings and open
// comments; "K@line" for client commands, "X@line" for text the server
// refuses, "M@line" for letters it misreads, "F:name@line" for files the
// client runs, "rows:table@line" and "shape:table@line" for tables changed.
QString described(const ParsedScript &p)
{
    QStringList out;
    const char kinds[] = "0NTLDBEH";  // Empty, Number, Text, nuLl, Default, Bare word, Expression, Hex or bits
    for (const ScriptInsert &insert : p.inserts) {
        QStringList rows;
        for (const ScriptRow &row : insert.rows) {
            QStringList values;
            for (const ScriptValue &v : row.values)
                values.append(QChar::fromLatin1(kinds[int(v.kind)]) + v.text + u'@' + QString::number(v.line + 1));
            rows.append(values.join(u' '));
        }
        const QString schema = insert.schema.isEmpty() ? QString() : insert.schema + u'.';
        out.append(u"%1%2(%3)@%4: %5"_s.arg(schema, insert.table, insert.columns.join(u','))
                       .arg(insert.line + 1).arg(rows.join(u" | "_s)));
    }
    for (const ScriptRemark &r : p.notChecked)
        out.append(u"N@"_s + QString::number(r.line + 1));
    for (const ScriptRemark &r : p.openString)
        out.append(u"S@"_s + QString::number(r.line + 1));
    for (const ScriptRemark &r : p.openComment)
        out.append(u"C@"_s + QString::number(r.line + 1));
    for (const ScriptRemark &r : p.clientCommands)
        out.append(u"K@"_s + QString::number(r.line + 1));
    for (const ScriptRemark &r : p.refused)
        out.append(u"X@"_s + QString::number(r.line + 1));
    for (const ScriptRemark &r : p.misread)
        out.append(u"M@"_s + QString::number(r.line + 1));
    for (const ScriptRemark &r : p.sourcedFiles)
        out.append(u"F:%1@%2"_s.arg(r.text).arg(r.line + 1));
    for (const ScriptTableChange &c : p.tableChanges)
        out.append(u"%1:%2%3@%4"_s.arg(c.shape ? u"shape"_s : u"rows"_s, c.schema.isEmpty() ? QString() : c.schema + u'.', c.table)
                       .arg(c.line + 1));
    return out.join(u" ; "_s);
}

// "int(11)", "tinyint(4) unsigned", "decimal(6,2)", "varchar(8)", "enum('a','b')";
// "!" ahead: NOT NULL without a default.
ColumnInfo column(QString typeText)
{
    ColumnInfo c;
    c.name = u"c"_s;
    c.nullable = !typeText.startsWith(u'!');
    if (!c.nullable)
        typeText.remove(0, 1);
    c.columnType = typeText;
    c.isUnsigned = typeText.endsWith(u"unsigned"_s);
    const QString type = typeText.section(u'(', 0, 0);
    const QStringList args = typeText.section(u'(', 1).section(u')', 0, 0).split(u',');
    const QMap<QString, int> bits{{u"tinyint"_s, 8}, {u"int"_s, 32}, {u"bigint"_s, 64}};
    if (bits.contains(type)) {
        c.type = ColumnInfo::Type::Integer;
        c.integerBits = bits.value(type);
    } else if (type == u"decimal"_s) {
        c.type = ColumnInfo::Type::Decimal;
        c.precision = args.value(0).toInt();
        c.scale = args.value(1).toInt();
    } else if (type == u"varchar"_s) {
        c.type = ColumnInfo::Type::Text;
        c.maxChars = args.value(0).toInt();
    } else if (type == u"enum"_s) {
        c.type = ColumnInfo::Type::Enum;
        for (const QString &member : args)
            c.members.append(member.mid(1, member.size() - 2));
    }
    return c;
}

} // namespace

class tst_CheckCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statements_data();
    void statements();
    void valueFit_data();
    void valueFit();
};

void tst_CheckCore::statements_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");

    QTest::newRow("semicolons in strings and comments end nothing")
        << u"INSERT INTO t VALUES ('a;b'); -- x; y\n# z;\n/* ; */ INSERT INTO t VALUES (1)"_s
        << u"t()@1: Ta;b@1 ; t()@3: N1@3"_s;
    QTest::newRow("a string over two lines, rows over three")
        << u"INSERT INTO `t` (a, `b`)\nVALUES ('x\ny', 2),\n(3, 4);"_s
        << u"t(a,b)@1: Tx\ny@2 N2@3 | N3@4 N4@4"_s;
    QTest::newRow("escapes resolved")
        << u"INSERT INTO t VALUES ('\\'', 'it''s', 'C:\\\\', \"say \"\"hi\"\"\", '\\n')"_s
        << u"t()@1: T'@1 Tit's@1 TC:\\@1 Tsay \"hi\"@1 T\n@1"_s;
    QTest::newRow("signs, words, expressions and empty positions")
        << u"INSERT INTO t VALUES (-1, - 2, +-3, abc, NOW(), NULL, default, TRUE, 1e3, 1-2, )"_s
        << u"t()@1: N-1@1 N-2@1 N-3@1 Babc@1 ENOW()@1 L@1 D@1 N1@1 N1e3@1 E1-2@1 0@1"_s;
    QTest::newRow("Cyrillic and quoted names, with the database")
        << u"INSERT INTO таблица (имя) VALUE ('Ёж');\nINSERT INTO `d`.`a``b` VALUES (1);"_s
        << u"таблица(имя)@1: TЁж@1 ; d.a`b()@2: N1@2"_s;
    QTest::newRow("other shapes are not checked")
        << u"INSERT IGNORE INTO t VALUES (1);\nINSERT INTO t SELECT 1;\nINSERT INTO t VALUES (1) ON DUPLICATE KEY UPDATE a=1;\n"
           "/*!40101 SET NAMES cp1251 */;\nUPDATE t SET a = 1;\n;;"_s
        << u"N@1 ; N@2 ; N@3 ; N@4 ; N@5 ; rows:t@1 ; rows:t@2 ; rows:t@3 ; rows:t@5"_s;
    QTest::newRow("conditional comments standing alone, as a dump begins")
        << u"/*!40101 SET NAMES utf8 */;\n/*!40014 SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS, UNIQUE_CHECKS=0 */;\n"
           "/*!40101 INSERT INTO merchant_shopids VALUES (5,'7001') */;\nINSERT INTO t VALUES (1);\n/*!40101 SET\nNAMES utf8 */"_s
        << u"t()@4: N1@4 ; N@1 ; N@2 ; N@3 ; N@5"_s;
    QTest::newRow("string left open") << u"INSERT INTO t VALUES (1);\nINSERT INTO t VALUES ('a);\n\n"_s
                                      << u"t()@1: N1@1 ; S@2"_s;
    QTest::newRow("comment left open") << u"INSERT INTO t VALUES (1) /* (2)\n;"_s << u"t()@1: N1@1 ; C@1"_s;
    // The server's and the client's reading where they differ from a simple one.
    QTest::newRow("comments as the server and the client read them")
        << u"INSERT INTO t#note\nVALUES (1 --1\n, 2);\n--x INSERT INTO t VALUES (3);\n/*M! INSERT INTO t VALUES (4) */;\n"
           "INSERT INTO t VALUES (\\N, 0x41)"_s
        << u"t()@1: E1 --1@2 N2@3 ; t()@6: L@6 H0x41@6 ; N@5"_s;
    QTest::newRow("client commands on their lines")
        << u"system ls\nINSERT INTO t VALUES (1);\n\\! ls\nsource x.sql\nuse d\nINSERT INTO t VALUES (2);\nquit;\n"
           "quit\nINSERT INTO t VALUES (3);"_s
        << u"t()@2: N1@2 ; d.t()@6: N2@6 ; K@1 ; K@3 ; K@5 ; K@8 ; X@7 ; F:x.sql@4"_s;
    QTest::newRow("client commands inside statements")
        << u"INSERT INTO t \\! ls; x\nVALUES (1) \\g INSERT INTO t VALUES (2) \\c\nINSERT INTO t VALUES (3) \\z;"_s
        << u"N@1 ; K@1 ; K@2 ; K@2 ; K@3 ; X@3 ; rows:t@1"_s;
    QTest::newRow("hexadecimal and bit literals")
        << u"INSERT INTO t VALUES (0x1F4, X'01F4', x'41', 0b101, b'1', 0xZZ, X'3', 0X1)"_s
        << u"t()@1: H0x1F4@1 HX'01F4'@1 Hx'41'@1 H0b101@1 Hb'1'@1 B0xZZ@1 EX'3'@1 B0X1@1"_s;
    QTest::newRow("no comment without a blank after --")
        << u"INSERT INTO t VALUES (705,\n--x\n'7001');\nINSERT INTO t VALUES (2--1);\nINSERT INTO t --note\nVALUES (1)"_s
        << u"t()@4: E2--1@4 ; X@1 ; X@5"_s;
    QTest::newRow("letters in the character set the server reads them in")
        << u"INSERT INTO t VALUES ('Тор');\n/*!40101 SET NAMES utf8 */;\nINSERT INTO t VALUES ('Тор');\n"
           "INSERT INTO t VALUES ('Сё');\nUPDATE t SET a = 'Ж';\nSET NAMES 'latin1';\nINSERT INTO t VALUES (1) /* Ж */;\n"
           "INSERT INTO t VALUES ('Ж');\ncharset cp1251\nINSERT INTO t VALUES ('Ж', 'é');\n\\. /x.sql"_s
        << u"t()@1: TТор@1 ; t()@3: TТор@3 ; t()@4: TСё@4 ; t()@7: N1@7 ; t()@8: TЖ@8 ; t()@10: TЖ@10 Té@10 ; N@2 ; N@5 ; N@6 ; "
           "K@9 ; X@3 ; M@4 ; M@5 ; M@8 ; M@10 ; F:/x.sql@11 ; rows:t@5"_s;
    QTest::newRow("another delimiter")
        << u"DELIMITER //\nINSERT INTO t VALUES (1); INSERT INTO t VALUES ('//')//\ndelimiter ;\nINSERT INTO t VALUES (3)"_s
        << u"t()@2: N1@2 ; t()@2: T//@2 ; t()@4: N3@4 ; K@1 ; K@3"_s;
    QTest::newRow("tables that other statements change")
        << u"DELETE FROM t WHERE a = 1;\nCREATE TABLE IF NOT EXISTS d.u (a INT);\nINSERT IGNORE INTO `v` VALUES (1)"_s
        << u"N@1 ; N@2 ; N@3 ; rows:t@1 ; shape:d.u@2 ; rows:v@3"_s;
}

void tst_CheckCore::statements()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(described(parseScript(script.split(u'\n'))), expected);
}

void tst_CheckCore::valueFit_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("problem");  // a piece of the problem's text; empty: fits
    QTest::addColumn<QString>("kept");     // what the column keeps when it fits; null: not looked at

    const int num = int(ValueKind::Number), text = int(ValueKind::Text);
    QTest::newRow("tinyint top") << num << u"127"_s << u"tinyint(4)"_s << QString() << QString();
    QTest::newRow("tinyint over") << num << u"128"_s << u"tinyint(4)"_s << u"вне диапазона"_s << QString();
    QTest::newRow("tinyint bottom") << num << u"-128"_s << u"tinyint(4)"_s << QString() << QString();
    QTest::newRow("tinyint under") << num << u"-129"_s << u"tinyint(4)"_s << u"вне диапазона"_s << QString();
    QTest::newRow("unsigned negative") << num << u"-1"_s << u"int(10) unsigned"_s << u"вне диапазона"_s << QString();
    QTest::newRow("unsigned minus zero") << num << u"-0"_s << u"int(10) unsigned"_s << QString() << QString();
    QTest::newRow("unsigned top") << num << u"4294967295"_s << u"int(10) unsigned"_s << QString() << QString();
    QTest::newRow("bigint unsigned top") << num << u"18446744073709551615"_s << u"bigint(20) unsigned"_s << QString() << QString();
    QTest::newRow("bigint unsigned over") << num << u"18446744073709551616"_s << u"bigint(20) unsigned"_s << u"вне диапазона"_s << QString();
    QTest::newRow("bigint bottom") << num << u"-9223372036854775808"_s << u"bigint(20)"_s << QString() << QString();
    QTest::newRow("bigint over") << num << u"9223372036854775808"_s << u"bigint(20)"_s << u"вне диапазона"_s << QString();
    QTest::newRow("whole with zero fraction") << num << u"7.00"_s << u"int(11)"_s << QString() << u"7"_s;
    QTest::newRow("fraction in int rounds") << num << u"1.5"_s << u"int(11)"_s << QString() << u"2"_s;
    QTest::newRow("fraction in a text for int rounds") << text << u" 7.5 "_s << u"int(11)"_s << QString() << u"8"_s;
    QTest::newRow("exponent") << num << u"1e2"_s << u"tinyint(4)"_s << QString() << QString();
    QTest::newRow("exponent over") << num << u"1e3"_s << u"tinyint(4)"_s << u"вне диапазона"_s << QString();
    QTest::newRow("decimal top") << num << u"9999.99"_s << u"decimal(6,2)"_s << QString() << QString();
    QTest::newRow("decimal over") << num << u"10000"_s << u"decimal(6,2)"_s << u"вне диапазона"_s << QString();
    QTest::newRow("decimal scale rounds") << num << u"0.125"_s << u"decimal(6,2)"_s << QString() << u"0.13"_s;
    QTest::newRow("decimal rounds half away from zero") << num << u"-990.5"_s << u"decimal(9,0)"_s << QString() << u"-991"_s;
    QTest::newRow("rounding carries out of range") << num << u"999.5"_s << u"decimal(3,0)"_s << u"вне диапазона"_s << QString();
    QTest::newRow("decimal zeros") << num << u"-0012.500"_s << u"decimal(6,2)"_s << QString() << u"-12.5"_s;
    QTest::newRow("number text with blanks") << text << u" 12 "_s << u"int(11)"_s << QString() << QString();
    QTest::newRow("empty text in int") << text << QString() << u"int(11)"_s << u"не число"_s << QString();
    QTest::newRow("digits then letters") << text << u"12abc"_s << u"int(11)"_s << u"не число"_s << QString();
    QTest::newRow("Cyrillic at the limit") << text << u"Торговец"_s << u"varchar(8)"_s << QString() << QString();
    QTest::newRow("Cyrillic over") << text << u"Торговецц"_s << u"varchar(8)"_s << u"из 9 знаков"_s << QString();
    QTest::newRow("pairs count once") << text << u"😀😀😀"_s << u"varchar(3)"_s << QString() << QString();
    QTest::newRow("number too long for text") << num << u"123"_s << u"varchar(2)"_s << u"из 3 знаков"_s << QString();
    QTest::newRow("number written as the server writes it") << num << u"-007.50"_s << u"varchar(8)"_s << QString() << u"-7.50"_s;
    QTest::newRow("trailing blanks cut") << text << u"7001      "_s << u"varchar(9)"_s << QString() << u"7001     "_s;
    QTest::newRow("tab and line end cut too") << text << u"abcd\t\n"_s << u"varchar(4)"_s << QString() << u"abcd"_s;
    QTest::newRow("no-break space is no blank") << text << u"abcd\u00a0"_s << u"varchar(4)"_s << u"из 5 знаков"_s << QString();
    const QString en = u"enum('a','b')"_s;
    QTest::newRow("enum member in another case") << text << u"B "_s << en << QString() << u"b"_s;
    QTest::newRow("enum by number") << num << u"2"_s << en << QString() << u"b"_s;
    QTest::newRow("enum by a text of digits") << text << u"1"_s << en << QString() << u"a"_s;
    QTest::newRow("enum number 0") << num << u"0"_s << en << u"номера 0"_s << QString();
    QTest::newRow("enum beyond its members") << text << u"3"_s << en << u"номера 3"_s << QString();
    QTest::newRow("enum unknown text") << text << u"c"_s << en << u"нет среди значений"_s << QString();
    QTest::newRow("NULL where allowed") << int(ValueKind::Null) << QString() << u"int(11)"_s << QString() << QString();
    QTest::newRow("NULL where not") << int(ValueKind::Null) << QString() << u"!int(11)"_s << u"не допускает NULL"_s << QString();
    QTest::newRow("DEFAULT without one") << int(ValueKind::Default) << QString() << u"!int(11)"_s << u"нет значения по умолчанию"_s << QString();
    QTest::newRow("bare word in text") << int(ValueKind::BareWord) << u"male"_s << u"varchar(8)"_s << u"без кавычек"_s << QString();
    QTest::newRow("bare word in number") << int(ValueKind::BareWord) << u"abc"_s << u"int(11)"_s << u"не число"_s << QString();
    QTest::newRow("expression unchecked") << int(ValueKind::Expression) << QString() << u"!int(11)"_s << QString() << QString();
    QTest::newRow("empty position") << int(ValueKind::Empty) << QString() << u"varchar(8)"_s << u"пустая позиция"_s << QString();
}

void tst_CheckCore::valueFit()
{
    QFETCH(int, kind);
    QFETCH(QString, value);
    QFETCH(QString, column);
    QFETCH(QString, problem);
    QFETCH(QString, kept);
    const ScriptValue v{ValueKind(kind), value, 0};
    const ValueFit fit = fitValue(v, ::column(column));
    if (problem.isEmpty())
        QVERIFY2(fit.verdict != ValueFit::Verdict::Refused, qPrintable(fit.problem));
    else
        QVERIFY2(fit.verdict == ValueFit::Verdict::Refused && fit.problem.contains(problem), qPrintable(fit.problem));
    if (!kept.isNull())
        QCOMPARE(fit.stored, kept);
}

QTEST_MAIN(tst_CheckCore)
#include "tst_checkcore.moc"
