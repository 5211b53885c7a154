#include "app/TextPane.h"

#include "app/ScriptText.h"

#include <QScrollBar>

using namespace Qt::StringLiterals;

TextPane::TextPane(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    QFont font(u"Times New Roman"_s);
    font.setPixelSize(12);
    setFont(font);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::black);
        pal.setColor(group, QPalette::Text, QColor(0, 255, 0));
    }
    setPalette(pal);
}

void TextPane::appendLine(const QString &line)
{
    const QString text = ScriptText::oneLine(line);
    m_lines.append(text);
    appendPlainText(text);
    Q_EMIT linesChanged();
}

void TextPane::clearLines()
{
    m_lines.clear();
    clear();
    Q_EMIT linesChanged();
}
