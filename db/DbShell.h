#pragma once

#include "base/Shell.h"

class DbConnection;

// The main window as the pages that read the database see it: the Shell and
// the one database connection, which the main window owns.
class DbShell : public Shell
{
public:
    virtual DbConnection &connection() = 0;
};
