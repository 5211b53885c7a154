#pragma once

#include <QStringList>

class QWidget;
struct ExitFilesOutcome;

// What an operator watching the close is told about the exit files, before the
// window goes: each file that could not be written in its folder is offered
// for saving elsewhere (until saved or given up), then characters written as
// "?" are named. A quit that cannot wait (a signal, the session ending) ends
// the boxes at once.
namespace ExitFileRescue {

void tellAndOffer(QWidget *parent, const ExitFilesOutcome &outcome, const QStringList &logLines,
                  const QStringList &scriptLines);

} // namespace ExitFileRescue
