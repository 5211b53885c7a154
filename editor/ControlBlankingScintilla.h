#pragma once

#include "editor/QsciHeaders.h"

#include <QString>

// A QScintilla editor whose document never holds a control character other
// than tab and the line ends: whatever enters it (typed, pasted, dropped,
// composed by an input method or set by a call) has every other control
// character turned into a blank, the way the script panes treat them. Scintilla
// takes much of its text as NUL-terminated strings, so a NUL let through would
// silently cut everything after it; the text is also read back with its full
// length (documentText), never up to a NUL.
class ControlBlankingScintilla : public QsciScintilla
{
    Q_OBJECT

public:
    using QsciScintilla::QsciScintilla;

    // The whole document, read with its length.
    QString documentText() const;

    void setText(const QString &text) override;
    void append(const QString &text) override;
    void insert(const QString &text) override;
    void insertAt(const QString &text, int line, int index) override;
    void replaceSelectedText(const QString &text) override;

protected:
    // Paste, middle-click paste and drop all take their text from here.
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
};
