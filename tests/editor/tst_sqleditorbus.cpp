#include "editor/SqlEditor.h"

#include <QAccessible>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// What assistive tools were told about the text, one line per event.
QStringList toldOfText;

void noteTextEvent(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::TextInserted) {
        const auto *inserted = static_cast<QAccessibleTextInsertEvent *>(event);
        toldOfText << u"+%1 %2"_s.arg(inserted->changePosition()).arg(inserted->textInserted());
    } else if (event->type() == QAccessible::TextRemoved) {
        const auto *removed = static_cast<QAccessibleTextRemoveEvent *>(event);
        toldOfText << u"-%1 %2"_s.arg(removed->changePosition()).arg(removed->textRemoved());
    } else if (event->type() == QAccessible::TextCaretMoved) {
        const QString caret = u"caret %1"_s.arg(static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
        if (toldOfText.isEmpty() || toldOfText.last() != caret)
            toldOfText << caret;
    }
}

} // namespace

// Runs on the accessibility bus (tests/editor/on-accessibility-bus.sh).
class tst_SqlEditorBus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changesAndCaretAreToldInCharacters()
    {
        SqlEditor editor;
        editor.resize(825, 417);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QTRY_VERIFY(QAccessible::isActive());
        QAccessible::installUpdateHandler(noteTextEvent);
        // Scintilla tells of caret moves when it paints.
        const auto painted = [&] { editor.viewport()->repaint(); };
        editor.mirrorPane({u"Ёж"_s});
        QTest::keyClick(&editor, Qt::Key_End);
        painted();
        QTest::sendKeyEvent(QTest::Click, &editor, Qt::Key_unknown, u"ы"_s, Qt::NoModifier);
        painted();
        QTest::keyClick(&editor, Qt::Key_Backspace);
        painted();
        editor.mirrorPane({u"Ёж"_s, u"x"_s});
        painted();
        QAccessible::installUpdateHandler(nullptr);
        QCOMPARE(toldOfText, (QStringList{u"+0 Ёж"_s, u"caret 2"_s, u"+2 ы"_s, u"caret 3"_s, u"-2 ы"_s,
                                          u"caret 2"_s, u"+2 \nx"_s, u"caret 0"_s}));
    }
};

QTEST_MAIN(tst_SqlEditorBus)
#include "tst_sqleditorbus.moc"
