#pragma once

class QLineEdit;

// A search box that is quick to start over: Esc empties it (and so shows
// every row again), and entering it selects its text, so that typing
// replaces the last search. Esc in an empty box goes on to whatever else
// answers it.
void makeSearchBox(QLineEdit *box);
