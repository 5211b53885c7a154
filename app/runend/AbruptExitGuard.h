#pragma once

#include <functional>

// Runs a function when the process ends through exit() while the guard lives,
// without the event loop returning: the X11 display plugin does that when the
// connection to the display breaks, and the work held only in memory would be
// lost. At most one guard lives at a time; the function runs at most once, on
// the thread that made the guard.
class AbruptExitGuard
{
public:
    explicit AbruptExitGuard(std::function<void()> onExit);
    ~AbruptExitGuard();

    AbruptExitGuard(const AbruptExitGuard &) = delete;
    AbruptExitGuard &operator=(const AbruptExitGuard &) = delete;
};
