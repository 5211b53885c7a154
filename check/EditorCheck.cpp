#include "check/EditorCheck.h"

#include "check/ScriptCheck.h"
#include "editor/SqlEditor.h"

using namespace Qt::StringLiterals;

CheckCounts showCheckMarks(SqlEditor &editor, const ScriptCheckResult &result)
{

    // The kind is also spelt out, for whoever does not tell the colours apart.
    QList<SqlEditor::LineMark> marks;
    marks.reserve(qsizetype(result.problems.size()));
    for (const ScriptProblem &p : result.problems) {
        switch (p.kind) {
        case ProblemKind::Error:
            marks.append({p.line, SqlEditor::LineMarkKind::Error, u"Ошибка: "_s + p.text});
            break;
        case ProblemKind::Warning:
            marks.append({p.line, SqlEditor::LineMarkKind::Warning, u"Предупреждение: "_s + p.text});
            break;
        case ProblemKind::NotChecked:
            marks.append({p.line, SqlEditor::LineMarkKind::Note, u"Не проверено: "_s + p.text});
            break;
        }
    }
    editor.setLineMarks(marks);
    return {result.errors, result.warnings, result.notChecked};
}
