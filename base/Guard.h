#pragma once

#include <QString>

#include <functional>

class QWidget;

// Runs one event handler so that no exception crosses the Qt event loop. An
// error ends the handler and is shown in a message box with the caption
// "Quenmark", an error icon and an OK button; a cancel ends it silently.
void runGuarded(QWidget *parent, const std::function<void()> &handler);

// The text shown for an error: a full stop is appended when the last
// character's code is greater than that of the full stop.
QString errorDisplayText(const QString &errorText);
