// The toolkit's display connection, for the line probe to draw on. The program exports its own
// XOpenDisplay, which the toolkit's library calls in place of Xlib's: it passes the call on to
// Xlib's and keeps the connection, the one the program's window will use.
#pragma once

#include <X11/Xlib.h>

extern const char* probeDisplay;  // the toolkit's -display, or nullptr for DISPLAY

// The toolkit's display connection, once glutInit has opened it; nullptr before.
extern Display* toolkitDisplay;

// Xlib's own XOpenDisplay, for a connection of the probe's own.
Display* xlibOpenDisplay(const char* name);
