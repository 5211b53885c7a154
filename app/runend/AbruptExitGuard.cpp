#include "app/runend/AbruptExitGuard.h"

#include <cstdlib>
#include <thread>
#include <utility>

namespace {

std::function<void()> g_onExit;
std::thread::id g_owner;
bool g_registered = false;

void runAtExit()
{
    // Another thread calling exit() must not touch the window's thread's data.
    if (!g_onExit || std::this_thread::get_id() != g_owner)
        return;
    const std::function<void()> onExit = std::exchange(g_onExit, nullptr);
    onExit();
}

} // namespace

AbruptExitGuard::AbruptExitGuard(std::function<void()> onExit)
{
    g_onExit = std::move(onExit);
    g_owner = std::this_thread::get_id();
    // Registered once and as late as the first guard, so that it runs before the
    // destructors of everything made earlier (Qt's globals among them).
    if (!g_registered)
        g_registered = std::atexit(runAtExit) == 0;
}

AbruptExitGuard::~AbruptExitGuard()
{
    g_onExit = nullptr;
}
