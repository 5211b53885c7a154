#include "editor/SqlEditor.h"

#include "base/ScriptText.h"
#include "editor/SqlEditorAccessible.h"
#include "editor/SqlLexer.h"

#include <QCursor>
#include <QFont>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TabWidth = 8;
const QColor MoneyGreen(192, 220, 192);

// Scintilla takes font sizes in points only, so the pixel height is turned
// into points at the widget's resolution.
QFont courierNew(int pixelSize, const QWidget &widget)
{
    QFont f(u"Courier New"_s);
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(pixelSize * 72.0 / widget.logicalDpiY());
    return f;
}

bool isBlankChar(QChar c) { return c == u' ' || c == u'\t'; }

// Mirrored lines come from the panes, which already blank control characters;
// this keeps the editor safe for any caller.
QByteArray blankedUtf8(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    const QByteArray blanked = ScriptText::blankControlsUtf8(bytes);
    return blanked.isNull() ? bytes : blanked;
}

} // namespace

SqlEditor::SqlEditor(QWidget *parent)
    : ControlBlankingScintilla(parent)
{
    setUtf8(true);
    setEolMode(EolUnix);

    m_lexer = new SqlLexer(courierNew(13, *this), palette(), this);
    setLexer(m_lexer);

    // The gutter: line numbers in an 11 pixel Courier New.
    setMarginsFont(courierNew(11, *this));
    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    setMarginWidth(0, u"000000"_s);
    setMarginWidth(1, 0);
    setMarginWidth(2, 0);

    setCaretLineVisible(true);
    setCaretLineBackgroundColor(MoneyGreen);
    SendScintilla(SCI_SETCARETLINEVISIBLEALWAYS, 1UL);  // marked also while another control has the focus

    setAutoIndent(true);
    setIndentationsUseTabs(false);  // Tab types blanks
    setTabWidth(TabWidth);          // tabs already in the text are expanded on screen only
    setTabIndents(true);
    setBackspaceUnindents(true);    // smart tab deletion
    setWrapMode(WrapNone);
    setBraceMatching(NoBraceMatch);
    setAutoCompletionSource(AcsNone);
    // The caret may move past the end of a line; typing there fills the gap with blanks.
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, (unsigned long)(SCVS_USERACCESSIBLE | SCVS_RECTANGULARSELECTION));
    // Scrolling stops when the last line reaches the bottom of the view.
    SendScintilla(SCI_SETENDATLASTLINE, 1UL);
    // Change notices: only the ones sent before a change. QScintilla's accessibility
    // support answers each notice of a done insertion or deletion by counting the
    // characters from the start of the document up to it, which made every key typed
    // near the end of a long script cost the whole script. textChanged and
    // linesChanged are emitted here instead, once the event that made the change
    // has been handled.
    SendScintilla(SCI_SETMODEVENTMASK, (unsigned long)(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char *, int, int, int, int, int, int, int) {
                if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))
                    noteTextChange();
            });

    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, &SqlEditor::showScrollHint);
    makeSqlEditorAccessible(this);
}

void SqlEditor::mirrorPane(const QStringList &paneLines)
{
    const bool wasModified = isModified();
    const qsizetype count = paneLines.size();
    const bool tailOnly = count >= m_mirroredCount
        && (m_mirroredCount == 0 || paneLines.at(m_mirroredCount - 1) == m_lastMirroredLine);

    flushTextChanged();
    const long linesBefore = SendScintilla(SCI_GETLINECOUNT);
    m_mirroring = true;
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    bool changed = false;
    if (tailOnly) {
        if (count > m_mirroredCount) {
            // An edited editor may end anywhere; the new lines start on a line of their own.
            const bool separate = m_mirrorIntact ? m_mirroredCount > 0 : SendScintilla(SCI_GETLENGTH) > 0;
            QString tail;
            for (qsizetype i = m_mirroredCount; i < count; ++i) {
                if (i > m_mirroredCount || separate)
                    tail += u'\n';
                tail += paneLines.at(i);
            }
            const QByteArray bytes = blankedUtf8(tail);
            SendScintilla(SCI_APPENDTEXT, (unsigned long)bytes.size(), bytes.constData());
            changed = !bytes.isEmpty();
        }
    } else {
        const QByteArray bytes = blankedUtf8(paneLines.join(u'\n'));
        SendScintilla(SCI_CLEARALL);
        // Room to grow, so that the appends that follow do not move the whole text.
        SendScintilla(SCI_ALLOCATE, (unsigned long)(bytes.size() + bytes.size() / 2 + 65536));
        SendScintilla(SCI_APPENDTEXT, (unsigned long)bytes.size(), bytes.constData());
        changed = true;
    }
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_SETSAVEPOINT);
    m_keptModified = wasModified;

    SendScintilla(SCI_GOTOPOS, 0UL);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, 0UL);
    SendScintilla(SCI_SETXOFFSET, 0UL);

    m_mirrorIntact = m_mirrorIntact || !tailOnly;
    m_mirroredCount = count;
    m_lastMirroredLine = count > 0 ? paneLines.last() : QString();
    m_mirroring = false;
    if (changed) {
        Q_EMIT textChanged();
        if (SendScintilla(SCI_GETLINECOUNT) != linesBefore)
            Q_EMIT linesChanged();
    }
}

QStringList SqlEditor::lines() const
{
    return ScriptText::splitLines(documentText());
}

bool SqlEditor::isModified() const
{
    return m_keptModified || QsciScintilla::isModified();
}

void SqlEditor::setModified(bool modified)
{
    if (modified) {
        m_keptModified = true;
    } else {
        m_keptModified = false;
        QsciScintilla::setModified(false);
    }
}

void SqlEditor::noteTextChange()
{
    if (m_mirroring)
        return;
    m_mirrorIntact = false;
    if (!m_changePending) {
        m_changePending = true;
        m_linesBeforeChange = SendScintilla(SCI_GETLINECOUNT);
    }
}

void SqlEditor::flushTextChanged()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    Q_EMIT textChanged();
    if (SendScintilla(SCI_GETLINECOUNT) != m_linesBeforeChange)
        Q_EMIT linesChanged();
}

bool SqlEditor::event(QEvent *event)
{
    const bool handled = QsciScintilla::event(event);
    flushTextChanged();
    return handled;
}

bool SqlEditor::viewportEvent(QEvent *event)
{
    const bool handled = QsciScintilla::viewportEvent(event);
    flushTextChanged();
    return handled;
}

void SqlEditor::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_End && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)
        && enhancedEnd(mods == Qt::ShiftModifier)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Tab && mods == Qt::NoModifier && !isReadOnly() && smartTab()) {
        event->accept();
        return;
    }
    ControlBlankingScintilla::keyPressEvent(event);
}

bool SqlEditor::enhancedEnd(bool extend)
{
    if (SendScintilla(SCI_GETSELECTIONS) != 1)
        return false;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long virtualSpace = SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0UL);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)caret);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, (unsigned long)line);
    const long lineEnd = SendScintilla(SCI_GETLINEENDPOSITION, (unsigned long)line);
    long lastNonBlank = lineEnd;
    while (lastNonBlank > lineStart) {
        const int c = int(SendScintilla(SCI_GETCHARAT, (unsigned long)(lastNonBlank - 1)));
        if (c != ' ' && c != '\t')
            break;
        --lastNonBlank;
    }
    const long target = (caret == lastNonBlank && virtualSpace == 0) ? lineEnd : lastNonBlank;
    if (extend) {
        SendScintilla(SCI_SETCURRENTPOS, (unsigned long)target);
        SendScintilla(SCI_SETSELECTIONNCARETVIRTUALSPACE, 0UL, 0L);
        SendScintilla(SCI_SCROLLCARET);
    } else {
        SendScintilla(SCI_GOTOPOS, (unsigned long)target);
    }
    SendScintilla(SCI_CHOOSECARETX);
    return true;
}

bool SqlEditor::smartTab()
{
    if (SendScintilla(SCI_GETSELECTIONS) != 1 || !SendScintilla(SCI_GETSELECTIONEMPTY))
        return false;
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)caret);
    const long column = SendScintilla(SCI_GETCOLUMN, (unsigned long)caret)
        + SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0UL);

    QString above;
    for (long l = line - 1; l >= 0 && above.trimmed().isEmpty(); --l)
        above = text(int(l));
    if (above.trimmed().isEmpty())
        return false;

    // Columns as shown: a tab reaches the next multiple of the tab width.
    long col = 0;
    bool passedBlank = false;
    long target = -1;
    for (const QChar c : std::as_const(above)) {
        if (c == u'\r' || c == u'\n')
            break;
        if (col >= column) {
            if (isBlankChar(c)) {
                passedBlank = true;
            } else if (passedBlank) {
                target = col;
                break;
            }
        }
        col = c == u'\t' ? (col / TabWidth + 1) * TabWidth : col + 1;
    }
    if (target <= column)
        return false;

    const long virtualSpace = SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0UL);
    const QByteArray blanks(int(virtualSpace + target - column), ' ');
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_INSERTTEXT, (unsigned long)caret, blanks.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_GOTOPOS, (unsigned long)(caret + blanks.size()));
    SendScintilla(SCI_CHOOSECARETX);
    return true;
}

void SqlEditor::showScrollHint(int value)
{
    const long firstLine = SendScintilla(SCI_DOCLINEFROMVISIBLE, (unsigned long)value);
    QToolTip::showText(QCursor::pos(), u"Строка: %1"_s.arg(firstLine + 1), this);
}
