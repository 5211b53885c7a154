#pragma once

class SqlEditor;

// Assistive tools (screen readers, magnifiers, automation) read and edit the
// script editor through Qt's accessible text interfaces: its text, caret,
// selections and the screen rectangle of every character, counted in UTF-16
// units as QString counts them; and they are told of the editor's caret
// moves, selection changes, insertions and removals. SqlEditor calls it for
// itself when it is made.
void makeSqlEditorAccessible(SqlEditor *editor);
