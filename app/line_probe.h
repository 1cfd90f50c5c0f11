// The start-up check for an OpenGL that drops line segments reaching far outside the window.
//
// Mesa 25.0's software renderer llvmpipe loses such segments when it draws into a window: in this
// scene they are the grid lines that run toward the viewer, the outer planets' radius lines and
// parts of orbits. Before the program's window opens, a child process draws a few probe segments
// with the scene's own projection into an unmapped window of the same kind and reads them back.
// If the GL drops them and the user has not chosen a Mesa driver (GALLIUM_DRIVER unset), the
// program asks Mesa for its softpipe renderer, which draws them, and says so on standard error.
// Where the GL draws them, which is nearly everywhere, nothing changes.
#pragma once

// Side of the probe's square window, in pixels.
inline constexpr int probeSize = 200;

// A probe segment: its ends in eye coordinates (km), drawn under the scene's projection with an
// aspect ratio of 1, and where its visible part must appear in the probe window (pixels, origin
// at the bottom-left corner, as glReadPixels reads it).
struct ProbeSegment {
    double from[3], to[3];
    double windowFrom[2], windowTo[2];
};

// The first segment lies wholly inside the window: a GL that does not draw it shows nothing at
// all, and the probe says nothing about its lines. The others reach far outside the window.
inline constexpr int probeSegmentCount = 3;
extern const ProbeSegment probeSegments[probeSegmentCount];

enum class ProbeVerdict { drawsLines, dropsLines, inconclusive };

// Judges the probe's picture: probeSize rows of probeSize pixels, bottom row first, nonzero where
// something was drawn. A segment counts as drawn when nine tenths of its path are lit; a picture
// with lit pixels away from every segment shows a GL that smears them.
ProbeVerdict judgeProbeImage(const unsigned char* lit);

// What one probe saw: its verdict and the GL's renderer name (GL_RENDERER).
struct ProbeResult {
    ProbeVerdict verdict = ProbeVerdict::inconclusive;
    char renderer[96] = "";
};

// Runs the probe with the Mesa driver named (nullptr: the GL's default choice).
using LineProbe = ProbeResult (*)(const char* driver);

// What the program does about it: the driver to ask Mesa for (nullptr: leave the environment
// alone) and the line to print on standard error (empty: print nothing).
struct DriverChoice {
    const char* driver = nullptr;
    char message[320] = "";
};

// userDriver is GALLIUM_DRIVER as the user left it, nullptr when unset; a driver the user chose
// is never overridden and nothing is probed. Otherwise the default GL is probed, and softpipe
// too if the default drops lines.
DriverChoice chooseGlDriver(const char* userDriver, LineProbe probe);

// The display the toolkit will open: the value of a -display option among the arguments, else
// nullptr, which means DISPLAY.
const char* displayArgument(int argc, char** argv);

// The check itself, run first thing in main, before the toolkit starts: probes in child processes
// on the toolkit's display, then sets GALLIUM_DRIVER and prints the line that chooseGlDriver asks
// for. Defined beside the X11 code that draws the probe; only the program links it.
void selectLineSafeDriver(int argc, char** argv);
