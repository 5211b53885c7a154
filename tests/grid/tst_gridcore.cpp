#include "base/Error.h"
#include "grid/FilterRows.h"
#include "grid/GridSort.h"
#include "grid/NumberText.h"
#include "grid/RowStore.h"

#include <QLocale>
#include <QTest>

#include <random>

using namespace Qt::StringLiterals;

namespace {

// A one-column store holding the given texts.
RowStore storeOf(const QStringList &texts, CellKind kind = CellKind::Text)
{
    RowStore store;
    store.setColumnKinds({ kind });
    store.addRows(static_cast<int>(texts.size()));
    for (int i = 0; i < texts.size(); ++i)
        store.setText(0, i, texts[i]);
    return store;
}

QStringList columnTexts(const RowStore &store, int col = 0)
{
    QStringList out;
    for (int r = 0; r < store.rowCount(); ++r)
        out << store.text(col, r);
    return out;
}

QString thrownText(const std::function<void()> &f)
{
    try {
        f();
    } catch (const QmError &e) {
        return e.text();
    }
    return u"<no error>"_s;
}

} // namespace

class tst_GridCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void numberParse_data();
    void numberParse();
    void numberFormat_data();
    void numberFormat();
    void numberTextInLocale_data();
    void numberTextInLocale();

    void storeRowsAndOutside();
    void storeTextRoundTrip_data();
    void storeTextRoundTrip();
    void storeCp1251AndWidening();
    void storeRewriteKeepsNeighbours();
    void storeNumberCells();

    void sortTexts_data();
    void sortTexts();
    void sortNumericErrorKeepsOrder_data();
    void sortNumericErrorKeepsOrder();
    void sortKeepsHiddenFlags();
    void sortCustomAndReverse();

    void filter_data();
    void filter();
    void filterMatchesPlainSearch();
    void filterWideAndNumberColumns();
    void filterEmptyStoreAndBadColumn();
};

void tst_GridCore::numberParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << u"12345"_s << true << 12345.0;
    QTest::newRow("leading zeros") << u"0012"_s << true << 12.0;
    QTest::newRow("fraction") << u"12.50"_s << true << 12.5;
    QTest::newRow("blanks around") << u"  7 \t"_s << true << 7.0;
    QTest::newRow("plus sign") << u"+3"_s << true << 3.0;
    QTest::newRow("minus sign") << u"-3.25"_s << true << -3.25;
    QTest::newRow("exponent") << u"1.5e3"_s << true << 1500.0;
    QTest::newRow("negative exponent") << u"25E-1"_s << true << 2.5;
    QTest::newRow("point first") << u".5"_s << true << 0.5;
    QTest::newRow("point last") << u"5."_s << true << 5.0;
    QTest::newRow("underflow is zero") << u"1e-400"_s << true << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blanks only") << u"   "_s << false << 0.0;
    QTest::newRow("letters") << u"abc"_s << false << 0.0;
    QTest::newRow("trailing letter") << u"12a"_s << false << 0.0;
    QTest::newRow("group separator") << u"1,000"_s << false << 0.0;
    QTest::newRow("blank inside") << u"1 2"_s << false << 0.0;
    QTest::newRow("two signs") << u"+-1"_s << false << 0.0;
    QTest::newRow("sign alone") << u"-"_s << false << 0.0;
    QTest::newRow("point alone") << u"."_s << false << 0.0;
    QTest::newRow("exponent without digits") << u"1e"_s << false << 0.0;
    QTest::newRow("hex") << u"0x10"_s << false << 0.0;
    QTest::newRow("infinity word") << u"inf"_s << false << 0.0;
    QTest::newRow("nan word") << u"nan"_s << false << 0.0;
    QTest::newRow("overflow") << u"1e400"_s << false << 0.0;
}

void tst_GridCore::numberParse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    if (ok) {
        QCOMPARE(parseNumberText(text), value);
    } else {
        QCOMPARE(thrownText([&] { parseNumberText(text); }), u"'%1' is not a valid floating point value"_s.arg(text));
    }
}

void tst_GridCore::numberFormat_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");
    QTest::newRow("integer") << u"12345"_s << u"12345"_s;
    QTest::newRow("leading zeros") << u"0012"_s << u"12"_s;
    QTest::newRow("trailing zero") << u"12.50"_s << u"12.5"_s;
    QTest::newRow("negative zero") << u"-0"_s << u"0"_s;
    QTest::newRow("fifteen digits") << u"0.1234567890123456789"_s << u"0.123456789012346"_s;
    QTest::newRow("large") << u"100000000000000"_s << u"100000000000000"_s;
    QTest::newRow("no group separators") << u"1234567.5"_s << u"1234567.5"_s;
}

void tst_GridCore::numberFormat()
{
    QFETCH(QString, input);
    QFETCH(QString, shown);
    QCOMPARE(formatNumberText(parseNumberText(input)), shown);
}

void tst_GridCore::numberTextInLocale_data()
{
    // Only the decimal separator follows the locale: digits, signs and the
    // exponent stay ASCII so that the parse takes every shown text back.
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("refused");
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    QTest::newRow("German comma") << QLocale(QLocale::German, QLocale::Germany) << 1234.25 << u"1234,25"_s << u"12.5"_s;
    QTest::newRow("Arabic digits stay ASCII") << arabic << 12345.0 << u"12345"_s << u"١٢٣"_s;
    QTest::newRow("Arabic sign and separator") << arabic << -1234.25 << u"-1234\u066B25"_s << u"-1234.25"_s;
    QTest::newRow("Swedish minus stays ASCII") << QLocale(QLocale::Swedish) << -7.5 << u"-7,5"_s << u"\u22127,5"_s;
    QTest::newRow("Persian exponent") << QLocale(QLocale::Persian) << 1e20 << u"1E+20"_s << u"۱"_s;
}

void tst_GridCore::numberTextInLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(QString, refused);
    QLocale::setDefault(locale);
    QCOMPARE(formatNumberText(value), shown);
    QCOMPARE(parseNumberText(shown), value);
    QCOMPARE(thrownText([&] { parseNumberText(refused); }), u"'%1' is not a valid floating point value"_s.arg(refused));
}

void tst_GridCore::storeRowsAndOutside()
{
    RowStore store;
    store.setColumnKinds({ CellKind::Text, CellKind::Number });
    store.addRows(0);
    store.addRows(-2);
    QCOMPARE(store.rowCount(), 0);
    store.addRows(3);
    QCOMPARE(store.rowCount(), 3);
    QCOMPARE(store.text(0, 2), QString());
    QCOMPARE(store.text(1, 2), u"0"_s);
    QVERIFY(store.isVisible(2));
    // Outside: empty reads, ignored writes, no error.
    QCOMPARE(store.text(0, 3), QString());
    QCOMPARE(store.text(2, 0), QString());
    QCOMPARE(store.text(-1, 0), QString());
    store.setText(0, 3, u"x");
    store.setText(5, 0, u"x");
    store.setText(1, -1, u"not a number");
    store.setTextCp1251(0, 7, "x", 1);
    QVERIFY(!store.isVisible(3));
    store.setVisible(9, false);
    QCOMPARE(columnTexts(store), QStringList({ QString(), QString(), QString() }));
    store.clearRows();
    QCOMPARE(store.rowCount(), 0);
    QCOMPARE(store.text(0, 0), QString());
}

void tst_GridCore::storeTextRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << u"Sword of Valor"_s;
    QTest::newRow("cyrillic") << u"Меч ёжика Ђ№"_s;
    QTest::newRow("outside the code page") << u"日本 ok"_s;
    QTest::newRow("quote and backslash") << u"it's \\ \"x\""_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("long") << QString(1000, u'Ж');
}

void tst_GridCore::storeTextRoundTrip()
{
    QFETCH(QString, text);
    RowStore store = storeOf({ u"before"_s, text, u"after"_s });
    QCOMPARE(columnTexts(store), QStringList({ u"before"_s, text, u"after"_s }));
}

void tst_GridCore::storeCp1251AndWidening()
{
    RowStore store;
    store.setColumnKinds({ CellKind::Text });
    store.addRows(3);
    const char cyr[] = "\xcc\xe5\xf7 \x98"; // "Меч " and the unassigned byte
    store.setTextCp1251(0, 0, cyr, sizeof cyr - 1);
    QCOMPARE(store.text(0, 0), u"Меч \u0098"_s);
    QVERIFY(!store.isWide(0));
    store.setText(0, 1, u"€ and ∑"_s); // the sum sign has no byte
    QVERIFY(store.isWide(0));
    store.setTextCp1251(0, 2, "\xc0", 1);
    QCOMPARE(columnTexts(store), QStringList({ u"Меч \u0098"_s, u"€ and ∑"_s, u"А"_s }));
}

void tst_GridCore::storeRewriteKeepsNeighbours()
{
    RowStore store = storeOf({ u"aa"_s, u"bbbb"_s, u"c"_s, QString() });
    store.setText(0, 1, u"B"_s);
    store.setText(0, 0, u"longer text"_s);
    store.setText(0, 2, u"x"_s);
    store.setText(0, 3, u"last"_s);
    store.setText(0, 3, QString());
    QCOMPARE(columnTexts(store), QStringList({ u"longer text"_s, u"B"_s, u"x"_s, QString() }));
    // Writes out of row order, after a sort moved the rows.
    sortRowsAlphabetic(store, 0, true);
    store.setText(0, 3, u"zz"_s);
    QCOMPARE(columnTexts(store), QStringList({ u"x"_s, u"longer text"_s, u"B"_s, u"zz"_s }));
}

void tst_GridCore::storeNumberCells()
{
    RowStore store;
    store.setColumnKinds({ CellKind::Number });
    store.addRows(2);
    store.setText(0, 0, u" 0012 "_s);
    store.setTextCp1251(0, 1, "12.50", 5);
    QCOMPARE(columnTexts(store), QStringList({ u"12"_s, u"12.5"_s }));
    QCOMPARE(thrownText([&] { store.setText(0, 0, u"12a"_s); }), u"'12a' is not a valid floating point value"_s);
    QCOMPARE(thrownText([&] { store.setTextCp1251(0, 1, "", 0); }), u"'' is not a valid floating point value"_s);
    QCOMPARE(thrownText([&] { store.setTextCp1251(0, 1, "\xc0", 1); }), u"'А' is not a valid floating point value"_s);
    QCOMPARE(columnTexts(store), QStringList({ u"12"_s, u"12.5"_s }));
}

void tst_GridCore::sortTexts_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QStringList>("expected");
    const QStringList numbers { u"10"_s, u"9"_s, u"100"_s };
    QTest::newRow("alphabetic by code units") << numbers << false << false << QStringList { u"10"_s, u"100"_s, u"9"_s };
    QTest::newRow("alphabetic descending") << numbers << false << true << QStringList { u"9"_s, u"100"_s, u"10"_s };
    QTest::newRow("numeric") << numbers << true << false << QStringList { u"9"_s, u"10"_s, u"100"_s };
    QTest::newRow("numeric descending") << numbers << true << true << QStringList { u"100"_s, u"10"_s, u"9"_s };
    QTest::newRow("case-sensitive") << QStringList { u"a"_s, u"B"_s, u"b"_s, u"A"_s } << false << false
                                    << QStringList { u"A"_s, u"B"_s, u"a"_s, u"b"_s };
    QTest::newRow("prefix first, long shared prefix")
        << QStringList { u"Item 12345678b"_s, u"Item 12345678"_s, u"Item 12345678a"_s } << false << false
        << QStringList { u"Item 12345678"_s, u"Item 12345678a"_s, u"Item 12345678b"_s };
    // Ё (U+0401) sorts before А (U+0410) although its code-page byte is lower; € (U+20AC) after both.
    QTest::newRow("code units not bytes") << QStringList { u"€"_s, u"А"_s, u"Ё"_s, u"z"_s } << false << false
                                          << QStringList { u"z"_s, u"Ё"_s, u"А"_s, u"€"_s };
    QTest::newRow("long texts, code units past the eighth")
        << QStringList { u"Long sword of Алка"_s, u"Long sword of zeta"_s, u"Long sword of Ёлка"_s, u"Long sword"_s,
                         u"Long swordЁ"_s, u"Long sword "_s, u"Ёлка long name"_s, u"Long sword of Ёлка"_s }
        << false << false
        << QStringList { u"Long sword"_s, u"Long sword "_s, u"Long sword of zeta"_s, u"Long sword of Ёлка"_s,
                         u"Long sword of Ёлка"_s, u"Long sword of Алка"_s, u"Long swordЁ"_s, u"Ёлка long name"_s };
    QTest::newRow("numeric with blanks and signs") << QStringList { u" 2"_s, u"-1"_s, u"1e1"_s } << true << false
                                                   << QStringList { u"-1"_s, u" 2"_s, u"1e1"_s };
}

void tst_GridCore::sortTexts()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, numeric);
    QFETCH(bool, descending);
    QFETCH(QStringList, expected);
    RowStore store = storeOf(texts);
    if (numeric)
        sortRowsNumeric(store, 0, descending);
    else
        sortRowsAlphabetic(store, 0, descending);
    QCOMPARE(columnTexts(store), expected);

    // The same through a column turned to UTF-16.
    RowStore wide = storeOf(texts + QStringList { u"∑"_s });
    QVERIFY(wide.isWide(0));
    if (numeric)
        return;
    sortRowsAlphabetic(wide, 0, descending);
    QStringList wideExpected = expected;
    if (descending)
        wideExpected.prepend(u"∑"_s);
    else
        wideExpected.append(u"∑"_s);
    QCOMPARE(columnTexts(wide), wideExpected);
}

void tst_GridCore::sortNumericErrorKeepsOrder_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty cell") << QStringList { u"5"_s, QString(), u"1"_s }
                                << u"'' is not a valid floating point value"_s;
    QTest::newRow("word") << QStringList { u"5"_s, u"1"_s, u"none"_s }
                          << u"'none' is not a valid floating point value"_s;
    QTest::newRow("cyrillic") << QStringList { u"5"_s, u"Ж"_s, u"1"_s }
                              << u"'Ж' is not a valid floating point value"_s;
}

void tst_GridCore::sortNumericErrorKeepsOrder()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, error);
    RowStore store = storeOf(texts);
    const auto generation = store.generation();
    QCOMPARE(thrownText([&] { sortRowsNumeric(store, 0, false); }), error);
    QCOMPARE(columnTexts(store), texts);
    QCOMPARE(store.generation(), generation);
}

void tst_GridCore::sortKeepsHiddenFlags()
{
    RowStore store = storeOf({ u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s });
    store.setVisible(2, false);
    store.setVisible(0, false);
    sortRowsAlphabetic(store, 0, false);
    QCOMPARE(store.rowCount(), 5);
    std::vector<int> visible;
    store.collectVisibleRows(visible);
    QCOMPARE(visible, (std::vector<int> { 0, 1, 3 }));
    QCOMPARE(store.text(0, 2), u"c"_s);
    QVERIFY(!store.isVisible(2));
    QVERIFY(!store.isVisible(4));
    store.reverseOrder();
    QCOMPARE(columnTexts(store), QStringList({ u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s }));
    QVERIFY(!store.isVisible(0));
    QVERIFY(!store.isVisible(2));
}

void tst_GridCore::sortCustomAndReverse()
{
    RowStore store = storeOf({ u"bb"_s, u"a"_s, u"ccc"_s });
    auto byLength = [](const QString &a, const QString &b) { return int(a.size() - b.size()); };
    sortRowsCustom(store, 0, true, byLength);
    QCOMPARE(columnTexts(store), QStringList({ u"ccc"_s, u"bb"_s, u"a"_s }));
    // No comparison supplied: alphabetic.
    sortRowsCustom(store, 0, false, {});
    QCOMPARE(columnTexts(store), QStringList({ u"a"_s, u"bb"_s, u"ccc"_s }));
    // A comparison that is no order at all must not break the store.
    sortRowsCustom(store, 0, false, [](const QString &, const QString &) { return -1; });
    QCOMPARE(store.rowCount(), 3);
    QStringList after = columnTexts(store);
    after.sort();
    QCOMPARE(after, QStringList({ u"a"_s, u"bb"_s, u"ccc"_s }));
}

void tst_GridCore::filter_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("shown");
    // Rows: 0 "Sword", 1 "SWORD of kings", 2 "long sword", 3 "Меч", 4 "мечник", 5 "", 6 "swor", 7 "s"
    QTest::newRow("any case of a to z") << u"sword"_s << u"012"_s;
    QTest::newRow("upper-case query") << u"SWORD"_s << u"012"_s;
    QTest::newRow("empty query shows all") << QString() << u"01234567"_s;
    QTest::newRow("single letter") << u"s"_s << u"01267"_s;
    QTest::newRow("cyrillic compared unchanged") << u"Меч"_s << u"3"_s;
    QTest::newRow("cyrillic lower") << u"меч"_s << u"4"_s;
    QTest::newRow("no trimming") << u" of"_s << u"1"_s;
    QTest::newRow("blank alone") << u" "_s << u"12"_s;
    QTest::newRow("no wildcard") << u"s*d"_s << QString();
    QTest::newRow("not across cells") << u"dswor"_s << QString();
    QTest::newRow("end of cell") << u"kings"_s << u"1"_s;
    QTest::newRow("outside the code page") << u"∑"_s << QString();
    QTest::newRow("longer than any cell") << u"sword of kings and more"_s << QString();
}

void tst_GridCore::filter()
{
    QFETCH(QString, query);
    QFETCH(QString, shown);
    RowStore store = storeOf({ u"Sword"_s, u"SWORD of kings"_s, u"long sword"_s, u"Меч"_s, u"мечник"_s, QString(),
                               u"swor"_s, u"s"_s });
    store.setVisible(0, false);
    FilterRows(store, 0, query);
    QString got;
    for (int r = 0; r < store.rowCount(); ++r) {
        if (store.isVisible(r))
            got += QString::number(r);
    }
    QCOMPARE(got, shown);
}

// Many short cells over a small alphabet, so that hits start, end and cross
// cell borders at every offset of the search's 16-byte steps.
void tst_GridCore::filterMatchesPlainSearch()
{
    const QString alphabet = u"aAbBsS -Жж"_s;
    std::mt19937 rng(7);
    QStringList texts;
    for (int r = 0; r < 600; ++r) {
        QString text;
        const int length = static_cast<int>(rng() % 21);
        for (int i = 0; i < length; ++i)
            text += alphabet[static_cast<qsizetype>(rng() % alphabet.size())];
        texts << text;
    }
    RowStore store = storeOf(texts);
    auto upper = [](QString text) {
        for (QChar &c : text) {
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - 32);
        }
        return text;
    };
    for (int p = 0; p < 300; ++p) {
        QString pattern;
        const int length = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < length; ++i)
            pattern += alphabet[static_cast<qsizetype>(rng() % alphabet.size())];
        FilterRows(store, 0, pattern);
        for (int r = 0; r < texts.size(); ++r) {
            if (store.isVisible(r) != upper(texts[r]).contains(upper(pattern)))
                QFAIL(qPrintable(u"row %1 \"%2\", pattern \"%3\""_s.arg(r).arg(texts[r], pattern)));
        }
    }
}

void tst_GridCore::filterWideAndNumberColumns()
{
    RowStore store;
    store.setColumnKinds({ CellKind::Text, CellKind::Number });
    store.addRows(3);
    const QStringList names { u"Sword ∑"_s, u"axe"_s, u"sWoRd"_s };
    const QStringList numbers { u"125"_s, u"12.5"_s, u"3"_s };
    for (int r = 0; r < 3; ++r) {
        store.setText(0, r, names[r]);
        store.setText(1, r, numbers[r]);
    }
    sortRowsAlphabetic(store, 0, false); // Sword ∑, axe, sWoRd -> Sword ∑, axe, sWoRd by code units
    FilterRows(store, 0, u"SWORD");
    QCOMPARE(store.isVisible(0) + store.isVisible(1) + store.isVisible(2), 2);
    for (int r = 0; r < 3; ++r)
        QCOMPARE(store.isVisible(r), store.text(0, r).toUpper().contains(u"SWORD"_s));
    FilterRows(store, 1, u"12");
    for (int r = 0; r < 3; ++r)
        QCOMPARE(store.isVisible(r), store.text(1, r).startsWith(u"12"_s));
    FilterRows(store, 0, u"∑");
    for (int r = 0; r < 3; ++r)
        QCOMPARE(store.isVisible(r), store.text(0, r).contains(u"∑"_s));
}

void tst_GridCore::filterEmptyStoreAndBadColumn()
{
    RowStore empty;
    empty.setColumnKinds({ CellKind::Text });
    FilterRows(empty, 0, u"x");
    FilterRows(empty, 4, QString());
    QCOMPARE(empty.rowCount(), 0);

    RowStore store = storeOf({ u"a"_s, u"b"_s });
    FilterRows(store, 3, u"a");
    QVERIFY(!store.isVisible(0) && !store.isVisible(1));
    FilterRows(store, 3, QString());
    QVERIFY(store.isVisible(0) && store.isVisible(1));
}

QTEST_APPLESS_MAIN(tst_GridCore)
#include "tst_gridcore.moc"
