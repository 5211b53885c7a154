#include "base/Error.h"
#include "buylist/BuylistStatement.h"
#include "buylist/OrderNumber.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_BuylistCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeNumberForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << u"1"_s << 1;
        QTest::newRow("leading blanks") << u" 12"_s << 12;
        QTest::newRow("plus") << u"+7"_s << 7;
        QTest::newRow("minus") << u"-5"_s << -5;
        QTest::newRow("leading zeros") << u"007"_s << 7;
        QTest::newRow("dollar hex") << u"$1f"_s << 31;
        QTest::newRow("negative dollar hex") << u"-$1F"_s << -31;
        QTest::newRow("x hex") << u"x10"_s << 16;
        QTest::newRow("X hex") << u"XfF"_s << 255;
        QTest::newRow("0x hex") << u"0x7FFFFFFF"_s << 2147483647;
        QTest::newRow("0X hex with sign and blanks") << u"  -0X10"_s << -16;
        QTest::newRow("largest") << u"2147483647"_s << 2147483647;
        QTest::newRow("smallest") << u"-2147483648"_s << int(-2147483647 - 1);
        QTest::newRow("smallest in hex") << u"-$80000000"_s << int(-2147483647 - 1);
    }
    void wholeNumberForms()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        const auto read = readWholeNumber(text);
        QVERIFY(read.has_value());
        QCOMPARE(*read, value);
    }

    void wholeNumberFailures_data()
    {
        QTest::addColumn<QString>("text");
        for (const QString &bad :
             {u""_s, u" "_s, u"12 "_s, u"1 2"_s, u"0x"_s, u"$"_s, u"-"_s, u"+-1"_s, u"2147483648"_s,
              u"-2147483649"_s, u"$80000000"_s, u"99999999999999999999"_s, u"1.0"_s, u"1e3"_s, u"abc"_s,
              u"\t1"_s, u"١٢"_s, u"１２"_s, u"0x-1"_s, u"$ 1"_s})
            QTest::newRow(qPrintable(u"'"_s + bad + u"'"_s)) << bad;
    }
    void wholeNumberFailures()
    {
        QFETCH(QString, text);
        QVERIFY(!readWholeNumber(text).has_value());
        try {
            nextOrderText(text);
            QFAIL("no error");
        } catch (const QmError &error) {
            QCOMPARE(error.text(), u"'%1' is not a valid integer value"_s.arg(text));
        }
    }

    void orderCountsUpAsDecimal()
    {
        QCOMPARE(nextOrderText(u"1"_s), u"2"_s);
        QCOMPARE(nextOrderText(u"$FF"_s), u"256"_s);
        QCOMPARE(nextOrderText(u" -1"_s), u"0"_s);
        QVERIFY_THROWS_EXCEPTION(QmError, nextOrderText(u"2147483647"_s));
    }

    void entryStatement_data()
    {
        QTest::addColumn<QStringList>("fields"); // name, id, price, shop, order
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("statement");
        QTest::newRow("example") << QStringList{u"Sword"_s, u"57"_s, u"100"_s, u"7"_s, u"1"_s} << u"#weapon  Sword"_s
                                 << u"INSERT INTO `merchant_buylists` VALUES (57,100,7,1,-1,-1,0,0);"_s;
        QTest::newRow("before any pick") << QStringList{QString(), QString(), QString(), u"7"_s, u"1"_s}
                                         << u"#weapon  "_s
                                         << u"INSERT INTO `merchant_buylists` VALUES (,,7,1,-1,-1,0,0);"_s;
        QTest::newRow("line break in a name from the database")
            << QStringList{u"Two\nlines\r\n"_s, u"5"_s, u""_s, u""_s, u"3"_s} << u"#weapon  Two lines  "_s
            << u"INSERT INTO `merchant_buylists` VALUES (5,,,3,-1,-1,0,0);"_s;
        QTest::newRow("quotes stay in the comment") << QStringList{u"O'Neil \"X\" \\"_s, u"9"_s, u"1"_s, u"2"_s, u"3"_s}
                                                    << u"#weapon  O'Neil \"X\" \\"_s
                                                    << u"INSERT INTO `merchant_buylists` VALUES (9,1,2,3,-1,-1,0,0);"_s;
    }
    void entryStatement()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, comment);
        QFETCH(QString, statement);
        const ScriptBlock block = buylistBlock(fields[0], fields[1], fields[2], fields[3], fields[4]);
        QCOMPARE(block.comment, comment);
        QCOMPARE(block.statement, statement);
    }
};

QTEST_GUILESS_MAIN(tst_BuylistCore)
#include "tst_buylistcore.moc"
