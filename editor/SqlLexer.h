#pragma once

#include "editor/SqlTokenizer.h"

#include "editor/QsciHeaders.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <string>
#include <vector>

// Colours a MySQL script in a QsciScintilla editor. The tokenizer does the
// work; this adapter styles only the range Scintilla asks for, whole lines at a
// time, and keeps each line's outgoing state as Scintilla's line state, so a
// line is styled from the state its predecessor left behind. Scintilla marks
// everything after an edit as unstyled and asks again only for what becomes
// visible, so the lines below a change are recoloured as they are shown, with
// the state carried down to them.
//
// Style numbers are the values of SqlTokenClass.
class SqlLexer : public QsciLexerCustom
{
    Q_OBJECT

public:
    // `font` is the editor font; `palette` gives the theme's colours.
    SqlLexer(const QFont &font, const QPalette &palette, QObject *parent = nullptr);

    const char *language() const override;
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    QColor defaultPaper(int style) const override;
    bool defaultEolFill(int style) const override;
    void styleText(int start, int end) override;

    static int styleOf(SqlTokenClass cls) { return int(cls); }

private:
    // The line's text as UTF-16, with the document offset of every code unit.
    void decodeLine(const char *bytes, int length);

    QFont m_font;
    QPalette m_palette;
    QString m_text;
    std::vector<int> m_offsets;
    std::vector<SqlToken> m_tokens;
    std::string m_styles;
};
