#pragma once

class ConnectionPage;

// The road through the window without the mouse starts on the connection
// page: the focus starts in the host box, and Enter in the password box (or
// in any other box of the login) connects as "Соединится" does. On the pages
// after it, Tab runs through the boxes in the order they are filled, and
// Enter on a grid row picks it.
void startKeyboardRoad(ConnectionPage &page);
