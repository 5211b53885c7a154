#pragma once

// Shows the wait cursor while a blocking database call runs; the cursor
// before it comes back when the object goes, also when an error leaves.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
