#include "editor/SqlLexer.h"

#include "editor/QsciHeaders.h"

#include <algorithm>

namespace {

QColor fixedColor(SqlTokenClass cls, const QPalette &palette)
{
    switch (cls) {
    case SqlTokenClass::Comment: return QColor(192, 192, 192);           // silver
    case SqlTokenClass::DataType: return QColor(0, 255, 255);            // aqua
    case SqlTokenClass::Function: return QColor(255, 0, 0);              // red
    case SqlTokenClass::Identifier: return QColor(0, 0, 128);            // navy
    case SqlTokenClass::Number: return QColor(166, 202, 240);            // sky blue
    // The caption colour of an inactive window: the theme's muted dark shade.
    case SqlTokenClass::ReservedWord: return palette.color(QPalette::Active, QPalette::Dark);
    // The hot-light colour: the theme's hyperlink colour.
    case SqlTokenClass::String: return palette.color(QPalette::Active, QPalette::Link);
    case SqlTokenClass::ConditionalComment:
    case SqlTokenClass::DelimitedIdentifier:
    case SqlTokenClass::Space:
    case SqlTokenClass::Symbol: break;
    }
    return palette.color(QPalette::Active, QPalette::Text);
}

bool isValidStyle(int style) { return style >= 0 && style < SqlTokenClassCount; }

} // namespace

SqlLexer::SqlLexer(const QFont &font, const QPalette &palette, QObject *parent)
    : QsciLexerCustom(parent), m_font(font), m_palette(palette)
{
}

const char *SqlLexer::language() const
{
    return "MySQL";
}

QString SqlLexer::description(int style) const
{
    if (!isValidStyle(style))
        return {};
    switch (SqlTokenClass(style)) {
    case SqlTokenClass::Space: return QStringLiteral("Space");
    case SqlTokenClass::Comment: return QStringLiteral("Comment");
    case SqlTokenClass::ConditionalComment: return QStringLiteral("Conditional comment");
    case SqlTokenClass::DataType: return QStringLiteral("Data type");
    case SqlTokenClass::DelimitedIdentifier: return QStringLiteral("Delimited identifier");
    case SqlTokenClass::Function: return QStringLiteral("Function");
    case SqlTokenClass::Identifier: return QStringLiteral("Identifier");
    case SqlTokenClass::ReservedWord: return QStringLiteral("Reserved word");
    case SqlTokenClass::Number: return QStringLiteral("Number");
    case SqlTokenClass::String: return QStringLiteral("String");
    case SqlTokenClass::Symbol: return QStringLiteral("Symbol");
    }
    return {};
}

QColor SqlLexer::defaultColor(int style) const
{
    if (!isValidStyle(style))
        return m_palette.color(QPalette::Active, QPalette::Text);
    return fixedColor(SqlTokenClass(style), m_palette);
}

QFont SqlLexer::defaultFont(int style) const
{
    QFont f = m_font;
    if (!isValidStyle(style))
        return f;
    switch (SqlTokenClass(style)) {
    case SqlTokenClass::DataType:
    case SqlTokenClass::Function:
    case SqlTokenClass::ReservedWord: f.setBold(true); break;
    case SqlTokenClass::Comment:
    case SqlTokenClass::ConditionalComment: f.setItalic(true); break;
    default: break;
    }
    return f;
}

QColor SqlLexer::defaultPaper(int) const
{
    return m_palette.color(QPalette::Active, QPalette::Base);
}

bool SqlLexer::defaultEolFill(int) const
{
    return false;
}

void SqlLexer::decodeLine(const char *bytes, int length)
{
    // Scintilla holds UTF-8; a byte that does not start a valid sequence
    // counts as one character of its own, so offsets always stay in step.
    m_text.resize(0);
    m_offsets.clear();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    int i = 0;
    while (i < length) {
        const unsigned char b = p[i];
        char32_t cp = 0xFFFD;
        int n = 1;
        if (b < 0x80) {
            cp = b;
        } else {
            const int need = (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3
                           : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
            if (need > 0 && i + need <= length) {
                char32_t v = b & (0x7F >> need);
                bool ok = true;
                for (int k = 1; k < need && ok; ++k) {
                    ok = (p[i + k] & 0xC0) == 0x80;
                    v = (v << 6) | (p[i + k] & 0x3F);
                }
                if (ok) {
                    cp = v;
                    n = need;
                }
            }
        }
        if (cp >= 0x10000) {
            m_text.append(QChar::highSurrogate(cp));
            m_text.append(QChar::lowSurrogate(cp));
            m_offsets.push_back(i);
            m_offsets.push_back(i + n);  // a token never ends between the two halves
        } else {
            m_text.append(QChar(char16_t(cp)));
            m_offsets.push_back(i);
        }
        i += n;
    }
    m_offsets.push_back(length);
}

void SqlLexer::styleText(int start, int end)
{
    QsciScintilla *ed = editor();
    if (!ed || end <= start)
        return;
    const long firstLine = ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, long(start));
    const long lastLine = ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, long(end - 1));
    SqlState state = firstLine > 0
        ? sqlStateFromInt(int(ed->SendScintilla(QsciScintilla::SCI_GETLINESTATE, firstLine - 1)))
        : SqlState::Normal;

    const long from = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, firstLine);
    const long lineCount = ed->SendScintilla(QsciScintilla::SCI_GETLINECOUNT);
    const long to = lastLine + 1 < lineCount ? ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, lastLine + 1)
                                             : ed->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    // One contiguous view of the lines; Scintilla moves its gap out of the range if needed.
    const auto *text = reinterpret_cast<const char *>(
        ed->SendScintilla(QsciScintilla::SCI_GETRANGEPOINTER, (unsigned long)from, long(to - from)));
    if (!text)
        return;

    // The styles of the whole range go to Scintilla in one message.
    m_styles.assign(std::size_t(to - from), char(styleOf(SqlTokenClass::Space)));
    for (long line = firstLine; line <= lastLine; ++line) {
        const long lineStart = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line);
        const long lineEnd = ed->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, line);
        decodeLine(text + (lineStart - from), int(lineEnd - lineStart));
        state = tokenizeSqlLine(m_text, state, m_tokens);
        char *styles = m_styles.data() + (lineStart - from);
        for (const SqlToken &t : m_tokens) {
            const int first = m_offsets[std::size_t(t.start)];
            const int last = m_offsets[std::size_t(t.start + t.length)];
            std::fill(styles + first, styles + last, char(styleOf(t.cls)));
        }
        ed->SendScintilla(QsciScintilla::SCI_SETLINESTATE, (unsigned long)line, long(state));
    }
    startStyling(int(from));
    ed->SendScintilla(QsciScintilla::SCI_SETSTYLINGEX, (unsigned long)m_styles.size(), m_styles.data());
}
