#pragma once

#include "editor/ControlBlankingScintilla.h"

#include <QString>
#include <QStringList>

#include <utility>

class SqlLexer;

// The script editor: a code editor for MySQL scripts with highlighting, a
// marked caret line and the house editing options, plus the mirror that brings
// the SQL pane's lines into it without losing what the operator wrote there.
//
// textChanged and linesChanged come once per event that changed the text,
// after the event was handled, and once per mirror that changed it; a change
// made by calling the editor's functions directly is reported with the next
// event the editor receives.
class SqlEditor : public ControlBlankingScintilla
{
    Q_OBJECT

public:
    explicit SqlEditor(QWidget *parent = nullptr);

    // Makes the editor hold exactly paneLines, one editor line per entry
    // joined by "\n", with empty undo and redo history, the caret at line 1,
    // column 1 without selection, the view at the top left and the modified
    // mark as it was; the replacement itself cannot be undone. When the editor
    // still holds what the previous call put there and the pane has only grown,
    // only the new lines are appended, so the cost does not grow with the
    // script; otherwise the whole text is replaced. Both ways give the same text.
    //
    // Once the operator has changed the text, the operator's work is kept: the
    // pane's new lines are appended after whatever the editor ends with (on a
    // line of their own), with the same undo, caret and view rule. Only a pane
    // that no longer starts with the lines already mirrored (it was emptied)
    // replaces the whole text.
    void mirrorPane(const QStringList &paneLines);

    // A block of mirrored lines changed in the pane: the occurrence-th run of
    // lines equal to oldLines in the editor becomes newLines (none: the lines
    // go), wherever the operator's edits have moved it, and paneLines is taken
    // as the pane now mirrored. The operator's text around it stays. Returns
    // false, changing nothing of the text, when the editor no longer holds such
    // a run (the operator changed it). Undo, caret and view as after a mirror.
    bool replaceMirroredRun(const QStringList &oldLines, const QStringList &newLines, int occurrence,
                            const QStringList &paneLines);
    // Several runs of mirrored lines go at once, each found as above (the
    // occurrence-th run of its lines) in the text as it stands before any of
    // them goes. Returns the indexes of the runs the editor no longer holds
    // as they were made; their text stays.
    QList<qsizetype> removeMirroredRuns(const QList<std::pair<QStringList, int>> &runs, const QStringList &paneLines);
    // The editor holds exactly lines (a script read from a file), of which
    // paneLines are taken as mirrored from the pane: later pane lines append
    // after them. Empty undo history, not modified.
    void adoptText(const QStringList &lines, const QStringList &paneLines);

    // The editor's lines as they stand, without line ends (a line ends at
    // CR LF, CR or LF). An empty editor gives one empty line, as does an
    // editor whose text is one empty line; a text ending in a line end gives
    // an empty last line.
    QStringList lines() const;

    // The modified mark. A mirror leaves it as it was, even though it empties
    // the undo history (which alone would clear Scintilla's own mark); an edit
    // by the operator sets it, setModified(false) clears it. Ask the editor as
    // an SqlEditor: QsciScintilla::isModified() is not virtual.
    bool isModified() const;
    void setModified(bool modified) override;

    SqlLexer *sqlLexer() const { return m_lexer; }

    // Findings shown under lines (a script check's, say): a symbol in the
    // margin that tells the kinds apart by shape, and the text as an
    // annotation below the line. They stay until the text next changes.
    enum class LineMarkKind { Error, Warning, Note };
    struct LineMark
    {
        int line;  // 0-based
        LineMarkKind kind;
        QString text;
    };
    // Replaces the marks; lines given more than once get all their texts.
    void setLineMarks(const QList<LineMark> &marks);
    void clearLineMarks();
    bool hasLineMarks() const { return m_hasLineMarks; }

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The enhanced End key: to the last non-blank character of the line first,
    // then to the line's end. Returns false when the key is left to Scintilla.
    bool enhancedEnd(bool extend);
    // Smart tabs: Tab moves to where the next word starts on the nearest
    // non-empty line above. Returns false when the key is left to Scintilla.
    bool smartTab();
    void showScrollHint(int value);
    // Scintilla is about to change the text (anything but the mirror).
    void noteTextChange();
    // textChanged (and linesChanged) for the changes noted since the last call.
    void flushTextChanged();
    // Lines first .. first + count - 1 become newLines (none: they go with their line end).
    void replaceLines(qsizetype first, qsizetype count, const QStringList &newLines);
    // The end of a change made for the pane: no undo step, the modified mark
    // as it was, the caret at 1:1 and the view at the top left.
    void endPaneChange(bool wasModified, long linesBefore, bool changed);
    void notePaneMirrored(const QStringList &paneLines);

    SqlLexer *m_lexer = nullptr;
    bool m_mirroring = false;
    // The editor still holds exactly the first m_mirroredCount pane lines;
    // false once the operator has changed the text.
    bool m_mirrorIntact = true;
    qsizetype m_mirroredCount = 0;
    QString m_lastMirroredLine;
    bool m_keptModified = false;
    bool m_changePending = false;
    long m_linesBeforeChange = 0;
    bool m_hasLineMarks = false;
    bool m_lineMarksWatchText = false;
};
