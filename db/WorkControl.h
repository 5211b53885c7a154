#pragma once

#include <atomic>

// Shared between one piece of work on the connection and whoever watches it,
// possibly on another thread: how far it has come (for a load, the rows read)
// and the request to stop.
struct WorkControl
{
    std::atomic<int> progress{0};
    std::atomic<bool> cancelRequested{false};
};
