#pragma once

#include <QList>
#include <QStringList>

#include <functional>

class QWidget;
struct RecoveredRun;

// Tells the operator, in a box that does not hold the window up, which ended
// runs were brought back from their journals and where their files are now;
// the script of the last of them that has one can be taken back into the
// editor with the box's button.
void showRecoveryNotice(QWidget *parent, const QList<RecoveredRun> &runs,
                        const std::function<void(const QStringList &)> &takeBack);
