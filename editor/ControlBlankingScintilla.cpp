#include "editor/ControlBlankingScintilla.h"

#include "base/ScriptText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

using ScriptText::blankControls;

QString ControlBlankingScintilla::documentText() const
{
    const long length = SendScintilla(SCI_GETLENGTH);
    const auto *bytes = reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    return bytes ? QString::fromUtf8(bytes, length) : QString();
}

void ControlBlankingScintilla::setText(const QString &text)
{
    QsciScintilla::setText(blankControls(text));
}

void ControlBlankingScintilla::append(const QString &text)
{
    QsciScintilla::append(blankControls(text));
}

void ControlBlankingScintilla::insert(const QString &text)
{
    QsciScintilla::insert(blankControls(text));
}

void ControlBlankingScintilla::insertAt(const QString &text, int line, int index)
{
    QsciScintilla::insertAt(blankControls(text), line, index);
}

void ControlBlankingScintilla::replaceSelectedText(const QString &text)
{
    QsciScintilla::replaceSelectedText(blankControls(text));
}

QByteArray ControlBlankingScintilla::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    const QByteArray text = QsciScintilla::fromMimeData(source, rectangular);
    const QByteArray blanked = ScriptText::blankControlsUtf8(text);
    return blanked.isNull() ? text : blanked;
}

void ControlBlankingScintilla::keyPressEvent(QKeyEvent *event)
{
    // Scintilla types a key's whole text when its first character is
    // printable (a lone control character is a command or nothing); anything
    // after that is blanked like pasted text.
    const QString text = event->text();
    const QString blanked = blankControls(text);
    if (text.isEmpty() || !text.at(0).isPrint() || blanked == text) {
        QsciScintilla::keyPressEvent(event);
        return;
    }
    QKeyEvent clean(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                    event->nativeVirtualKey(), event->nativeModifiers(), blanked, event->isAutoRepeat(),
                    ushort(event->count()), event->device());
    QsciScintilla::keyPressEvent(&clean);
    event->setAccepted(clean.isAccepted());
}

void ControlBlankingScintilla::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const QString blanked = blankControls(commit);
    if (blanked == commit) {
        QsciScintilla::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent clean(event->preeditString(), event->attributes());
    clean.setCommitString(blanked, event->replacementStart(), event->replacementLength());
    QsciScintilla::inputMethodEvent(&clean);
    event->setAccepted(clean.isAccepted());
}
