#pragma once

#include "db/DbWork.h"

#include <QString>

#include <functional>

class QWidget;

// What the progress window of a piece of work says: its title, and its text
// for the work's progress count.
struct WorkTexts
{
    QString title;
    std::function<QString(int progress)> text;
};

// Runs job on the connection on a thread of its own (see DbWork) and waits for
// it with the wait cursor. For the first half second the window takes no input,
// as for any blocking call; after that the progress window shows texts and
// "Отмена", and the window's contents stay disabled while its own close still
// reaches it. A cancel ends the work within a second (the connection is cut
// when the server does not give up its query by then).
//
// Throws QmCancelled when the operator cancelled and QmRunEnding when the end
// of the run stopped the work; rethrows an error raised in job. An error of a
// lost connection, or a connection already known lost (job then does not even
// run), says so: QmError with the connection's text.
void runWithProgress(QWidget *window, DbConnection &connection, const DbWork::Job &job, const WorkTexts &texts);
