#include "editor/SqlEditorAccessible.h"

#include "base/ScriptText.h"
#include "editor/SqlEditor.h"

#include <QAccessibleWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr long Utf16Index = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16;

// The editor as assistive tools see it. QScintilla's own interface is not
// used: it reads a character's extents at the position of the first
// character whatever the offset, and at the end of the text it asks for a
// reversed range, which writes outside its buffer and ends the program.
//
// Offsets count UTF-16 units; Scintilla's positions count UTF-8 bytes.
// Scintilla's UTF-16 line index, kept from the first question on, turns one
// into the other at the cost of one line, however long the script.
class SqlEditorAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface
{
public:
    explicit SqlEditorAccessible(SqlEditor *editor);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;

    int characterCount() const override;
    QString text(int startOffset, int endOffset) const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    int selectionCount() const override;
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

    // Events for assistive tools, sent only while one listens
    // (makeSqlEditorAccessible).
    void announceCaret();
    void announceSelection();
    // Scintilla is about to change the text: kept until the change is done.
    void noteChange(int position, int type, int length);
    void announceChanges();

private:
    struct Change
    {
        bool inserted;
        int offset;
        QString text;
        // An insertion's bytes, read once they are in: the notice that comes
        // before it does not carry them.
        long position = 0;
        long bytes = 0;
    };

    SqlEditor *editor() const { return static_cast<SqlEditor *>(widget()); }
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    long length() const { return send(QsciScintillaBase::SCI_GETLENGTH); }
    long lineCount() const { return send(QsciScintillaBase::SCI_GETLINECOUNT); }
    long lineStartOffset(long line) const;
    long lineStart(long line) const;
    QString bytesText(long from, long to) const;

    int offsetOf(long position) const;
    // The position of the character that holds the offset (taken into the
    // text); into: how many UTF-16 units of that character lie before the
    // offset, 1 between the halves of a surrogate pair.
    long positionOf(int offset, int *into = nullptr) const;
    // In the editor's viewport.
    QRect characterBox(long position) const;
    QRect caretBox(long position) const;
    // The line (with its line end) of the offset, moved by lineStep lines.
    QString lineAround(int offset, long lineStep, int *startOffset, int *endOffset) const;
    int selectionNumber(int selectionIndex) const;
    // The last change noted is done; an insertion's text can be read.
    void readLastInsertion();

    mutable bool m_indexed = false;
    std::vector<Change> m_changes;
};

SqlEditorAccessible::SqlEditorAccessible(SqlEditor *editor)
    : QAccessibleWidget(editor, QAccessible::EditableText)
{
}

void *SqlEditorAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State SqlEditorAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.selectableText = true;
    state.readOnly = editor()->isReadOnly();
    state.editable = !state.readOnly;
    return state;
}

QString SqlEditorAccessible::text(QAccessible::Text type) const
{
    return type == QAccessible::Value ? editor()->documentText() : QAccessibleWidget::text(type);
}

long SqlEditorAccessible::send(unsigned int message, unsigned long wParam, long lParam) const
{
    // The index stays with the document once made: this interface goes
    // only when the editor does, whose Scintilla part is gone by then.
    if (!m_indexed) {
        m_indexed = true;
        if (!(editor()->SendScintilla(QsciScintillaBase::SCI_GETLINECHARACTERINDEX) & Utf16Index))
            editor()->SendScintilla(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, (unsigned long)Utf16Index);
    }
    return editor()->SendScintilla(message, wParam, lParam);
}

long SqlEditorAccessible::lineStartOffset(long line) const
{
    // One past the last line gives the number of UTF-16 units in the text.
    return send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, (unsigned long)line, Utf16Index);
}

long SqlEditorAccessible::lineStart(long line) const
{
    return line < lineCount() ? send(QsciScintillaBase::SCI_POSITIONFROMLINE, (unsigned long)line) : length();
}

QString SqlEditorAccessible::bytesText(long from, long to) const
{
    if (to <= from)
        return {};
    // A copy rather than a pointer into the document: this also runs while
    // Scintilla is about to delete the range.
    QByteArray bytes(to - from + 1, Qt::Uninitialized);
    editor()->SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, from, to, bytes.data());
    return QString::fromUtf8(bytes.constData(), to - from);
}

int SqlEditorAccessible::offsetOf(long position) const
{
    const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, (unsigned long)position);
    return int(lineStartOffset(line)
               + send(QsciScintillaBase::SCI_COUNTCODEUNITS, (unsigned long)lineStart(line), position));
}

long SqlEditorAccessible::positionOf(int offset, int *into) const
{
    offset = std::clamp(offset, 0, characterCount());
    const long line = send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, (unsigned long)offset, Utf16Index);
    const long start = lineStart(line);
    const long units = offset - lineStartOffset(line);
    long position = send(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS, (unsigned long)start, units);
    int inside = 0;
    // Scintilla answers 0 for a place between the halves of a surrogate pair.
    if (units > 0 && position == 0) {
        position = send(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS, (unsigned long)start, units - 1);
        inside = 1;
    }
    if (into)
        *into = inside;
    return position;
}

QRect SqlEditorAccessible::characterBox(long position) const
{
    const int x = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position));
    const int y = int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position));
    const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, (unsigned long)position);
    const int height = int(send(QsciScintillaBase::SCI_TEXTHEIGHT, (unsigned long)line));
    const long next = send(QsciScintillaBase::SCI_POSITIONAFTER, (unsigned long)position);
    int width = 0;
    if (position < send(QsciScintillaBase::SCI_GETLINEENDPOSITION, (unsigned long)line)
        && send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, next) == y)
        width = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, next)) - x;
    else  // a line end is shown as nothing; it gets a blank's room
        width = int(editor()->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                            (unsigned long)QsciScintillaBase::STYLE_DEFAULT, " "));
    return {x, y, std::max(width, 1), height};
}

QRect SqlEditorAccessible::caretBox(long position) const
{
    const QRect box = characterBox(position);
    return {box.topLeft(), QSize(std::max(int(send(QsciScintillaBase::SCI_GETCARETWIDTH)), 1), box.height())};
}

int SqlEditorAccessible::characterCount() const
{
    return int(lineStartOffset(lineCount()));
}

QString SqlEditorAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    startOffset = std::clamp(startOffset, 0, count);
    endOffset = std::clamp(endOffset, startOffset, count);
    if (startOffset == endOffset)
        return {};
    int startInto = 0;
    int endInto = 0;
    const long from = positionOf(startOffset, &startInto);
    long to = positionOf(endOffset, &endInto);
    if (endInto > 0)
        to = send(QsciScintillaBase::SCI_POSITIONAFTER, (unsigned long)to);
    return bytesText(from, to).mid(startInto, endOffset - startOffset);
}

QRect SqlEditorAccessible::characterRect(int offset) const
{
    const int count = characterCount();
    if (offset < 0 || offset > count)
        return {};
    // After the last character there is only the caret.
    const QRect box = offset == count ? caretBox(length()) : characterBox(positionOf(offset));
    return {editor()->viewport()->mapToGlobal(box.topLeft()), box.size()};
}

int SqlEditorAccessible::offsetAtPoint(const QPoint &point) const
{
    // Scintilla's nearest caret place, then the characters on either side of
    // it, tried against the boxes characterRect gives (Scintilla's own hit
    // test works in fractions of a pixel, the boxes in whole ones). Past the
    // last character of a line, its line end or the end of the text.
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    const long nearest = send(QsciScintillaBase::SCI_POSITIONFROMPOINT, (unsigned long)local.x(), local.y());
    const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, (unsigned long)nearest);
    const long start = lineStart(line);
    const long end = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, (unsigned long)line);
    long candidate = std::max(start, send(QsciScintillaBase::SCI_POSITIONBEFORE, (unsigned long)nearest));
    for (int tried = 0; tried < 3 && candidate <= end; ++tried) {
        const QRect box = candidate == length() ? caretBox(candidate) : characterBox(candidate);
        if (box.contains(local))
            return offsetOf(candidate);
        candidate = send(QsciScintillaBase::SCI_POSITIONAFTER, (unsigned long)candidate);
    }
    return -1;
}

int SqlEditorAccessible::cursorPosition() const
{
    return offsetOf(send(QsciScintillaBase::SCI_GETCURRENTPOS));
}

void SqlEditorAccessible::setCursorPosition(int position)
{
    send(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)positionOf(position));
}

int SqlEditorAccessible::selectionNumber(int selectionIndex) const
{
    // Empty selections (bare carets) are not selections to a tool.
    const long selections = send(QsciScintillaBase::SCI_GETSELECTIONS);
    for (long number = 0; number < selections; ++number) {
        if (send(QsciScintillaBase::SCI_GETSELECTIONNSTART, (unsigned long)number)
                != send(QsciScintillaBase::SCI_GETSELECTIONNEND, (unsigned long)number)
            && selectionIndex-- == 0)
            return int(number);
    }
    return -1;
}

int SqlEditorAccessible::selectionCount() const
{
    int count = 0;
    while (selectionNumber(count) >= 0)
        ++count;
    return count;
}

void SqlEditorAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    const int number = selectionNumber(selectionIndex);
    if (number < 0)
        return;
    *startOffset = offsetOf(send(QsciScintillaBase::SCI_GETSELECTIONNSTART, (unsigned long)number));
    *endOffset = offsetOf(send(QsciScintillaBase::SCI_GETSELECTIONNEND, (unsigned long)number));
}

void SqlEditorAccessible::addSelection(int startOffset, int endOffset)
{
    if (selectionNumber(0) < 0)
        send(QsciScintillaBase::SCI_SETSEL, (unsigned long)positionOf(startOffset), positionOf(endOffset));
    else
        send(QsciScintillaBase::SCI_ADDSELECTION, (unsigned long)positionOf(endOffset), positionOf(startOffset));
}

void SqlEditorAccessible::removeSelection(int selectionIndex)
{
    const int number = selectionNumber(selectionIndex);
    if (number < 0)
        return;
    if (send(QsciScintillaBase::SCI_GETSELECTIONS) > 1)
        send(QsciScintillaBase::SCI_DROPSELECTIONN, (unsigned long)number);
    else
        send(QsciScintillaBase::SCI_SETEMPTYSELECTION, (unsigned long)send(QsciScintillaBase::SCI_GETCURRENTPOS));
}

void SqlEditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    const int number = selectionNumber(selectionIndex);
    if (number >= 0) {
        send(QsciScintillaBase::SCI_SETSELECTIONNANCHOR, (unsigned long)number, positionOf(startOffset));
        send(QsciScintillaBase::SCI_SETSELECTIONNCARET, (unsigned long)number, positionOf(endOffset));
    } else if (selectionIndex == 0) {
        addSelection(startOffset, endOffset);
    }
}

void SqlEditorAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    send(QsciScintillaBase::SCI_SCROLLRANGE, (unsigned long)positionOf(endIndex), positionOf(startIndex));
}

QString SqlEditorAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // No attributes are told; the whole text has the same none.
    const int count = characterCount();
    const bool inside = offset >= 0 && offset <= count;
    *startOffset = inside ? 0 : -1;
    *endOffset = inside ? count : -1;
    return {};
}

QString SqlEditorAccessible::lineAround(int offset, long lineStep, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = -1;
    const int count = characterCount();
    if (offset == -1)  // by convention the end of the text
        offset = count;
    if (offset < 0 || offset > count)
        return {};
    const long line = send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, (unsigned long)offset, Utf16Index) + lineStep;
    if (line < 0 || line >= lineCount())
        return {};
    *startOffset = int(lineStartOffset(line));
    *endOffset = int(lineStartOffset(line + 1));
    return bytesText(lineStart(line), lineStart(line + 1));
}

// Lines are read from Scintilla's own line table; words, sentences and
// characters by Qt's boundary rules over the whole text.
QString SqlEditorAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                              int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary)
        return lineAround(offset, -1, startOffset, endOffset);
    return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset, endOffset);
}

QString SqlEditorAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                          int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary)
        return lineAround(offset, 0, startOffset, endOffset);
    return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
}

QString SqlEditorAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary)
        return lineAround(offset, 1, startOffset, endOffset);
    return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset, endOffset);
}

void SqlEditorAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void SqlEditorAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void SqlEditorAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    if (editor()->isReadOnly())
        return;
    if (endOffset < startOffset)
        std::swap(startOffset, endOffset);
    // A surrogate pair is replaced whole or not at all.
    int endInto = 0;
    long to = positionOf(endOffset, &endInto);
    if (endInto > 0)
        to = send(QsciScintillaBase::SCI_POSITIONAFTER, (unsigned long)to);
    const long from = positionOf(startOffset);
    // What a tool writes is blanked like every other way into the editor.
    QByteArray bytes = text.toUtf8();
    const QByteArray blanked = ScriptText::blankControlsUtf8(bytes);
    if (!blanked.isNull())
        bytes = blanked;
    send(QsciScintillaBase::SCI_SETTARGETRANGE, (unsigned long)from, to);
    editor()->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, (unsigned long)bytes.size(), bytes.constData());
}

void SqlEditorAccessible::announceCaret()
{
    QAccessibleTextCursorEvent event(editor(), cursorPosition());
    QAccessible::updateAccessibility(&event);
}

void SqlEditorAccessible::announceSelection()
{
    int start = cursorPosition();
    int end = start;
    selection(0, &start, &end);
    QAccessibleTextSelectionEvent event(editor(), start, end);
    QAccessible::updateAccessibility(&event);
}

void SqlEditorAccessible::noteChange(int position, int type, int length)
{
    readLastInsertion();
    if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT)
        m_changes.push_back({true, offsetOf(position), QString(), position, length});
    else if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE)
        m_changes.push_back({false, offsetOf(position), bytesText(position, position + length)});
}

void SqlEditorAccessible::readLastInsertion()
{
    if (m_changes.empty() || !m_changes.back().inserted || m_changes.back().bytes == 0)
        return;
    Change &last = m_changes.back();
    last.text = bytesText(last.position, last.position + last.bytes);
    last.bytes = 0;
}

void SqlEditorAccessible::announceChanges()
{
    readLastInsertion();
    // Each change's offset was taken on the text the changes before it left.
    const std::vector<Change> changes = std::exchange(m_changes, {});
    for (const Change &change : changes) {
        if (change.inserted) {
            QAccessibleTextInsertEvent event(editor(), change.offset, change.text);
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextRemoveEvent event(editor(), change.offset, change.text);
            QAccessible::updateAccessibility(&event);
        }
    }
}

QAccessibleInterface *sqlEditorInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(SqlEditor::staticMetaObject.className()) && object && object->isWidgetType())
        return new SqlEditorAccessible(static_cast<SqlEditor *>(object));
    return nullptr;
}

// The editor's interface while a tool listens, so that an editor nobody
// reads pays nothing per keystroke; made on the first question.
SqlEditorAccessible *listening(SqlEditor *editor)
{
    if (!QAccessible::isActive())
        return nullptr;
    return dynamic_cast<SqlEditorAccessible *>(QAccessible::queryAccessibleInterface(editor));
}

} // namespace

void makeSqlEditorAccessible(SqlEditor *editor)
{
    static const bool installed = [] {
        QAccessible::installFactory(sqlEditorInterface);
        return true;
    }();
    Q_UNUSED(installed);

    QObject::connect(editor, &QsciScintilla::cursorPositionChanged, editor, [editor] {
        if (SqlEditorAccessible *accessible = listening(editor))
            accessible->announceCaret();
    });
    QObject::connect(editor, &QsciScintilla::selectionChanged, editor, [editor] {
        if (SqlEditorAccessible *accessible = listening(editor))
            accessible->announceSelection();
    });
    // The editor tells of a change before Scintilla makes it, while the text
    // it removes can still be read, and once per event that changed the text.
    QObject::connect(editor, &QsciScintillaBase::SCN_MODIFIED, editor,
                     [editor](int position, int type, const char *, int length, int, int, int, int, int, int) {
                         if (SqlEditorAccessible *accessible = listening(editor))
                             accessible->noteChange(position, type, length);
                     });
    QObject::connect(editor, &QsciScintilla::textChanged, editor, [editor] {
        if (SqlEditorAccessible *accessible = listening(editor))
            accessible->announceChanges();
    });
}
