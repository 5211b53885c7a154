#include "editor/SqlEditor.h"
#include "editor/SqlLexer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(SqlTokenClass)

namespace {

const QStringList GeneratedScript = {
    u"#npc  Trader Торговец"_s,
    u"INSERT INTO `npc` VALUES (30001,'Trader','Торговец',NULL,0.5,'it\\'s');"_s,
    u""_s,
    u"#buylist  57"_s,
    u"INSERT INTO `merchant_buylists` VALUES (57,100,7,1,-1,-1,0,0);"_s,
    u""_s,
};

long send(const SqlEditor &ed, unsigned int msg, unsigned long w = 0, long l = 0)
{
    return ed.SendScintilla(msg, w, l);
}

void styleAll(SqlEditor &ed)
{
    ed.SendScintilla(QsciScintilla::SCI_COLOURISE, 0UL, -1L);
}

// Document position of a character given by line and UTF-16 index in that line.
long positionOf(const SqlEditor &ed, int line, int index)
{
    const QString lineText = ed.text(line);
    return send(ed, QsciScintilla::SCI_POSITIONFROMLINE, (unsigned long)line) + lineText.left(index).toUtf8().size();
}

int styleAt(const SqlEditor &ed, long pos)
{
    return int(send(ed, QsciScintilla::SCI_GETSTYLEAT, (unsigned long)pos));
}

int caretPos(const SqlEditor &ed) { return int(send(ed, QsciScintilla::SCI_GETCURRENTPOS)); }

} // namespace

class tst_SqlEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void stylesOfAGeneratedScript_data();
    void stylesOfAGeneratedScript();
    void openStringColoursTheNextLine();
    void typedCommentOpenerRestylesTheLinesBelow();
    void classColoursAndFonts_data();
    void classColoursAndFonts();
    void editorSettings();

    void mirrorLeavesAFreshEditor();
    void mirrorKeepsTheModifiedMark_data();
    void mirrorKeepsTheModifiedMark();
    void operatorEditIsKeptAndNewLinesFollowIt_data();
    void operatorEditIsKeptAndNewLinesFollowIt();
    void controlCharactersBecomeBlanksOnEveryWayIn_data();
    void controlCharactersBecomeBlanksOnEveryWayIn();
    void tailAppendAndFullReplaceAgree_data();
    void tailAppendAndFullReplaceAgree();
    void linesSplitAtEveryLineEnd_data();
    void linesSplitAtEveryLineEnd();
    void severalRunsGoAsOneByOne_data();
    void severalRunsGoAsOneByOne();

    void enhancedEndKey();
    void smartTabFollowsTheLineAbove();
    void caretGoesPastTheLineEnd();
    void trailingBlanksAndIndentStay();
    void draggingTheScrollBarHintsTheLine();
    void changeSignalsOncePerEditAndPerMirror();
    void accessibleTextAtEveryOffset_data();
    void accessibleTextAtEveryOffset();

private:
    SqlEditor *m_ed = nullptr;
};

void tst_SqlEditor::init()
{
    m_ed = new SqlEditor;
    m_ed->resize(825, 417);
    m_ed->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_ed));
}

void tst_SqlEditor::cleanup()
{
    delete m_ed;
    m_ed = nullptr;
}

void tst_SqlEditor::stylesOfAGeneratedScript_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("piece");
    QTest::addColumn<SqlTokenClass>("cls");

    QTest::newRow("comment line, start") << 0 << u"#npc  "_s << SqlTokenClass::Comment;
    QTest::newRow("comment line, Cyrillic") << 0 << u"Торговец"_s << SqlTokenClass::Comment;
    QTest::newRow("INSERT is a function") << 1 << u"INSERT"_s << SqlTokenClass::Function;
    QTest::newRow("INTO is reserved") << 1 << u"INTO"_s << SqlTokenClass::ReservedWord;
    QTest::newRow("table name is delimited") << 1 << u"`npc`"_s << SqlTokenClass::DelimitedIdentifier;
    QTest::newRow("VALUES is reserved") << 1 << u"VALUES"_s << SqlTokenClass::ReservedWord;
    QTest::newRow("blank is space") << 1 << u" ("_s.left(1) << SqlTokenClass::Space;
    QTest::newRow("number") << 1 << u"30001"_s << SqlTokenClass::Number;
    QTest::newRow("latin string") << 1 << u"'Trader'"_s << SqlTokenClass::String;
    QTest::newRow("Cyrillic string") << 1 << u"'Торговец'"_s << SqlTokenClass::String;
    QTest::newRow("NULL after Cyrillic") << 1 << u"NULL"_s << SqlTokenClass::ReservedWord;
    QTest::newRow("decimal after Cyrillic") << 1 << u"0.5"_s << SqlTokenClass::Number;
    QTest::newRow("escaped quote inside") << 1 << u"'it\\'s'"_s << SqlTokenClass::String;
    QTest::newRow("closing semicolon") << 1 << u";"_s << SqlTokenClass::Symbol;
    QTest::newRow("buylist comment") << 3 << u"#buylist  57"_s << SqlTokenClass::Comment;
    QTest::newRow("buylist table") << 4 << u"`merchant_buylists`"_s << SqlTokenClass::DelimitedIdentifier;
    QTest::newRow("buylist first number") << 4 << u"57"_s << SqlTokenClass::Number;
    QTest::newRow("buylist minus") << 4 << u"-"_s << SqlTokenClass::Symbol;
}

void tst_SqlEditor::stylesOfAGeneratedScript()
{
    QFETCH(int, line);
    QFETCH(QString, piece);
    QFETCH(SqlTokenClass, cls);

    m_ed->mirrorPane(GeneratedScript);
    styleAll(*m_ed);
    const int index = int(GeneratedScript[line].indexOf(piece));
    QVERIFY(index >= 0);
    const long from = positionOf(*m_ed, line, index);
    const long to = positionOf(*m_ed, line, index + int(piece.size()));
    for (long pos = from; pos < to; ++pos)
        QCOMPARE(styleAt(*m_ed, pos), SqlLexer::styleOf(cls));
}

void tst_SqlEditor::openStringColoursTheNextLine()
{
    m_ed->mirrorPane({u"SELECT 'open"_s, u"still Жа string -- x"_s, u"end' AS x"_s});
    styleAll(*m_ed);
    for (int i = 0; i < m_ed->lines().at(1).size(); ++i)
        QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 1, i)), SqlLexer::styleOf(SqlTokenClass::String));
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 2, 3)), SqlLexer::styleOf(SqlTokenClass::String));
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 2, 5)), SqlLexer::styleOf(SqlTokenClass::ReservedWord));
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 2, 8)), SqlLexer::styleOf(SqlTokenClass::Identifier));
}

void tst_SqlEditor::typedCommentOpenerRestylesTheLinesBelow()
{
    m_ed->mirrorPane({u"SELECT 1;"_s, u"SELECT 2;"_s, u"SELECT 3;"_s});
    styleAll(*m_ed);
    const long third = positionOf(*m_ed, 2, 0);
    QCOMPARE(styleAt(*m_ed, third), SqlLexer::styleOf(SqlTokenClass::ReservedWord));

    // The operator types a comment opener at the very start: everything below becomes comment.
    m_ed->setCursorPosition(0, 0);
    QTest::keyClicks(m_ed, u"/*"_s);
    styleAll(*m_ed);
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 2, 0)), SqlLexer::styleOf(SqlTokenClass::Comment));
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 2, 8)), SqlLexer::styleOf(SqlTokenClass::Comment));

    // Closing it on the second line gives the third line its colours back.
    m_ed->setCursorPosition(1, 0);
    QTest::keyClicks(m_ed, u"*/"_s);
    styleAll(*m_ed);
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 1, 2)), SqlLexer::styleOf(SqlTokenClass::ReservedWord));
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 2, 0)), SqlLexer::styleOf(SqlTokenClass::ReservedWord));

    // Removing the opener again.
    m_ed->setCursorPosition(0, 2);
    QTest::keyClick(m_ed, Qt::Key_Backspace);
    QTest::keyClick(m_ed, Qt::Key_Backspace);
    styleAll(*m_ed);
    QCOMPARE(m_ed->text(0), u"SELECT 1;\n"_s);
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 0, 0)), SqlLexer::styleOf(SqlTokenClass::ReservedWord));
    QCOMPARE(styleAt(*m_ed, positionOf(*m_ed, 1, 0)), SqlLexer::styleOf(SqlTokenClass::Symbol));
}

void tst_SqlEditor::classColoursAndFonts_data()
{
    QTest::addColumn<SqlTokenClass>("cls");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");

    const QPalette pal = SqlEditor().palette();
    const QColor text = pal.color(QPalette::Text);
    QTest::newRow("comment") << SqlTokenClass::Comment << QColor(192, 192, 192) << false << true;
    QTest::newRow("conditional comment") << SqlTokenClass::ConditionalComment << text << false << true;
    QTest::newRow("data type") << SqlTokenClass::DataType << QColor(0, 255, 255) << true << false;
    QTest::newRow("delimited identifier") << SqlTokenClass::DelimitedIdentifier << text << false << false;
    QTest::newRow("function") << SqlTokenClass::Function << QColor(255, 0, 0) << true << false;
    QTest::newRow("identifier") << SqlTokenClass::Identifier << QColor(0, 0, 128) << false << false;
    QTest::newRow("reserved word") << SqlTokenClass::ReservedWord << pal.color(QPalette::Dark) << true << false;
    QTest::newRow("number") << SqlTokenClass::Number << QColor(166, 202, 240) << false << false;
    QTest::newRow("space") << SqlTokenClass::Space << text << false << false;
    QTest::newRow("string") << SqlTokenClass::String << pal.color(QPalette::Link) << false << false;
    QTest::newRow("symbol") << SqlTokenClass::Symbol << text << false << false;
}

void tst_SqlEditor::classColoursAndFonts()
{
    QFETCH(SqlTokenClass, cls);
    QFETCH(QColor, color);
    QFETCH(bool, bold);
    QFETCH(bool, italic);

    const int style = SqlLexer::styleOf(cls);
    QCOMPARE(m_ed->sqlLexer()->color(style).rgb(), color.rgb());
    // What Scintilla paints with (BGR), not only what the lexer says.
    const long fore = send(*m_ed, QsciScintilla::SCI_STYLEGETFORE, (unsigned long)style);
    QCOMPARE(qRgb(int(fore & 0xff), int((fore >> 8) & 0xff), int((fore >> 16) & 0xff)), color.rgb());
    // QScintilla passes the Qt weight negated.
    QCOMPARE(std::abs(send(*m_ed, QsciScintilla::SCI_STYLEGETWEIGHT, (unsigned long)style)) > 400, bold);
    QCOMPARE(send(*m_ed, QsciScintilla::SCI_STYLEGETITALIC, (unsigned long)style) != 0, italic);
    const QFont font = m_ed->sqlLexer()->font(style);
    QCOMPARE(font.family(), u"Courier New"_s);
    QCOMPARE(qRound(font.pointSizeF() * m_ed->logicalDpiY() / 72.0), 13);  // 13 pixels high
}

void tst_SqlEditor::editorSettings()
{
    const long caretLine = send(*m_ed, QsciScintilla::SCI_GETCARETLINEBACK);
    QCOMPARE(QColor(int(caretLine & 0xff), int((caretLine >> 8) & 0xff), int((caretLine >> 16) & 0xff)),
             QColor(192, 220, 192));
    QVERIFY(send(*m_ed, QsciScintilla::SCI_GETCARETLINEVISIBLE));
    QVERIFY(send(*m_ed, QsciScintilla::SCI_GETCARETLINEVISIBLEALWAYS));
    QCOMPARE(m_ed->tabWidth(), 8);
    QVERIFY(!m_ed->indentationsUseTabs());
    QVERIFY(m_ed->autoIndent());
    QVERIFY(m_ed->backspaceUnindents());
    QVERIFY(send(*m_ed, QsciScintilla::SCI_GETENDATLASTLINE));
    QVERIFY(send(*m_ed, QsciScintilla::SCI_GETVIRTUALSPACEOPTIONS) & QsciScintilla::SCVS_USERACCESSIBLE);
    QCOMPARE(m_ed->eolMode(), QsciScintilla::EolUnix);
    QVERIFY(m_ed->marginWidth(0) > 0);
}

void tst_SqlEditor::mirrorLeavesAFreshEditor()
{
    QStringList pane;
    for (int i = 0; i < 300; ++i)
        pane << u"#line %1 with some text to make it long enough to scroll sideways......................"_s
                    .arg(i);
    m_ed->mirrorPane(pane);
    // The operator moves about, selects and types.
    m_ed->setSelection(150, 3, 160, 10);
    m_ed->setFirstVisibleLine(140);
    send(*m_ed, QsciScintilla::SCI_SETXOFFSET, 200UL);
    QTest::keyClicks(m_ed, u"xyz"_s);
    QVERIFY(m_ed->isUndoAvailable());

    pane << u"INSERT INTO `t` VALUES (1);"_s;
    m_ed->mirrorPane(pane);
    QVERIFY(!m_ed->isUndoAvailable());
    QVERIFY(!m_ed->isRedoAvailable());
    int line = -1, index = -1;
    m_ed->getCursorPosition(&line, &index);
    QCOMPARE(line, 0);
    QCOMPARE(index, 0);
    QVERIFY(!m_ed->hasSelectedText());
    QCOMPARE(m_ed->firstVisibleLine(), 0);
    QCOMPARE(send(*m_ed, QsciScintilla::SCI_GETXOFFSET), 0L);
    const QStringList kept = m_ed->lines();
    QCOMPARE(kept.size(), 291);  // ten lines typed over, the new one at the end
    QCOMPARE(kept.at(150), u"#lixyz"_s + pane.at(160).mid(10));
    QCOMPARE(kept.last(), pane.last());

    // The mirror itself is not a step that can be undone.
    QTest::keyClick(m_ed, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_ed->lines(), kept);
}

void tst_SqlEditor::mirrorKeepsTheModifiedMark_data()
{
    QTest::addColumn<bool>("operatorEdits");
    QTest::addColumn<bool>("clearedAfterwards");
    QTest::addColumn<bool>("expected");
    QTest::newRow("untouched editor stays unmodified") << false << false << false;
    QTest::newRow("edited editor stays modified") << true << false << true;
    QTest::newRow("mark cleared after the edit stays cleared") << true << true << false;
}

void tst_SqlEditor::mirrorKeepsTheModifiedMark()
{
    QFETCH(bool, operatorEdits);
    QFETCH(bool, clearedAfterwards);
    QFETCH(bool, expected);

    m_ed->mirrorPane({u"#a"_s, u"SELECT 1;"_s, u""_s});
    QVERIFY(!m_ed->isModified());
    if (operatorEdits) {
        QTest::keyClicks(m_ed, u"x"_s);
        QVERIFY(m_ed->isModified());
    }
    if (clearedAfterwards)
        m_ed->setModified(false);
    m_ed->mirrorPane({u"#a"_s, u"SELECT 1;"_s, u""_s, u"#b"_s});
    QCOMPARE(m_ed->isModified(), expected);
    m_ed->mirrorPane({u"#a"_s, u"SELECT 1;"_s, u""_s, u"#b"_s, u"SELECT 2;"_s});
    QCOMPARE(m_ed->isModified(), expected);
}

void tst_SqlEditor::operatorEditIsKeptAndNewLinesFollowIt_data()
{
    QTest::addColumn<QString>("edit");        // what the operator's edit leaves in the editor
    QTest::addColumn<QStringList>("expected"); // after the next script block, line by line
    const QStringList block = {u"#b"_s, u"SELECT 2;"_s, u""_s};
    QTest::newRow("a changed statement and a note at the end")
        << u"#a\nSELECT 1 + 41;\n\n-- fixed"_s << QStringList{u"#a"_s, u"SELECT 1 + 41;"_s, u""_s, u"-- fixed"_s} + block;
    QTest::newRow("ends in a line break") << u"#a\nSELECT 1;\n\n"_s
                                          << QStringList{u"#a"_s, u"SELECT 1;"_s, u""_s, u""_s} + block;
    QTest::newRow("everything deleted") << QString() << block;
}

void tst_SqlEditor::operatorEditIsKeptAndNewLinesFollowIt()
{
    QFETCH(QString, edit);
    QFETCH(QStringList, expected);
    QStringList pane = {u"#a"_s, u"SELECT 1;"_s, u""_s};
    m_ed->mirrorPane(pane);
    m_ed->setText(edit);  // a change that is not the mirror's, like the operator's typing
    for (const QString &line : {u"#b"_s, u"SELECT 2;"_s, u""_s}) {
        pane << line;
        m_ed->mirrorPane(pane);
    }
    QCOMPARE(m_ed->lines(), expected);  // caret, view and undo: mirrorLeavesAFreshEditor
}

void tst_SqlEditor::controlCharactersBecomeBlanksOnEveryWayIn_data()
{
    QTest::addColumn<QString>("way");
    for (const char *way : {"paste", "drop", "setText", "append", "insert", "replaceSelectedText", "key text",
                            "input method", "mirror"})
        QTest::newRow(way) << QString::fromLatin1(way);
}

void tst_SqlEditor::controlCharactersBecomeBlanksOnEveryWayIn()
{
    QFETCH(QString, way);
    // NUL first: a C-string interface would drop all that follows it.
    const QString text = QString::fromUtf16(u"a\u0000b\u0001c\u007fd\u0085e\tf", 11) + u"\nЖ end"_s;
    const QStringList expected = {u"a b c d e\tf"_s, u"Ж end"_s};
    m_ed->setFocus();
    if (way == u"paste") {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(m_ed, Qt::Key_V, Qt::ControlModifier);
    } else if (way == u"drop") {
        QMimeData data;
        data.setText(text);
        const QPoint at(2, 2);  // the start of the first line
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_ed->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_ed->viewport(), &drop);
    } else if (way == u"setText") {
        m_ed->setText(text);
    } else if (way == u"append") {
        m_ed->append(text);
    } else if (way == u"insert") {
        m_ed->insert(text);
    } else if (way == u"replaceSelectedText") {
        m_ed->replaceSelectedText(text);
    } else if (way == u"key text") {
        QTest::sendKeyEvent(QTest::Press, m_ed, Qt::Key_unknown, text, Qt::NoModifier);
    } else if (way == u"input method") {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(m_ed, &commit);
    } else {
        m_ed->mirrorPane(text.split(u'\n'));
    }
    QCOMPARE(m_ed->lines(), expected);
    QCOMPARE(m_ed->text(), expected.join(u'\n'));
}

void tst_SqlEditor::tailAppendAndFullReplaceAgree_data()
{
    QTest::addColumn<QList<QStringList>>("steps");
    const QStringList block1 = {u"#npc  Торговец"_s, u"INSERT INTO `npc` VALUES (1,'a');"_s, u""_s};
    const QStringList block2 = {u"#buylist  57"_s, u"INSERT INTO `merchant_buylists` VALUES (57);"_s, u""_s};

    QList<QStringList> lineByLine{{}};
    for (const QString &l : block1 + block2)
        lineByLine.append(lineByLine.last() + QStringList{l});
    QTest::newRow("two script blocks line by line") << lineByLine;
    QTest::newRow("empty pane, then one empty line, then text")
        << QList<QStringList>{{}, {u""_s}, {u""_s, u""_s}, {u""_s, u""_s, u"x"_s}};
    QTest::newRow("several lines at once") << QList<QStringList>{block1, block1 + block2};
    QTest::newRow("same pane twice") << QList<QStringList>{block1, block1};
    QTest::newRow("pane that shrinks") << QList<QStringList>{block1 + block2, block2};
    QTest::newRow("pane whose last line changed")
        << QList<QStringList>{{u"a"_s, u"b"_s}, {u"a"_s, u"c"_s, u"d"_s}};
    QTest::newRow("blank-only and tab lines") << QList<QStringList>{{u"  "_s}, {u"  "_s, u"\t"_s, u"a  "_s}};
}

void tst_SqlEditor::tailAppendAndFullReplaceAgree()
{
    QFETCH(QList<QStringList>, steps);

    SqlEditor replaced;
    for (const QStringList &pane : steps) {
        m_ed->mirrorPane(pane);
        replaced.mirrorPane({u"something else entirely"_s});
        replaced.mirrorPane(pane);
        QCOMPARE(m_ed->text(), pane.join(u'\n'));
        QCOMPARE(replaced.text(), m_ed->text());
        QCOMPARE(m_ed->lines(), pane.isEmpty() ? QStringList{QString()} : pane);
        QVERIFY(!m_ed->isUndoAvailable());
    }
}

void tst_SqlEditor::linesSplitAtEveryLineEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty editor is one empty line") << QString() << QStringList{QString()};
    QTest::newRow("LF") << u"a\nb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("CR LF and CR") << u"a\r\nb\rc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("line end last gives an empty last line") << u"a\n"_s << QStringList{u"a"_s, u""_s};
    QTest::newRow("LF CR is two line ends") << u"a\n\rb"_s << QStringList{u"a"_s, u""_s, u"b"_s};
    QTest::newRow("blanks and tabs kept") << u" a \t\n\t"_s << QStringList{u" a \t"_s, u"\t"_s};
}

void tst_SqlEditor::linesSplitAtEveryLineEnd()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    m_ed->setText(text);
    QCOMPARE(m_ed->lines(), expected);
    QCOMPARE(int(send(*m_ed, QsciScintilla::SCI_GETLINECOUNT)), int(expected.size()));
}

using Runs = QList<std::pair<QStringList, int>>;

void tst_SqlEditor::severalRunsGoAsOneByOne_data()
{
    QTest::addColumn<QString>("edit"); // the operator's text over the mirrored blocks; empty: none
    QTest::addColumn<Runs>("runs");    // as the script gives them: from its last block to its first
    QTest::addColumn<QList<qsizetype>>("kept");
    const QStringList a{u"#a"_s, u"SELECT 1;"_s, u""_s}, b{u"#b"_s, u"SELECT 2;"_s, u""_s}, c{u"#c"_s, u"SELECT 3;"_s, u""_s};
    QTest::newRow("the second of two like blocks, and the last") << QString() << Runs{{c, 0}, {a, 1}} << QList<qsizetype>{};
    QTest::newRow("the first of two like blocks") << QString() << Runs{{a, 0}} << QList<qsizetype>{};
    QTest::newRow("all of them") << QString() << Runs{{c, 0}, {a, 1}, {b, 0}, {a, 0}} << QList<qsizetype>{};
    QTest::newRow("the operator's lines around them")
        << u"-- mine\n#a\nSELECT 1;\n\n-- between\n#b\nSELECT 2;\n\n#a\nSELECT 1;\n\n#c\nSELECT 3;\n\n-- end"_s
        << Runs{{c, 0}, {a, 1}, {b, 0}, {a, 0}} << QList<qsizetype>{};
    QTest::newRow("a block the operator changed stays")
        << u"#a\nSELECT 1;\n\n#b\nSELECT 2 + 0;\n\n#a\nSELECT 1;\n\n#c\nSELECT 3;\n"_s
        << Runs{{c, 0}, {b, 0}, {a, 0}} << QList<qsizetype>{1};
}

void tst_SqlEditor::severalRunsGoAsOneByOne()
{
    QFETCH(QString, edit);
    QFETCH(Runs, runs);
    QFETCH(QList<qsizetype>, kept);
    const QStringList pane = {u"#a"_s, u"SELECT 1;"_s, u""_s, u"#b"_s, u"SELECT 2;"_s, u""_s,
                              u"#a"_s, u"SELECT 1;"_s, u""_s, u"#c"_s, u"SELECT 3;"_s, u""_s};
    SqlEditor oneByOne;
    for (SqlEditor *editor : {m_ed, &oneByOne}) {
        editor->mirrorPane(pane);
        if (!edit.isEmpty())
            editor->setText(edit);
    }
    QList<qsizetype> keptOneByOne;
    for (qsizetype r = 0; r < runs.size(); ++r)
        if (!oneByOne.replaceMirroredRun(runs.at(r).first, {}, runs.at(r).second, {}))
            keptOneByOne.append(r);
    QCOMPARE(m_ed->removeMirroredRuns(runs, {}), kept);
    QCOMPARE(keptOneByOne, kept);
    QCOMPARE(m_ed->text(), oneByOne.text());
    QVERIFY(!m_ed->isUndoAvailable());
}

void tst_SqlEditor::enhancedEndKey()
{
    m_ed->mirrorPane({u"SELECT 1;   "_s, u"x"_s});
    m_ed->setCursorPosition(0, 0);
    QTest::keyClick(m_ed, Qt::Key_End);
    QCOMPARE(caretPos(*m_ed), 9);   // after the last non-blank
    QTest::keyClick(m_ed, Qt::Key_End);
    QCOMPARE(caretPos(*m_ed), 12);  // the line's end
    QTest::keyClick(m_ed, Qt::Key_End);
    QCOMPARE(caretPos(*m_ed), 9);

    m_ed->setCursorPosition(0, 2);
    QTest::keyClick(m_ed, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(m_ed->selectedText(), u"LECT 1;"_s);
    QTest::keyClick(m_ed, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(m_ed->selectedText(), u"LECT 1;   "_s);

    m_ed->setCursorPosition(1, 0);
    QTest::keyClick(m_ed, Qt::Key_End);
    QCOMPARE(caretPos(*m_ed), 14);
}

void tst_SqlEditor::smartTabFollowsTheLineAbove()
{
    m_ed->mirrorPane({u"INSERT INTO   `npc`"_s, u""_s, u""_s});
    m_ed->setCursorPosition(2, 0);
    QTest::keyClick(m_ed, Qt::Key_Tab);
    QCOMPARE(m_ed->lines().at(2), u"       "_s);  // under INTO (the empty line is skipped)
    QTest::keyClick(m_ed, Qt::Key_Tab);
    QCOMPARE(m_ed->lines().at(2), QString(14, u' '));  // under `npc`
    QTest::keyClick(m_ed, Qt::Key_Tab);
    QCOMPARE(m_ed->lines().at(2), QString(16, u' '));  // nothing further above: next tab stop, in blanks
    QTest::keyClick(m_ed, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_ed->lines().at(2), QString(14, u' '));
}

void tst_SqlEditor::caretGoesPastTheLineEnd()
{
    m_ed->mirrorPane({u"ab"_s, u"abcdef"_s});
    m_ed->setCursorPosition(0, 2);
    QTest::keyClick(m_ed, Qt::Key_Right);
    QTest::keyClick(m_ed, Qt::Key_Right);
    QTest::keyClicks(m_ed, u"x"_s);
    QCOMPARE(m_ed->lines().at(0), u"ab  x"_s);
}

void tst_SqlEditor::trailingBlanksAndIndentStay()
{
    m_ed->mirrorPane({});
    QTest::keyClicks(m_ed, u"  a   "_s);
    QTest::keyClick(m_ed, Qt::Key_Return);
    QTest::keyClicks(m_ed, u"b"_s);
    QCOMPARE(m_ed->lines(), (QStringList{u"  a   "_s, u"  b"_s}));
}

void tst_SqlEditor::draggingTheScrollBarHintsTheLine()
{
    QStringList pane;
    for (int i = 0; i < 500; ++i)
        pane << u"SELECT %1;"_s.arg(i);
    m_ed->mirrorPane(pane);
    QScrollBar *bar = m_ed->verticalScrollBar();
    QVERIFY(bar->maximum() > 100);
    bar->setSliderDown(true);
    bar->setSliderPosition(99);
    QTRY_COMPARE(QToolTip::text(), u"Строка: 100"_s);
    bar->setSliderDown(false);
    QCOMPARE(m_ed->firstVisibleLine(), 99);
}

void tst_SqlEditor::changeSignalsOncePerEditAndPerMirror()
{
    QSignalSpy text(m_ed, &QsciScintilla::textChanged);
    QSignalSpy lines(m_ed, &QsciScintilla::linesChanged);

    QStringList pane = {u"#a"_s, u"SELECT 1;"_s};
    m_ed->mirrorPane(pane);
    QCOMPARE(text.size(), 1);
    QCOMPARE(lines.size(), 1);
    m_ed->mirrorPane(pane);  // nothing new
    QCOMPARE(text.size(), 1);

    QTest::keyClick(m_ed, Qt::Key_X);
    QCOMPARE(text.size(), 2);
    QCOMPARE(lines.size(), 1);
    QTest::keyClick(m_ed, Qt::Key_Return);
    QCOMPARE(text.size(), 3);
    QCOMPARE(lines.size(), 2);
    QTest::keyClick(m_ed, Qt::Key_Backspace);
    QCOMPARE(text.size(), 4);
    QCOMPARE(lines.size(), 3);
    QTest::keyClick(m_ed, Qt::Key_Right);  // no change
    QCOMPARE(text.size(), 4);

    // After the operator's edit the new line follows what the operator left.
    pane << QString();
    m_ed->mirrorPane(pane);
    QCOMPARE(text.size(), 5);
    QCOMPARE(m_ed->lines(), (QStringList{u"x#a"_s, u"SELECT 1;"_s, QString()}));
}

void tst_SqlEditor::accessibleTextAtEveryOffset_data()
{
    QTest::addColumn<QStringList>("pane");
    QTest::addColumn<QStringList>("appended");  // mirrored after the pane
    QTest::newRow("empty") << QStringList() << QStringList();
    QTest::newRow("ten characters") << QStringList{u"0123456789"_s} << QStringList();
    QTest::newRow("lines, empty ones and a tab") << QStringList{u"ab"_s, QString(), u"c\td  "_s, QString()}
                                                 << QStringList();
    QTest::newRow("Cyrillic") << QStringList{u"#npc  Торговец"_s, u"('Ёж',ё)"_s} << QStringList();
    QTest::newRow("block appended") << GeneratedScript.mid(0, 3) << GeneratedScript.mid(3);
}

// Every offset from the first character to the end of the text, as a screen
// reader that follows the caret asks for it.
void tst_SqlEditor::accessibleTextAtEveryOffset()
{
    QFETCH(QStringList, pane);
    QFETCH(QStringList, appended);
    m_ed->mirrorPane(pane);
    QAccessibleInterface *editor = QAccessible::queryAccessibleInterface(m_ed);
    QAccessibleTextInterface *text = editor->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), pane.join(u'\n').size());  // asked before the append
    m_ed->mirrorPane(pane + appended);
    const QString all = (pane + appended).join(u'\n');
    QCOMPARE(text->characterCount(), all.size());
    QCOMPARE(text->text(0, all.size()), all);
    QCOMPARE(editor->text(QAccessible::Value), all);

    const QRect viewport(m_ed->viewport()->mapToGlobal(QPoint(0, 0)), m_ed->viewport()->size());
    const QRect first = text->characterRect(0);
    QRect previous;
    for (int offset = 0; offset <= all.size(); ++offset) {
        const QString at = u"offset %1"_s.arg(offset);
        const QRect box = text->characterRect(offset);
        QVERIFY2(viewport.contains(box), qPrintable(at));
        // Characters stand side by side; each line starts below the last, at the left.
        if (offset > 0 && all.at(offset - 1) == u'\n')
            QVERIFY2(box.top() == previous.bottom() + 1 && box.left() == first.left(), qPrintable(at));
        else if (offset > 0)
            QVERIFY2(box.top() == previous.top() && box.left() == previous.right() + 1, qPrintable(at));
        QCOMPARE(text->offsetAtPoint(box.center()), offset);
        text->setCursorPosition(offset);
        QCOMPARE(text->cursorPosition(), offset);
        QCOMPARE(text->text(offset, offset + 1), all.mid(offset, 1));
        int start = -1;
        int end = -1;
        const QString line = text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, offset > 0 ? int(all.lastIndexOf(u'\n', offset - 1) + 1) : 0);
        QCOMPARE(line, all.mid(start, end - start));
        QVERIFY2(end == all.size() || all.at(end - 1) == u'\n', qPrintable(at));
        previous = box;
    }
    QCOMPARE(text->offsetAtPoint(viewport.bottomRight()), -1);

    QCOMPARE(text->selectionCount(), 0);
    text->setSelection(0, 1, int(all.size()));
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(text->selectionCount(), all.size() > 1 ? 1 : 0);
    QCOMPARE(text->text(start, end), m_ed->selectedText());
}

QTEST_MAIN(tst_SqlEditor)
#include "tst_sqleditor.moc"
