// What the GL tells and draws for the line probe, through GLX on a given display connection.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <optional>

#include "desktop/line_probe.h"

// The renderer's name and Mesa release as the screen tells them, before any context exists
// (GLX_MESA_query_renderer); nothing where the GL does not offer that.
std::optional<ProbeResult> resultFromScreen(Display* display, int screen);

// An unmapped window of the visual, the probe's size, and the colormap it needs.
struct ProbeWindow {
    Window window;
    Colormap colormap;
};

ProbeWindow openProbeWindow(Display* display, XVisualInfo* visual);

// Draws the probe segments with the context into the window's back buffer, reads the picture
// back and judges it. A GL that does not tell its names on the screen is judged by its name here
// if it can be. The context stays current on the window.
ProbeResult drawProbe(Display* display, Window window, GLXContext context);
