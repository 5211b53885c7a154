#pragma once

#include <optional>

// Answers the command line before any window system is touched, so that
// --help and --version work without a display. Returns the exit code when the
// program should stop here, nothing when it should go on and open its window.
// The window system's own options (-platform, -style, -display, ...) pass
// through to the application object.
std::optional<int> answerCommandLine(int argc, char *argv[]);
