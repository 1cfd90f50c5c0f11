// The start-up check of desktop/line_probe.h over X11 and GLX, in two steps around the toolkit's
// start. selectLineSafeDriver, first thing in main, before glutInit, skips the check where
// nothing needs probing. Where the GL may be a known release, a child process reads the GL's
// names on the toolkit's display, and if they settle the verdict, it sets GALLIUM_DRIVER and
// prints the line that chooseGlDriver asks for. Otherwise confirmLineSafeDriver, after glutInit
// has started the default GL and before the window opens, draws the probe in the GL context the
// window then takes over, and prints the line; where softpipe is then chosen, it starts the
// program anew with GALLIUM_DRIVER=softpipe, since Mesa keeps the driver it started with. A probe
// that faults or hangs there starts the program anew without probing.
#pragma once

void selectLineSafeDriver(int argc, char** argv);
void confirmLineSafeDriver();
