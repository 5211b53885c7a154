#pragma once

// Assistive tools (screen readers, desktop automation) see the main window as
// the application's window, named by its title, rather than as a plain area
// of a window. Safe to call more than once.
void installMainWindowAccessible();
