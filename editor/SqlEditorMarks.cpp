#include "editor/SqlEditor.h"

#include <QColor>
#include <QMap>

#include <algorithm>

namespace {

// Marker numbers and annotation styles of the line marks, one per kind, well
// clear of the lexer's styles and of the fold markers (25 to 31).
constexpr int firstMarker = 20;
constexpr int firstStyle = 200;
constexpr int markMargin = 1;

long colourRef(const QColor &c)
{
    return long(c.red()) | (long(c.green()) << 8) | (long(c.blue()) << 16);
}

struct KindLook
{
    QsciScintilla::MarkerSymbol symbol;
    QColor marker;
    QColor text;
    QColor paper;
};

// Shapes differ as well as colours: a circle for an error, a triangle for a warning, a dash for a note.
KindLook lookOf(SqlEditor::LineMarkKind kind)
{
    switch (kind) {
    case SqlEditor::LineMarkKind::Error:
        return {QsciScintilla::Circle, QColor(200, 0, 0), QColor(140, 0, 0), QColor(255, 228, 228)};
    case SqlEditor::LineMarkKind::Warning:
        return {QsciScintilla::RightTriangle, QColor(220, 140, 0), QColor(110, 70, 0), QColor(255, 244, 205)};
    case SqlEditor::LineMarkKind::Note:
        break;
    }
    return {QsciScintilla::Minus, QColor(110, 110, 110), QColor(80, 80, 80), QColor(236, 236, 236)};
}

} // namespace

void SqlEditor::setLineMarks(const QList<LineMark> &marks)
{
    clearLineMarks();
    if (!m_lineMarksWatchText) {
        // Any change of the text makes the marks stale.
        connect(this, &QsciScintilla::textChanged, this, [this] {
            if (m_hasLineMarks)
                clearLineMarks();
        });
        m_lineMarksWatchText = true;
    }
    if (marks.isEmpty())
        return;

    for (int k = 0; k < 3; ++k) {
        const KindLook look = lookOf(LineMarkKind(k));
        markerDefine(look.symbol, firstMarker + k);
        setMarkerForegroundColor(look.marker.darker(130), firstMarker + k);
        setMarkerBackgroundColor(look.marker, firstMarker + k);
        const unsigned long style = firstStyle + k;
        SendScintilla(SCI_STYLESETFORE, style, colourRef(look.text));
        SendScintilla(SCI_STYLESETBACK, style, colourRef(look.paper));
        SendScintilla(SCI_STYLESETBOLD, style, 0L);
    }
    setMarginType(markMargin, SymbolMargin);
    setMarginMarkerMask(markMargin, 0x7 << firstMarker);
    setMarginWidth(markMargin, 14);
    SendScintilla(SCI_ANNOTATIONSETVISIBLE, (unsigned long)ANNOTATION_BOXED);

    // Per line: its texts in the order given, each in its kind's style, and
    // one margin symbol, that of the gravest kind on the line.
    struct LineText
    {
        QByteArray text;
        QByteArray styles;  // one style number per byte of text
        int gravest = 2;
    };
    QMap<int, LineText> byLine;
    const int lineCount = int(SendScintilla(SCI_GETLINECOUNT));
    for (const LineMark &m : marks) {
        const int line = std::clamp(m.line, 0, std::max(0, lineCount - 1));
        LineText &t = byLine[line];
        const char style = char(firstStyle + int(m.kind));
        if (!t.text.isEmpty()) {
            t.text += '\n';
            t.styles += style;
        }
        const QByteArray bytes = m.text.toUtf8();
        t.text += bytes;
        t.styles += QByteArray(bytes.size(), style);
        t.gravest = std::min(t.gravest, int(m.kind));
    }
    for (auto it = byLine.cbegin(); it != byLine.cend(); ++it) {
        markerAdd(it.key(), firstMarker + it.value().gravest);
        SendScintilla(SCI_ANNOTATIONSETTEXT, (unsigned long)it.key(), it.value().text.constData());
        SendScintilla(SCI_ANNOTATIONSETSTYLES, (unsigned long)it.key(), it.value().styles.constData());
    }
    m_hasLineMarks = true;

    // The first finding at the top of the view, a line of context above it.
    const int first = byLine.firstKey();
    setCursorPosition(first, 0);
    const long visible = SendScintilla(SCI_VISIBLEFROMDOCLINE, (unsigned long)std::max(0, first - 1));
    SendScintilla(SCI_SETFIRSTVISIBLELINE, (unsigned long)visible);
}

void SqlEditor::clearLineMarks()
{
    if (!m_hasLineMarks)
        return;
    m_hasLineMarks = false;
    SendScintilla(SCI_ANNOTATIONCLEARALL);
    for (int k = 0; k < 3; ++k)
        markerDeleteAll(firstMarker + k);
    setMarginWidth(markMargin, 0);
}
