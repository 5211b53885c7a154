#include "editor/SqlTokenizer.h"
#include "editor/SqlWords.h"

#include <QSet>
#include <QTest>

#include <string>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(SqlState)

namespace {

QChar classCode(SqlTokenClass cls)
{
    switch (cls) {
    case SqlTokenClass::Space: return u'_';
    case SqlTokenClass::Comment: return u'C';
    case SqlTokenClass::ConditionalComment: return u'K';
    case SqlTokenClass::DataType: return u'T';
    case SqlTokenClass::DelimitedIdentifier: return u'D';
    case SqlTokenClass::Function: return u'F';
    case SqlTokenClass::Identifier: return u'I';
    case SqlTokenClass::ReservedWord: return u'R';
    case SqlTokenClass::Number: return u'N';
    case SqlTokenClass::String: return u'S';
    case SqlTokenClass::Symbol: return u'Y';
    }
    return u'?';
}

// Tokens as "class:text", so a failing row shows where the line was cut.
QStringList render(QStringView line, const std::vector<SqlToken> &tokens)
{
    QStringList out;
    for (const SqlToken &t : tokens)
        out.append(QString(classCode(t.cls)) + u':' + line.mid(t.start, t.length).toString());
    return out;
}

void checkCoverage(QStringView line, const std::vector<SqlToken> &tokens)
{
    int next = 0;
    for (const SqlToken &t : tokens) {
        QCOMPARE(t.start, next);
        QVERIFY(t.length > 0);
        next += t.length;
    }
    QCOMPARE(next, int(line.size()));
}

} // namespace

class tst_SqlTokenizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tokens_data();
    void tokens();
    void highCharactersAreOneIdentifierEach();
    void wordLists();
    void everyListedWordTakesItsClass_data();
    void everyListedWordTakesItsClass();
    void carriedStateAcrossLines();
    void stateFromStoredInt();
};

void tst_SqlTokenizer::tokens_data()
{
    QTest::addColumn<SqlState>("in");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<SqlState>("out");

    const SqlState N = SqlState::Normal;
    const SqlState B = SqlState::BlockComment;
    const SqlState S = SqlState::String;
    const SqlState K = SqlState::ConditionalComment;
    const SqlState T = SqlState::Statement;
    const SqlState SC = SqlState::StatementComment;
    const SqlState DQ = SqlState::DoubleQuoted;
    const SqlState BQ = SqlState::BackQuoted;

    // Rule 1: the end of a line.
    QTest::newRow("empty line keeps normal") << N << QString() << QStringList() << N;
    QTest::newRow("empty line inside block comment") << B << QString() << QStringList() << B;
    QTest::newRow("empty line inside string") << S << QString() << QStringList() << S;
    // Rule 2: blanks and control characters.
    QTest::newRow("run of blanks and controls is one space")
        << N << u" \t\x01\x1f x"_s << QStringList{u"_: \t\x01\x1f "_s, u"I:x"_s} << T;
    // Rule 3: "#".
    QTest::newRow("generated comment line is one comment")
        << N << u"#npc  Trader Торговец 'x"_s << QStringList{u"C:#npc  Trader Торговец 'x"_s} << N;
    QTest::newRow("hash after a statement")
        << N << u"SELECT 1;#x"_s << QStringList{u"R:SELECT"_s, u"_: "_s, u"N:1"_s, u"Y:;"_s, u"C:#x"_s} << N;
    // Rule 4: "-".
    QTest::newRow("double dash without blank inside a statement is not a comment")
        << N << u"a--b /*"_s << QStringList{u"I:a"_s, u"Y:-"_s, u"Y:-"_s, u"I:b"_s, u"_: "_s, u"C:/*"_s} << SC;
    QTest::newRow("double dash and a blank or control inside a statement")
        << N << u"a-- b"_s << QStringList{u"I:a"_s, u"C:-- b"_s} << T;
    QTest::newRow("double dash at the line end") << T << u"a--"_s << QStringList{u"I:a"_s, u"C:--"_s} << T;
    QTest::newRow("double dash before a statement needs no blank")
        << N << u"--b; x"_s << QStringList{u"C:--b; x"_s} << N;
    QTest::newRow("double dash after a semicolon") << T << u"a;--b"_s << QStringList{u"I:a"_s, u"Y:;"_s, u"C:--b"_s} << N;
    QTest::newRow("a block comment does not begin a statement")
        << N << u"/* x */--y"_s << QStringList{u"C:/* x */"_s, u"C:--y"_s} << N;
    QTest::newRow("a block comment inside a statement goes on")
        << N << u"a /* x"_s << QStringList{u"I:a"_s, u"_: "_s, u"C:/* x"_s} << SC;
    QTest::newRow("after a block comment inside a statement")
        << SC << u"x */--y"_s << QStringList{u"C:x */"_s, u"Y:-"_s, u"Y:-"_s, u"I:y"_s} << T;
    QTest::newRow("single dash is a symbol")
        << N << u"a-b"_s << QStringList{u"I:a"_s, u"Y:-"_s, u"I:b"_s} << T;
    QTest::newRow("minus before a number") << N << u"-1"_s << QStringList{u"Y:-"_s, u"N:1"_s} << T;
    // Rule 5: "/".
    QTest::newRow("block comment closed on the line")
        << N << u"/* x */y"_s << QStringList{u"C:/* x */"_s, u"I:y"_s} << T;
    QTest::newRow("block comment left open") << N << u"/* x"_s << QStringList{u"C:/* x"_s} << B;
    QTest::newRow("slash star slash does not close")
        << N << u"/*/"_s << QStringList{u"C:/*/"_s} << B;
    QTest::newRow("empty block comment") << N << u"/**/1"_s << QStringList{u"C:/**/"_s, u"N:1"_s} << T;
    QTest::newRow("block comment goes on")
        << B << u"still -- not"_s << QStringList{u"C:still -- not"_s} << B;
    QTest::newRow("block comment ends")
        << B << u"end */ SELECT"_s << QStringList{u"C:end */"_s, u"_: "_s, u"R:SELECT"_s} << T;
    QTest::newRow("star slash first on the line ends it")
        << B << u"*/x"_s << QStringList{u"C:*/"_s, u"I:x"_s} << T;
    QTest::newRow("conditional comment closed")
        << N << u"/*!40101 SET */;"_s << QStringList{u"K:/*!40101 SET */"_s, u"Y:;"_s} << N;
    QTest::newRow("conditional comment left open")
        << N << u"/*!40101 SET"_s << QStringList{u"K:/*!40101 SET"_s} << K;
    QTest::newRow("conditional comment of this server kind")
        << N << u"/*M!100101 SET */ x"_s << QStringList{u"K:/*M!100101 SET */"_s, u"_: "_s, u"I:x"_s} << T;
    QTest::newRow("conditional comment goes on") << K << u"x = 1"_s << QStringList{u"K:x = 1"_s} << K;
    QTest::newRow("conditional comment ends")
        << K << u"x */1"_s << QStringList{u"K:x */"_s, u"N:1"_s} << T;
    QTest::newRow("slash equals and slash")
        << N << u"a/=b/c"_s << QStringList{u"I:a"_s, u"Y:/="_s, u"I:b"_s, u"Y:/"_s, u"I:c"_s} << T;
    // Rule 6: strings.
    QTest::newRow("string") << N << u"'abc',"_s << QStringList{u"S:'abc'"_s, u"Y:,"_s} << T;
    QTest::newRow("escaped quote stays inside")
        << N << u"'it\\'s' x"_s << QStringList{u"S:'it\\'s'"_s, u"_: "_s, u"I:x"_s} << T;
    QTest::newRow("escaped backslash before the closing quote")
        << N << u"'a\\\\' b"_s << QStringList{u"S:'a\\\\'"_s, u"_: "_s, u"I:b"_s} << T;
    QTest::newRow("doubled quote makes two adjoining strings")
        << N << u"'a''b'"_s << QStringList{u"S:'a'"_s, u"S:'b'"_s} << T;
    QTest::newRow("string left open") << N << u"x 'abc"_s << QStringList{u"I:x"_s, u"_: "_s, u"S:'abc"_s} << S;
    QTest::newRow("backslash at the end keeps it open") << N << u"'abc\\"_s << QStringList{u"S:'abc\\"_s} << S;
    QTest::newRow("string goes on") << S << u"no quote # here"_s << QStringList{u"S:no quote # here"_s} << S;
    QTest::newRow("string ends on the next line")
        << S << u"def', 1"_s << QStringList{u"S:def'"_s, u"Y:,"_s, u"_: "_s, u"N:1"_s} << T;
    QTest::newRow("quote first on the next line ends it") << S << u"'x"_s << QStringList{u"S:'"_s, u"I:x"_s} << T;
    // Rule 7: delimited identifiers.
    QTest::newRow("back-quoted name") << N << u"`npc`"_s << QStringList{u"D:`npc`"_s} << T;
    QTest::newRow("double-quoted name") << N << u"\"a b\"."_s << QStringList{u"D:\"a b\""_s, u"Y:."_s} << T;
    QTest::newRow("doubled delimiter stays inside") << N << u"`a``b`c"_s << QStringList{u"D:`a``b`"_s, u"I:c"_s} << T;
    QTest::newRow("doubled double quote stays inside") << N << u"\"a\"\"b\""_s << QStringList{u"D:\"a\"\"b\""_s} << T;
    QTest::newRow("a back-quoted name goes on over the line end") << N << u"`a\\bc"_s << QStringList{u"D:`a\\bc"_s} << BQ;
    QTest::newRow("back-quoted name ends on the next line")
        << BQ << u"x` y"_s << QStringList{u"D:x`"_s, u"_: "_s, u"I:y"_s} << T;
    QTest::newRow("backslash escapes in double quotes")
        << N << u"\"a\\\"b\" \"c"_s << QStringList{u"D:\"a\\\"b\""_s, u"_: "_s, u"D:\"c"_s} << DQ;
    QTest::newRow("double-quoted text ends on the next line")
        << DQ << u"x\", 1"_s << QStringList{u"D:x\""_s, u"Y:,"_s, u"_: "_s, u"N:1"_s} << T;
    QTest::newRow("other quote inside") << N << u"`a\"'b`"_s << QStringList{u"D:`a\"'b`"_s} << T;
    // Rule 8: "[", "@", ":".
    QTest::newRow("one-character symbols")
        << N << u"@a:[b"_s << QStringList{u"Y:@"_s, u"I:a"_s, u"Y::"_s, u"Y:["_s, u"I:b"_s} << T;
    QTest::newRow("doubled at is two symbols") << N << u"@@"_s << QStringList{u"Y:@"_s, u"Y:@"_s} << T;
    // Rule 9: numbers.
    QTest::newRow("integer") << N << u"57,"_s << QStringList{u"N:57"_s, u"Y:,"_s} << T;
    QTest::newRow("decimal") << N << u"1.5"_s << QStringList{u"N:1.5"_s} << T;
    QTest::newRow("number stops before two dots")
        << N << u"1..5"_s << QStringList{u"N:1"_s, u"Y:."_s, u"Y:."_s, u"N:5"_s} << T;
    QTest::newRow("number with dot stops before two dots")
        << N << u"1.2..3"_s << QStringList{u"N:1.2"_s, u"Y:."_s, u"Y:."_s, u"N:3"_s} << T;
    QTest::newRow("dashes belong to a number") << N << u"2026-12-08"_s << QStringList{u"N:2026-12-08"_s} << T;
    QTest::newRow("number runs into a double dash") << N << u"5--3"_s << QStringList{u"N:5--3"_s} << T;
    QTest::newRow("number stops before a comment")
        << N << u"5-- 3"_s << QStringList{u"N:5"_s, u"C:-- 3"_s} << T;
    QTest::newRow("letters end a number") << N << u"1e5"_s << QStringList{u"N:1"_s, u"I:e5"_s} << T;
    QTest::newRow("trailing dot") << N << u"7."_s << QStringList{u"N:7."_s} << T;
    // Rule 10: words.
    QTest::newRow("words by list in any case")
        << N << u"insert Into vAlUeS null tinyint concat x"_s
        << QStringList{u"F:insert"_s, u"_: "_s, u"R:Into"_s, u"_: "_s, u"R:vAlUeS"_s, u"_: "_s, u"R:null"_s,
                       u"_: "_s, u"T:tinyint"_s, u"_: "_s, u"F:concat"_s, u"_: "_s, u"I:x"_s}
        << T;
    QTest::newRow("digits and dollar inside a word, a hash ends it")
        << N << u"INT1 a1$b _x#y"_s << QStringList{u"R:INT1"_s, u"_: "_s, u"I:a1$b"_s, u"_: "_s, u"I:_x"_s, u"C:#y"_s} << T;
    QTest::newRow("word touching a listed word is not listed") << N << u"INTOx"_s << QStringList{u"I:INTOx"_s} << T;
    QTest::newRow("listed word then parenthesis")
        << N << u"NOW()"_s << QStringList{u"F:NOW"_s, u"Y:("_s, u"Y:)"_s} << T;
    // Rule 11: operators.
    const QStringList operators = {u"&&"_s, u"&="_s, u"!="_s, u"%="_s, u"*="_s, u"^="_s, u"<<"_s, u"<<="_s,
                                   u"<="_s, u"=="_s, u"=>"_s, u">="_s, u">>"_s, u"|="_s, u"||"_s, u"++"_s,
                                   u"+="_s};
    QStringList operatorTokens;
    for (const QString &op : operators)
        operatorTokens << u"Y:"_s + op << u"_: "_s;
    operatorTokens.removeLast();
    QTest::newRow("two-character operators") << N << operators.join(u' ') << operatorTokens << T;
    QTest::newRow("operators back to back")
        << N << u"&&&=<<<=>>="_s << QStringList{u"Y:&&"_s, u"Y:&="_s, u"Y:<<"_s, u"Y:<="_s, u"Y:>>"_s, u"Y:="_s} << T;
    QTest::newRow("less-equal after less-less-equal")
        << N << u"<=<<="_s << QStringList{u"Y:<="_s, u"Y:<<="_s} << T;
    QTest::newRow("pairs not in the list are two symbols")
        << N << u"=<-=~!"_s << QStringList{u"Y:="_s, u"Y:<"_s, u"Y:-"_s, u"Y:="_s, u"Y:~"_s, u"Y:!"_s} << T;
    QTest::newRow("NUL is a symbol") << N << u"a\0b"_s << QStringList{u"I:a"_s, u"Y:\0"_s, u"I:b"_s} << T;
    // Rule 12: "$", "\", DEL and everything above.
    QTest::newRow("dollar, backslash and DEL")
        << N << u"$\\\x7f"_s << QStringList{u"I:$"_s, u"I:\\"_s, u"I:\x7f"_s} << T;
    QTest::newRow("each Cyrillic letter is a token")
        << N << u"Эльф1"_s << QStringList{u"I:Э"_s, u"I:л"_s, u"I:ь"_s, u"I:ф"_s, u"N:1"_s} << T;
    QTest::newRow("Latin word runs up to a Cyrillic letter") << N << u"abЖ"_s << QStringList{u"I:ab"_s, u"I:Ж"_s} << T;
    QTest::newRow("surrogate pair is one character")
        << N << u"\U0001F600x"_s << QStringList{u"I:\U0001F600"_s, u"I:x"_s} << T;
    QTest::newRow("lone surrogate is one character")
        << N << QString(QChar(0xD800)) + u"a"_s << QStringList{u"I:"_s + QChar(0xD800), u"I:a"_s} << T;

    // Whole generated lines.
    QTest::newRow("merchant buylist statement")
        << N << u"INSERT INTO `merchant_buylists` VALUES (57,100,7,1,-1,-1,0,0);"_s
        << QStringList{u"F:INSERT"_s, u"_: "_s, u"R:INTO"_s, u"_: "_s, u"D:`merchant_buylists`"_s, u"_: "_s,
                       u"R:VALUES"_s, u"_: "_s, u"Y:("_s, u"N:57"_s, u"Y:,"_s, u"N:100"_s, u"Y:,"_s,
                       u"N:7"_s, u"Y:,"_s, u"N:1"_s, u"Y:,"_s, u"Y:-"_s, u"N:1"_s, u"Y:,"_s, u"Y:-"_s,
                       u"N:1"_s, u"Y:,"_s,
                       u"N:0"_s, u"Y:,"_s, u"N:0"_s, u"Y:)"_s, u"Y:;"_s}
        << N;
    QTest::newRow("npc statement with texts and NULL")
        << N << u"INSERT INTO `npc` VALUES (30001,'Trader','Торговец',NULL,0.5);"_s
        << QStringList{u"F:INSERT"_s, u"_: "_s, u"R:INTO"_s, u"_: "_s, u"D:`npc`"_s, u"_: "_s,
                       u"R:VALUES"_s, u"_: "_s, u"Y:("_s, u"N:30001"_s, u"Y:,"_s, u"S:'Trader'"_s, u"Y:,"_s,
                       u"S:'Торговец'"_s, u"Y:,"_s, u"R:NULL"_s, u"Y:,"_s, u"N:0.5"_s, u"Y:)"_s, u"Y:;"_s}
        << N;
}

void tst_SqlTokenizer::tokens()
{
    QFETCH(SqlState, in);
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QFETCH(SqlState, out);

    const SqlLineTokens result = tokenizeSqlLine(line, in);
    checkCoverage(line, result.tokens);
    QCOMPARE(render(line, result.tokens), expected);
    QCOMPARE(result.out, out);
}

void tst_SqlTokenizer::highCharactersAreOneIdentifierEach()
{
    // Every code of the upper half of the 8-bit code page, in its Unicode form and in
    // the Windows-1251 letters it stands for: one Identifier token per character.
    QString line;
    for (char16_t c = 127; c <= 255; ++c)
        line.append(QChar(c));
    for (char16_t c = 0x0410; c <= 0x044F; ++c)
        line.append(QChar(c));
    line.append(u"ЁёЄєІіЇїЎў№"_s);
    std::vector<SqlToken> tokens;
    QCOMPARE(tokenizeSqlLine(line, SqlState::Normal, tokens), SqlState::Statement);
    QCOMPARE(qsizetype(tokens.size()), line.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        QCOMPARE(tokens[i].start, int(i));
        QCOMPARE(tokens[i].length, 1);
        QCOMPARE(tokens[i].cls, SqlTokenClass::Identifier);
    }
}

void tst_SqlTokenizer::wordLists()
{
    QCOMPARE(sqlDataTypes().size(), std::size_t(29));
    QCOMPARE(sqlReservedWords().size(), std::size_t(181));
    QCOMPARE(sqlFunctions().size(), std::size_t(149));
    QSet<QString> seen;
    for (const auto list : {sqlDataTypes(), sqlReservedWords(), sqlFunctions()}) {
        for (std::string_view w : list) {
            const QString word = QString::fromLatin1(w.data(), qsizetype(w.size()));
            QCOMPARE(word, word.toUpper());
            QVERIFY2(!seen.contains(word), qPrintable(word));  // no word twice, no word in two lists
            seen.insert(word);
        }
    }
    QCOMPARE(seen.size(), 29 + 181 + 149);
}

void tst_SqlTokenizer::everyListedWordTakesItsClass_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<SqlTokenClass>("cls");
    QTest::newRow("data types") << 0 << SqlTokenClass::DataType;
    QTest::newRow("reserved words") << 1 << SqlTokenClass::ReservedWord;
    QTest::newRow("functions") << 2 << SqlTokenClass::Function;
}

void tst_SqlTokenizer::everyListedWordTakesItsClass()
{
    QFETCH(int, list);
    QFETCH(SqlTokenClass, cls);
    const auto words = list == 0 ? sqlDataTypes() : list == 1 ? sqlReservedWords() : sqlFunctions();
    for (std::string_view w : words) {
        const QString upper = QString::fromLatin1(w.data(), qsizetype(w.size()));
        QString mixed = upper.toLower();
        mixed[0] = mixed[0].toUpper();
        for (const QString &form : {upper, upper.toLower(), mixed}) {
            const SqlLineTokens t = tokenizeSqlLine(form, SqlState::Normal);
            QVERIFY2(t.tokens.size() == 1, qPrintable(form));
            QVERIFY2(t.tokens[0].cls == cls, qPrintable(form));
        }
        QCOMPARE(sqlWordClass(QString(upper + u'x')), SqlTokenClass::Identifier);
    }
}

void tst_SqlTokenizer::carriedStateAcrossLines()
{
    // A script read line by line, each line starting in the state the one before left.
    const QStringList script = {
        u"/* a comment"_s,
        u"   over lines */ SELECT 'a string"_s,
        u"still the string' FROM `t`;"_s,
        u"/*!40101 SET x=1"_s,
        u"*/"_s,
        u"#done"_s,
    };
    const QList<SqlState> outs = {SqlState::BlockComment, SqlState::String, SqlState::Normal,
                                  SqlState::ConditionalComment, SqlState::Statement, SqlState::Statement};
    SqlState state = SqlState::Normal;
    std::vector<SqlToken> tokens;
    for (int i = 0; i < script.size(); ++i) {
        state = tokenizeSqlLine(script[i], state, tokens);
        checkCoverage(script[i], tokens);
        QCOMPARE(state, outs[i]);
    }
    tokenizeSqlLine(script[2], SqlState::String, tokens);
    QCOMPARE(render(script[2], tokens).first(), u"S:still the string'"_s);
}

void tst_SqlTokenizer::stateFromStoredInt()
{
    QCOMPARE(sqlStateFromInt(0), SqlState::Normal);
    QCOMPARE(sqlStateFromInt(1), SqlState::BlockComment);
    QCOMPARE(sqlStateFromInt(2), SqlState::String);
    QCOMPARE(sqlStateFromInt(3), SqlState::ConditionalComment);
    QCOMPARE(sqlStateFromInt(7), SqlState::BackQuoted);
    QCOMPARE(sqlStateFromInt(8), SqlState::Normal);
    QCOMPARE(sqlStateFromInt(-1), SqlState::Normal);
}

QTEST_APPLESS_MAIN(tst_SqlTokenizer)
#include "tst_sqltokenizer.moc"
