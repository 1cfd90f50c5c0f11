#include "desktop/toolkit_display.h"

#include <dlfcn.h>

const char* probeDisplay = nullptr;
Display* toolkitDisplay = nullptr;

Display* xlibOpenDisplay(const char* name) {
    static const auto open =
        reinterpret_cast<Display* (*)(const char*)>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    return open != nullptr ? open(name) : nullptr;
}

// The program's own XOpenDisplay, exported from it: the toolkit's library calls it in place of
// Xlib's, which it passes the call on to, so that the probe can draw on the connection the window
// will use.
extern "C" Display* XOpenDisplay(const char* name) {
    toolkitDisplay = xlibOpenDisplay(name);
    return toolkitDisplay;
}
