#pragma once

class ConnectionPage;

// The road through the window without the mouse starts on the connection
// page: the focus starts in the host box, and Enter in the password box
// connects as "Соединится" does. (Each page's Tab order runs through its
// boxes in the order they are filled; an Enter on a grid row picks it.)
void startKeyboardRoad(ConnectionPage &page);
