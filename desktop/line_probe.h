// The start-up check for an OpenGL that drops line segments reaching far outside the window.
//
// Mesa 25.0's software renderer llvmpipe loses such segments when it draws into a window: in this
// scene they are the grid lines that run toward the viewer, the outer planets' radius lines and
// parts of orbits. Only llvmpipe has been seen to do so, so only where Mesa may draw in software
// is anything checked. Before the program's window opens, the program asks the GL which renderer
// and release it uses; for llvmpipe of a release not known already, it draws a few probe segments
// with the scene's own projection into an unmapped window of the same kind and reads them back.
// If the GL drops them and the user has not chosen a Mesa driver (GALLIUM_DRIVER
// unset), the program asks Mesa for its softpipe renderer, which draws them, and says so on
// standard error. Where the GL draws them, which is nearly everywhere, nothing changes.
//
// This header holds what the check decides, free of X11 and GL, so that unit tests reach all of
// it; desktop/line_safe_driver.h runs the check over X11 and GLX.
#pragma once

#include <optional>

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

// What one probe saw: its verdict and the GL's renderer name (GL_RENDERER). knownRelease tells
// that the verdict comes from a Mesa release whose llvmpipe is known to drop the lines and whose
// softpipe is known to draw them, not from a drawing.
struct ProbeResult {
    ProbeVerdict verdict = ProbeVerdict::inconclusive;
    char renderer[96] = "";
    bool knownRelease = false;
};

// What the GL's names settle before anything is drawn: a renderer other than llvmpipe draws the
// lines, llvmpipe of a known release (mesaVersion: major, minor, patch) drops them. Returns
// nothing where the probe must draw: llvmpipe of any other release or of an unknown one
// (mesaVersion nullptr), or a renderer built on llvmpipe.
std::optional<ProbeResult> resultWithoutDrawing(const char* renderer, const int* mesaVersion);

// Runs the probe with the Mesa driver named (nullptr: the GL's default choice).
using LineProbe = ProbeResult (*)(const char* driver);

// What the program does about it: the driver to ask Mesa for (nullptr: leave the environment
// alone) and the line to print on standard error (empty: print nothing).
struct DriverChoice {
    const char* driver = nullptr;
    char message[320] = "";
};

// Whether the file is the driver library of a known release: Mesa 25.0 (Debian 13) keeps its
// drivers in libgallium-VERSION.so, which its GLX library links. Where none such is loaded, the
// program does not wait for the GL's names before the toolkit starts; should they name a known
// release all the same, it starts anew with softpipe as after a drawing that shows dropped lines.
bool isKnownReleaseLibrary(const char* path);

// What start-up knows before any GL is loaded.
struct GlSetting {
    // GALLIUM_DRIVER as the user left it, nullptr when unset.
    const char* userDriver = nullptr;
    // LIBGL_ALWAYS_SOFTWARE or MESA_LOADER_DRIVER_OVERRIDE is set: Mesa may draw in software
    // even where the X server offers a GPU.
    bool softwareAsked = false;
    // The display is reached through a local socket and its X server offers DRI3 or DRI2, so Mesa
    // draws with the GPU's driver, not in software.
    bool directRendering = false;
    // This start follows one whose probe faulted or hung in the program's own GL.
    bool probeFailed = false;
};

// Whether the default GL is probed at all: not where the user chose a driver, which is never
// overridden, nor where Mesa draws with a GPU, nor again after a probe that failed.
bool needsProbe(const GlSetting& setting);

// What the program does once the default GL's probe has answered: where it drops lines, softpipe
// is asked for if its release is a known one or if softpipe's own probe shows it drawing them.
DriverChoice chooseGlDriver(const ProbeResult& standard, LineProbe probe);

// The display the toolkit will open: the value of a -display option among the arguments, else
// nullptr, which means DISPLAY.
const char* displayArgument(int argc, char** argv);
