#include "app/runend/ConnectionAtExit.h"

#include "db/Connection.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr std::chrono::seconds stopBound{2};

} // namespace

void closeConnectionAtExit(DbConnection &connection, int exitStatus, const std::function<void()> &closeRoute)
{
    if (!connection.stopActiveWork(stopBound)) {
        // What the thread still reads through may go: the process ends now.
        closeRoute();
        std::fflush(nullptr);
        ::_exit(exitStatus);
    }
    connection.closeAtExit();
    closeRoute();
}
