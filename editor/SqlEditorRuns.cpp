// The editor's side of a block that changes after it was mirrored: found by
// its lines, changed in place, the operator's text around it kept.
#include "editor/SqlEditor.h"

#include "base/ScriptText.h"

#include <algorithm>
#include <tuple>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray utf8Blanked(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    const QByteArray blanked = ScriptText::blankControlsUtf8(bytes);
    return blanked.isNull() ? bytes : blanked;
}

// The first line of the occurrence-th run of wanted in lines, -1 when none.
qsizetype findRun(const QStringList &lines, const QStringList &wanted, int occurrence)
{
    const qsizetype n = wanted.size();
    if (n == 0)
        return -1;
    for (qsizetype i = 0; i + n <= lines.size(); ++i) {
        if (lines.at(i) != wanted.at(0))
            continue;
        qsizetype k = 1;
        while (k < n && lines.at(i + k) == wanted.at(k))
            ++k;
        if (k == n && occurrence-- == 0)
            return i;
    }
    return -1;
}

} // namespace

void SqlEditor::notePaneMirrored(const QStringList &paneLines)
{
    m_mirroredCount = paneLines.size();
    m_lastMirroredLine = paneLines.isEmpty() ? QString() : paneLines.last();
}

void SqlEditor::endPaneChange(bool wasModified, long linesBefore, bool changed)
{
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_SETSAVEPOINT);
    m_keptModified = wasModified;
    SendScintilla(SCI_GOTOPOS, 0UL);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, 0UL);
    SendScintilla(SCI_SETXOFFSET, 0UL);
    m_mirroring = false;
    if (changed) {
        Q_EMIT textChanged();
        if (SendScintilla(SCI_GETLINECOUNT) != linesBefore)
            Q_EMIT linesChanged();
    }
}

void SqlEditor::replaceLines(qsizetype first, qsizetype count, const QStringList &newLines)
{
    const long lineCount = SendScintilla(SCI_GETLINECOUNT);
    const auto line = static_cast<unsigned long>(first);
    const auto lines = static_cast<unsigned long>(count);
    long start = SendScintilla(SCI_POSITIONFROMLINE, line);
    long end = 0;
    QByteArray bytes;
    if (!newLines.isEmpty()) {
        end = SendScintilla(SCI_GETLINEENDPOSITION, line + lines - 1);
        bytes = utf8Blanked(newLines.join(u'\n'));
    } else if (first + count < lineCount) {
        end = SendScintilla(SCI_POSITIONFROMLINE, line + lines);
    } else {
        // The run ends the text: the line break before it goes with it.
        start = first > 0 ? SendScintilla(SCI_GETLINEENDPOSITION, line - 1) : 0;
        end = SendScintilla(SCI_GETLENGTH);
    }
    SendScintilla(SCI_SETTARGETSTART, (unsigned long)start);
    SendScintilla(SCI_SETTARGETEND, (unsigned long)end);
    SendScintilla(SCI_REPLACETARGET, (unsigned long)bytes.size(), bytes.constData());
}

bool SqlEditor::replaceMirroredRun(const QStringList &oldLines, const QStringList &newLines, int occurrence,
                                   const QStringList &paneLines)
{
    flushTextChanged();
    const qsizetype first = findRun(lines(), oldLines, occurrence);
    notePaneMirrored(paneLines);
    if (first < 0) {
        m_mirrorIntact = false;
        return false;
    }
    const bool wasModified = isModified();
    const long linesBefore = SendScintilla(SCI_GETLINECOUNT);
    m_mirroring = true;
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    replaceLines(first, oldLines.size(), newLines);
    endPaneChange(wasModified, linesBefore, true);
    return true;
}

QList<qsizetype> SqlEditor::removeMirroredRuns(const QList<std::pair<QStringList, int>> &runs,
                                               const QStringList &paneLines)
{
    flushTextChanged();
    const QStringList text = lines();
    notePaneMirrored(paneLines);
    // Each run's place in the text as it stands: first line, line count, which run.
    std::vector<std::tuple<qsizetype, qsizetype, qsizetype>> places;
    QList<qsizetype> missing;
    for (qsizetype r = 0; r < runs.size(); ++r) {
        const qsizetype first = findRun(text, runs.at(r).first, runs.at(r).second);
        if (first < 0)
            missing.append(r);
        else
            places.emplace_back(first, runs.at(r).first.size(), r);
    }
    if (!places.empty()) {
        // From the bottom up, so that the places still to go stay where they are.
        std::sort(places.begin(), places.end(), std::greater<>());
        const bool wasModified = isModified();
        const long linesBefore = SendScintilla(SCI_GETLINECOUNT);
        m_mirroring = true;
        SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
        qsizetype above = text.size();
        for (const auto &[first, count, r] : places) {
            if (first + count > above) {
                missing.append(r); // lies across a run already gone
                continue;
            }
            replaceLines(first, count, {});
            above = first;
        }
        endPaneChange(wasModified, linesBefore, true);
    }
    if (!missing.isEmpty())
        m_mirrorIntact = false;
    std::sort(missing.begin(), missing.end());
    return missing;
}

void SqlEditor::adoptText(const QStringList &lines, const QStringList &paneLines)
{
    flushTextChanged();
    const long linesBefore = SendScintilla(SCI_GETLINECOUNT);
    const QByteArray bytes = utf8Blanked(lines.join(u'\n'));
    m_mirroring = true;
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_ALLOCATE, (unsigned long)(bytes.size() + bytes.size() / 2 + 65536));
    SendScintilla(SCI_APPENDTEXT, (unsigned long)bytes.size(), bytes.constData());
    notePaneMirrored(paneLines);
    m_mirrorIntact = lines == paneLines;
    endPaneChange(false, linesBefore, true);
}
