#include "npc/NpcStatement.h"
#include "npc/SqlLiteral.h"
#include "npc/TemplateOrder.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NpcForm)

namespace {

NpcForm traderForm()
{
    NpcForm form;
    form.id = u"900"_s;
    form.templateId = u"31"_s;
    form.name = u"Trader"_s;
    form.title = u"Shop"_s;
    form.className = u"Merchant"_s;
    form.collisionRadius = u"8"_s;
    form.collisionHeight = u"23"_s;
    form.level = u"70"_s;
    form.male = true;
    form.rhand = u"0"_s;
    form.lhand = u"0"_s;
    form.armor = u"0"_s;
    return form;
}

const QString fixedMiddle = u"'ZantMerchant',40,10000,10000,50.00,50.00,40,43,30,21,35,25,"
                            "100000,100000,10000,100000,10000,100000,1000,0,1000,"_s;

} // namespace

class tst_NpcCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statement_data()
    {
        QTest::addColumn<NpcForm>("form");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("statement");

        QTest::newRow("the plain trader")
            << traderForm() << u"#npc  Trader"_s
            << u"INSERT INTO `npc` VALUES (900,31,'Trader',1,'Shop',1,'Merchant',8,23,70,'male','ZantMerchant',"
               "40,10000,10000,50.00,50.00,40,43,30,21,35,25,100000,100000,10000,100000,10000,100000,1000,0,1000,"
               "0,0,0,1000,1000,0,0,0,0);"_s;

        QTest::newRow("nothing filled: empty positions, female")
            << NpcForm() << u"#npc  "_s
            << u"INSERT INTO `npc` VALUES (,,'',1,'',1,'',,,,'female',"_s + fixedMiddle + u",,,1000,1000,0,0,0,0);"_s;

        NpcForm undead = traderForm();
        undead.undead = true;
        undead.male = false;
        QTest::newRow("undead female")
            << undead << u"#npc  Trader"_s
            << u"INSERT INTO `npc` VALUES (900,31,'Trader',1,'Shop',1,'Merchant',8,23,70,'female',"_s + fixedMiddle
                   + u"0,0,0,1000,1000,0,0,1,0);"_s;

        NpcForm quotes = traderForm();
        quotes.name = u"Trader's \"best\""_s;
        quotes.title = u"C:\\shop\\"_s;
        quotes.className = u"it's"_s;
        QTest::newRow("quotes and a trailing backslash are escaped")
            << quotes << u"#npc  Trader's \"best\""_s
            << u"INSERT INTO `npc` VALUES (900,31,'Trader\\'s \\\"best\\\"',1,'C:\\\\shop\\\\',1,'it\\'s',8,23,70,'male',"_s
                   + fixedMiddle + u"0,0,0,1000,1000,0,0,0,0);"_s;

        NpcForm cyrillic = traderForm();
        cyrillic.name = u"Торговка Ёлка"_s;
        cyrillic.title = u"Лавка"_s;
        QTest::newRow("cyrillic stays as it is")
            << cyrillic << u"#npc  Торговка Ёлка"_s
            << u"INSERT INTO `npc` VALUES (900,31,'Торговка Ёлка',1,'Лавка',1,'Merchant',8,23,70,'male',"_s + fixedMiddle
                   + u"0,0,0,1000,1000,0,0,0,0);"_s;

        NpcForm breaks = traderForm();
        breaks.name = u"two\r\nlines"_s;
        breaks.id = u"9\n00"_s;
        breaks.armor = u"1\r2"_s;
        QTest::newRow("line breaks: escaped in literals, blanks elsewhere")
            << breaks << u"#npc  two  lines"_s
            << u"INSERT INTO `npc` VALUES (9 00,31,'two\\r\\nlines',1,'Shop',1,'Merchant',8,23,70,'male',"_s + fixedMiddle
                   + u"0,0,1 2,1000,1000,0,0,0,0);"_s;

        NpcForm asTyped = traderForm();
        asTyped.id = u" 900 "_s;
        asTyped.level = u"seventy"_s;
        QTest::newRow("bare boxes are neither trimmed nor checked")
            << asTyped << u"#npc  Trader"_s
            << u"INSERT INTO `npc` VALUES ( 900 ,31,'Trader',1,'Shop',1,'Merchant',8,23,seventy,'male',"_s + fixedMiddle
                   + u"0,0,0,1000,1000,0,0,0,0);"_s;
    }
    void statement()
    {
        QFETCH(NpcForm, form);
        QFETCH(QString, comment);
        QFETCH(QString, statement);
        const ScriptBlock block = merchantNpcBlock(form);
        QCOMPARE(block.comment, comment);
        QCOMPARE(block.statement, statement);
    }

    void literalEscapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("content");
        QTest::newRow("plain") << u"Trader 7"_s << u"Trader 7"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("single quote") << u"'"_s << u"\\'"_s;
        QTest::newRow("double quote") << u"\""_s << u"\\\""_s;
        QTest::newRow("backslash at the end") << u"a\\"_s << u"a\\\\"_s;
        QTest::newRow("nul") << QString(QChar(0)) << u"\\0"_s;
        QTest::newRow("cr lf") << u"\r\n"_s << u"\\r\\n"_s;
        QTest::newRow("ctrl-z") << QString(QChar(0x1a)) << u"\\Z"_s;
        QTest::newRow("tab, percent and underscore stay") << u"\t%_"_s << u"\t%_"_s;
        QTest::newRow("cyrillic") << u"Ёж"_s << u"Ёж"_s;
    }
    void literalEscapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, content);
        QCOMPARE(sqlStringContent(text), content);
    }

    void collisionHeightOrder_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("numbers by value, not by text")
            << QStringList{u"23.00"_s, u"9.5"_s, u"100"_s, u"-1"_s} << QStringList{u"-1"_s, u"9.5"_s, u"23.00"_s, u"100"_s};
        QTest::newRow("texts after numbers, by code units")
            << QStringList{u"b"_s, u"10"_s, u""_s, u"B"_s, u"2"_s, u"1a"_s}
            << QStringList{u"2"_s, u"10"_s, u""_s, u"1a"_s, u"B"_s, u"b"_s};
        QTest::newRow("equal values keep their texts")
            << QStringList{u"8"_s, u"8.00"_s} << QStringList{u"8"_s, u"8.00"_s};
    }
    void collisionHeightOrder()
    {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, sorted);
        std::stable_sort(texts.begin(), texts.end(),
                         [](const QString &a, const QString &b) { return compareNumberOrText(a, b) < 0; });
        QCOMPARE(texts, sorted);
    }

    void collisionHeightOrderIsConsistent()
    {
        // Every triple of these must be transitive and every pair antisymmetric.
        const QStringList texts{u"2"_s, u"10"_s, u"1a"_s, u""_s, u"x"_s, u"-3.5"_s, u"1e2"_s, u"abc"_s, u" 7 "_s};
        for (const QString &a : texts) {
            QCOMPARE(compareNumberOrText(a, a), 0);
            for (const QString &b : texts) {
                QCOMPARE(compareNumberOrText(a, b), -compareNumberOrText(b, a));
                for (const QString &c : texts) {
                    if (compareNumberOrText(a, b) < 0 && compareNumberOrText(b, c) < 0)
                        QVERIFY2(compareNumberOrText(a, c) < 0, qPrintable(a + u'|' + b + u'|' + c));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_NpcCore)
#include "tst_npccore.moc"
