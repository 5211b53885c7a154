#include "app/runend/ConnectionAtExit.h"

#include "db/Connection.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr std::chrono::seconds stopBound{2};

} // namespace

void closeConnectionAtExit(DbConnection &connection, int exitStatus)
{
    if (!connection.stopActiveWork(stopBound)) {
        std::fflush(nullptr);
        ::_exit(exitStatus);
    }
    connection.closeAtExit();
}
