#include "base/BareValue.h"
#include "base/Codepage.h"
#include "base/Error.h"
#include "base/ScriptText.h"
#include "base/TextFile.h"
#include "base/TimeTexts.h"
#include "shop/ShopStatement.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

} // namespace

class tst_BaseCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codepageRoundTripsEveryByte()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString text = Cp1251::decode(&byte, 1);
            QByteArray back;
            QVERIFY2(Cp1251::encodeInto(text, back), qPrintable(QString::number(b)));
            QCOMPARE(back, QByteArray(1, byte));
        }
        QCOMPARE(Cp1251::decode("\xcf\xf0\xe8", 3), u"При"_s);
    }

    void codepageMarksWhatItCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("exact");
        QTest::newRow("cyrillic") << u"Меч Ёж"_s << QByteArray("\xcc\xe5\xf7 \xa8\xe6") << true;
        QTest::newRow("euro and dash") << u"€–"_s << QByteArray("\x88\x96") << true;
        QTest::newRow("cjk") << u"a日b"_s << QByteArray("a?b") << false;
        QTest::newRow("emoji is one question mark") << u"x\U0001F600y"_s << QByteArray("x?y") << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << false;
    }
    void codepageMarksWhatItCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, exact);
        QByteArray out;
        QCOMPARE(Cp1251::encodeInto(text, out), exact);
        QCOMPARE(out, bytes);
    }

    void timeTextsFollowTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("dateTime");
        const QDateTime evening(QDate(2026, 12, 6), QTime(19, 5, 33));
        const QDateTime morning(QDate(2026, 3, 4), QTime(7, 8, 9));
        const QDateTime midnight(QDate(2026, 12, 6), QTime(0, 0, 0));
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        QTest::newRow("russian") << ru << evening << u"19:05:33"_s << u"06.12.2026 19:05:33"_s;
        QTest::newRow("russian midnight drops the time") << ru << midnight << u"00:00:00"_s << u"06.12.2026"_s;
        QTest::newRow("C locale defaults") << QLocale::c() << morning << u"07:08:09"_s << u"3/4/26 07:08:09"_s;
        QTest::newRow("C locale midnight") << QLocale::c() << midnight << u"00:00:00"_s << u"12/6/26"_s;
        QTest::newRow("one second past midnight keeps it") << ru << midnight.addSecs(1) << u"00:00:01"_s
                                                            << u"06.12.2026 00:00:01"_s;
        // Other digits and direction marks would reach the log file as '?'.
        QTest::newRow("US English") << QLocale(QLocale::English, QLocale::UnitedStates) << evening
                                    << u"7:05:33 PM"_s << u"12/6/26 7:05:33 PM"_s;
        QTest::newRow("Arabic digits and marks") << QLocale(QLocale::Arabic, QLocale::Egypt) << evening
                                                 << u"7:05:33 PM"_s << u"6/12/2026 7:05:33 PM"_s;
        QTest::newRow("Bengali digits") << QLocale(QLocale::Bengali, QLocale::Bangladesh) << morning
                                        << u"7:08:09 AM"_s << u"4/3/26 7:08:09 AM"_s;
        QTest::newRow("Persian digits, zone in brackets") << QLocale(QLocale::Persian, QLocale::Iran) << evening
                                                          << u"19:05:33"_s << u"2026/12/6 19:05:33"_s;
    }
    void timeTextsFollowTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, at);
        QFETCH(QString, time);
        QFETCH(QString, dateTime);
        QCOMPARE(TimeTexts::timeText(at.time(), locale), time);
        QCOMPARE(TimeTexts::dateTimeText(at, locale), dateTime);
    }

    void longTimeHasSecondsAndNoZone()
    {
        for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German),
                                      QLocale(QLocale::Japanese), QLocale(QLocale::Russian)}) {
            const QString format = TimeTexts::longTimeFormat(locale);
            QVERIFY2(format.contains(u's'), qPrintable(format));
            QVERIFY2(!format.contains(u't'), qPrintable(format));
            QVERIFY2(!format.endsWith(u' '), qPrintable(format));
        }
    }

    void exitStampIsFixedWidth()
    {
        QCOMPARE(TimeTexts::exitStamp(QDateTime(QDate(2026, 12, 6), QTime(19, 5, 33))), u"06_12_2026_19_05_33"_s);
        QCOMPARE(TimeTexts::exitStamp(QDateTime(QDate(987, 1, 2), QTime(3, 4, 5))), u"02_01_0987_03_04_05"_s);
    }

    void linesAreJoinedWithCrLf_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("finalBreak");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("script block, no final break") << QStringList{u"#c"_s, u"s;"_s, QString()} << false
                                                      << QByteArray("#c\r\ns;\r\n");
        QTest::newRow("log, final break") << QStringList{u"a"_s, u"b"_s} << true << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty editor") << QStringList{} << false << QByteArray();
        QTest::newRow("one empty line") << QStringList{QString()} << false << QByteArray();
        QTest::newRow("trailing blanks kept") << QStringList{u"x  "_s, u" "_s} << false << QByteArray("x  \r\n ");
    }
    void linesAreJoinedWithCrLf()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, finalBreak);
        QFETCH(QByteArray, bytes);
        const auto encoded =
            TextFile::encodeLines(lines, finalBreak ? TextFile::FinalBreak::After : TextFile::FinalBreak::None);
        QCOMPARE(encoded.bytes, bytes);
        QVERIFY(encoded.lossyLines.isEmpty());
    }

    void lossyLinesAreNamed()
    {
        const auto encoded = TextFile::encodeLines({u"ok"_s, u"日"_s, u"Ж"_s, u"中文"_s}, TextFile::FinalBreak::None);
        QCOMPARE(encoded.lossyLines, (QList<int>{2, 4}));
        QCOMPARE(encoded.bytes, QByteArray("ok\r\n?\r\n\xc6\r\n??"));
    }

    void writeReplacingReportsTheReason()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.sql"_s);
        QCOMPARE(TextFile::writeReplacing(path, "one"), QString());
        QCOMPARE(TextFile::writeReplacing(path, "two"), QString());
        QCOMPARE(readAll(path), QByteArray("two"));
        QCOMPARE(TextFile::writeReplacing(dir.filePath(u"missing/a.sql"_s), "x"), u"No such file or directory"_s);
        QCOMPARE(TextFile::writeReplacing(path + u"/under-a-file.sql"_s, "x"), u"Not a directory"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"folder.sql"_s));
        QCOMPARE(TextFile::writeReplacing(dir.filePath(u"folder.sql"_s), "x"), u"Is a directory"_s);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.sql"_s});
    }

    void writeNewNeverReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log_x.log"_s);
        QStringList written;
        for (const char *bytes : {"first", "second", "third"}) {
            QString name;
            QCOMPARE(TextFile::writeNew(path, bytes, &name), QString());
            written.append(QFileInfo(name).fileName());
        }
        QCOMPARE(written, (QStringList{u"log_x.log"_s, u"log_x_2.log"_s, u"log_x_3.log"_s}));
        QCOMPARE(readAll(path), QByteArray("first"));
        QCOMPARE(readAll(dir.filePath(u"log_x_3.log"_s)), QByteArray("third"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void scriptLinesNeverSplit_data()
    {
        QTest::addColumn<QString>("npc");
        QTest::addColumn<QString>("shop");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("statement");
        QTest::newRow("plain") << u"123"_s << u"7"_s << u"#shop id  7"_s
                               << u"INSERT INTO `merchant_shopids` VALUES(7,123);"_s;
        QTest::newRow("empty") << QString() << QString() << u"#shop id  "_s
                               << u"INSERT INTO `merchant_shopids` VALUES(,);"_s;
        QTest::newRow("pasted line breaks") << u"1\r\n2"_s << u"7\n"_s << u"#shop id  7 "_s
                                            << u"INSERT INTO `merchant_shopids` VALUES(7 ,1  2);"_s;
        QTest::newRow("cyrillic as typed") << u" Ж "_s << u"٣"_s << u"#shop id  ٣"_s
                                           << u"INSERT INTO `merchant_shopids` VALUES(٣, Ж );"_s;
        QTest::newRow("NUL, DEL and C1 controls blanked, tab kept")
            << QString::fromUtf16(u"1\u00002\t", 4) << u"7\x7f\u0085\x1b"_s << u"#shop id  7   "_s
            << u"INSERT INTO `merchant_shopids` VALUES(7   ,1 2\t);"_s;
    }
    void scriptLinesNeverSplit()
    {
        QFETCH(QString, npc);
        QFETCH(QString, shop);
        QFETCH(QString, comment);
        QFETCH(QString, statement);
        const ScriptBlock block = shopLinkBlock(npc, shop);
        QCOMPARE(block.comment, comment);
        QCOMPARE(block.statement, statement);
    }

    void bareValuesHoldNothingThatLeavesTheStatement_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("breaker"); // empty: written as typed
        for (const QString &kept : {u""_s, u"NULL"_s, u"0x1F"_s, u"-5"_s, u"2*500"_s, u" 7 "_s, u"1.5e3"_s,
                                    u"(1+2)/3"_s, u"- -1"_s, u"*/"_s, u"abc"_s, u"Ж"_s, u"1\n2"_s,
                                    u"GREATEST(1,(2))"_s})
            QTest::newRow(qPrintable(u"kept: "_s + kept)) << kept << QString();
        QTest::newRow("statement end") << u"1; DROP TABLE npc; --"_s << u";"_s;
        QTest::newRow("client command") << u"\\! touch /tmp/x #"_s << u"\\"_s;
        QTest::newRow("single quote") << u"1+'a"_s << u"'"_s;
        QTest::newRow("double quote") << u"\"a"_s << u"\""_s;
        QTest::newRow("back quote") << u"`npc`"_s << u"`"_s;
        QTest::newRow("hash comment") << u"7 # note"_s << u"#"_s;
        QTest::newRow("dash comment, no blank") << u"2--1"_s << u"--"_s;
        QTest::newRow("block comment") << u"1/*!50000 x*/"_s << u"/*"_s;
        QTest::newRow("first breaker named") << u"/*;"_s << u"/*"_s;
        QTest::newRow("second row") << u"7,31),(8"_s << u","_s;
        QTest::newRow("decimal comma") << u"1,5"_s << u","_s;
        QTest::newRow("row closed early") << u"1),(2"_s << u")"_s;
        QTest::newRow("closed more than opened") << u"(1))"_s << u")"_s;
        QTest::newRow("left open") << u"IF(1"_s << u"("_s;
    }
    void bareValuesHoldNothingThatLeavesTheStatement()
    {
        QFETCH(QString, text);
        QFETCH(QString, breaker);
        QCOMPARE(BareValue::breaker(text), breaker);
        try {
            BareValue::require({{u"Shop ID"_s, u"7"_s}, {u"Цена"_s, text}});
            QVERIFY(breaker.isEmpty());
        } catch (const QmError &error) {
            QCOMPARE(error.text(), u"The box \"Цена\" holds \"%1\": \"%2\" cannot stand in a value written without quotes"_s
                                       .arg(ScriptText::oneLine(text), breaker));
        }
    }
};

QTEST_GUILESS_MAIN(tst_BaseCore)
#include "tst_basecore.moc"
