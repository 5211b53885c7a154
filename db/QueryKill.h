#pragma once

#include <QString>

struct DbLogin;

// Ends the statement that the server's thread threadId is running (KILL
// QUERY) from a second, short-lived connection made with the same login.
// The connection of that thread stays open and usable. Gives up after about
// a second when the server does not answer; returns false with the library's
// text then, or when the kill was refused.
bool KillQuery(const DbLogin &login, unsigned long threadId, QString *errorText = nullptr);
