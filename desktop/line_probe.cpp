#include "desktop/line_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// Eye-space scale of the probe, in km: the size of the scene's outer orbits.
constexpr double s = 1e7;

// Lit pixels farther than this from every segment are strays.
constexpr double strayDistance = 2.5;
constexpr int strayLimit = 20;

bool litNear(const unsigned char* lit, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && px < probeSize && py >= 0 && py < probeSize &&
                lit[py * probeSize + px] != 0) {
                return true;
            }
        }
    }
    return false;
}

// Whether nine tenths of the segment's path are lit, leaving out two pixels at each end where
// clipping and the rasterization rules may differ.
bool drawn(const unsigned char* lit, const ProbeSegment& segment) {
    const double x0 = segment.windowFrom[0], y0 = segment.windowFrom[1];
    const double dx = segment.windowTo[0] - x0, dy = segment.windowTo[1] - y0;
    const int steps = static_cast<int>(std::hypot(dx, dy));
    int samples = 0, hits = 0;
    for (int i = 2; i <= steps - 2; ++i) {
        const double t = static_cast<double>(i) / steps;
        const int x = static_cast<int>(std::floor(x0 + t * dx));
        const int y = static_cast<int>(std::floor(y0 + t * dy));
        ++samples;
        hits += litNear(lit, x, y) ? 1 : 0;
    }
    return samples > 0 && hits * 10 >= samples * 9;
}

double distanceToSegment(double x, double y, const ProbeSegment& segment) {
    const double ax = segment.windowFrom[0], ay = segment.windowFrom[1];
    const double dx = segment.windowTo[0] - ax, dy = segment.windowTo[1] - ay;
    double t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

// Mesa releases whose llvmpipe drops the probe's lines when it draws into a window and whose
// softpipe draws them, as seen by the probe and the end-to-end tests: Debian 13's Mesa.
constexpr int knownReleases[][3] = {{25, 0, 7}};

bool isKnownRelease(const int* version) {
    return std::any_of(
        std::begin(knownReleases), std::end(knownReleases),
        [version](const int* release) { return std::equal(release, release + 3, version); });
}

int strayPixels(const unsigned char* lit) {
    int strays = 0;
    for (int y = 0; y < probeSize; ++y) {
        for (int x = 0; x < probeSize; ++x) {
            if (lit[y * probeSize + x] == 0) {
                continue;
            }
            double nearest = 1e9;
            for (const ProbeSegment& segment : probeSegments) {
                nearest = std::fmin(nearest, distanceToSegment(x + 0.5, y + 0.5, segment));
            }
            strays += nearest > strayDistance ? 1 : 0;
        }
    }
    return strays;
}

}  // namespace

// With a 90-degree field of view and an aspect ratio of 1, the eye point (x, y, z) appears at
// window pixel (100 (1 + x / -z), 100 (1 + y / -z)).
const ProbeSegment probeSegments[probeSegmentCount] = {
    // Wholly inside the window: from (-0.5, 0.5) to (0.5, 0.5) in normalised coordinates.
    {{-0.5 * s, 0.5 * s, -s}, {0.5 * s, 0.5 * s, -s}, {50, 150}, {150, 150}},
    // From the middle of the window to 600 window widths beyond its right edge, as a radius line
    // or an orbit does when the camera is close to it.
    {{0, 0.1 * s, -s}, {600 * s, 0.1 * s, -s}, {100, 110}, {200, 110}},
    // From in front of the eye to behind it, as the grid lines that run toward the viewer do:
    // its visible part runs from (-0.5, -0.5) to the window's bottom-left corner.
    {{-0.5 * s, -0.5 * s, -s}, {-0.5 * s, -0.5 * s, s}, {50, 50}, {0, 0}},
};

ProbeVerdict judgeProbeImage(const unsigned char* lit) {
    if (!drawn(lit, probeSegments[0])) {
        return ProbeVerdict::inconclusive;
    }
    for (int k = 1; k < probeSegmentCount; ++k) {
        if (!drawn(lit, probeSegments[k])) {
            return ProbeVerdict::dropsLines;
        }
    }
    return strayPixels(lit) > strayLimit ? ProbeVerdict::dropsLines : ProbeVerdict::drawsLines;
}

std::optional<ProbeResult> resultWithoutDrawing(const char* renderer, const int* mesaVersion) {
    ProbeResult result;
    std::snprintf(result.renderer, sizeof result.renderer, "%s", renderer);
    // Also Mesa's zink on lavapipe, whose renderer name includes llvmpipe's, is drawn.
    if (std::strstr(renderer, "llvmpipe") == nullptr) {
        result.verdict = ProbeVerdict::drawsLines;
        return result;
    }
    if (mesaVersion == nullptr || std::strncmp(renderer, "llvmpipe", 8) != 0) {
        return std::nullopt;
    }
    if (!isKnownRelease(mesaVersion)) {
        return std::nullopt;
    }
    result.verdict = ProbeVerdict::dropsLines;
    result.knownRelease = true;
    return result;
}

bool isKnownReleaseLibrary(const char* path) {
    const char* name = std::strrchr(path, '/');
    int version[3];
    char end;
    return std::sscanf(name ? name + 1 : path, "libgallium-%d.%d.%d%c", &version[0], &version[1],
                       &version[2], &end) == 4 &&
           (end == '-' || end == '.') && isKnownRelease(version);
}

bool needsProbe(const GlSetting& setting) {
    return setting.userDriver == nullptr && !setting.probeFailed &&
           (!setting.directRendering || setting.softwareAsked);
}

DriverChoice chooseGlDriver(const ProbeResult& standard, LineProbe probe) {
    DriverChoice choice;
    if (standard.verdict != ProbeVerdict::dropsLines) {
        return choice;
    }
    if (standard.knownRelease || probe("softpipe").verdict == ProbeVerdict::drawsLines) {
        choice.driver = "softpipe";
        std::snprintf(choice.message, sizeof choice.message,
                      "tessaloran: the OpenGL renderer \"%s\" drops lines that reach far outside "
                      "the window; drawing with Mesa's softpipe renderer instead "
                      "(GALLIUM_DRIVER=softpipe; set GALLIUM_DRIVER to choose a driver yourself)",
                      standard.renderer);
    } else {
        std::snprintf(choice.message, sizeof choice.message,
                      "tessaloran: the OpenGL renderer \"%s\" drops lines that reach far outside "
                      "the window, and Mesa's softpipe renderer is no remedy here; some grid "
                      "lines, radius lines and orbits may be missing",
                      standard.renderer);
    }
    return choice;
}

const char* displayArgument(int argc, char** argv) {
    for (int k = 1; k + 1 < argc; ++k) {
        if (std::strcmp(argv[k], "-display") == 0) {
            return argv[k + 1];
        }
    }
    return nullptr;
}
