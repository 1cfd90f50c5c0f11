#include "render/primitives.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "model/scene_state.h"
#include "render/extended_product.h"

namespace {

// A ring is drawn as a line loop rather than as a one-ring wire torus, which this toolkit draws
// as nothing at all. The unit circle of each segment count in use is worked out once, so a frame
// of some 60,000 ring vertices costs two extended products per vertex, not a sine and a cosine.
// The 80-bit long double of x86 multiplies in hardware, faster than productAsDouble; wider ones
// (128 bits in WebAssembly) multiply in software, far slower, and there the split samples serve.
constexpr bool splitProducts = std::numeric_limits<long double>::digits > 64;

// The split of a ring's radius, worked out only where the split products serve.
SplitFactor radiusSplit(long double radius) {
    return splitProducts ? splitFactor(radius) : SplitFactor{};
}

struct UnitCircle {
    int segments;
    long double cosines[1000];
    long double sines[1000];
    SplitFactor cosineSplits[1000];
    SplitFactor sineSplits[1000];

    explicit UnitCircle(int n) : segments(n), cosines{}, sines{}, cosineSplits{}, sineSplits{} {
        for (int k = 1; k <= n; ++k) {
            const long double phi = 2 * pi * k / n;
            cosines[k - 1] = std::cos(phi);
            sines[k - 1] = std::sin(phi);
            if constexpr (splitProducts) {
                cosineSplits[k - 1] = splitFactor(cosines[k - 1]);
                sineSplits[k - 1] = splitFactor(sines[k - 1]);
            }
        }
    }

    // Vertex k of the circle of this radius: static_cast<double>(radius * cosines[k]) and the
    // same of sines[k], however worked out.
    void vertex(long double radius, const SplitFactor& radiusSplit, int k, double& x,
                double& z) const {
        if constexpr (splitProducts) {
            x = productAsDouble(radius, radiusSplit, cosines[k], cosineSplits[k]);
            z = productAsDouble(radius, radiusSplit, sines[k], sineSplits[k]);
        } else {
            x = static_cast<double>(radius * cosines[k]);
            z = static_cast<double>(radius * sines[k]);
        }
    }
};

const UnitCircle circles[] = {UnitCircle(20), UnitCircle(100), UnitCircle(360), UnitCircle(1000)};

const UnitCircle* unitCircle(int segments) {
    for (const UnitCircle& circle : circles) {
        if (circle.segments == segments) {
            return &circle;
        }
    }
    return nullptr;
}

// Most rings keep their radius from frame to frame: the orbits, the planets' green rings and the
// 10,000 km markers. Each vertex costs two extended-precision products (done in software where
// long double is 128 bits wide, as in WebAssembly), so a ring drawn again with the same radius
// and segment count reuses the doubles worked out the time before: the same values, bit for bit.
// A ring is kept only once it has been drawn twice, so the light shells, whose radii grow every
// frame, pass by without pushing the others out. The tables are static and fixed in size.
struct KeptRing {
    long double radius;
    int segments;  // 0: an empty slot
    double x[1000];
    double z[1000];
};

struct SeenRing {
    long double radius;
    int segments;
};

constexpr int keptRingSlots = 32;
constexpr int keptRingProbes = 4;  // a ring may sit in any of the four slots from its hash on
constexpr int seenRingSlots = 256;
KeptRing keptRings[keptRingSlots];
SeenRing seenRings[seenRingSlots];
int nextEviction = 0;

std::uint32_t ringHash(long double radius, int segments) {
    const double r = static_cast<double>(radius);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &r, sizeof bits);
    bits ^= static_cast<std::uint64_t>(segments) * 0x9E3779B97F4A7C15u;
    bits ^= bits >> 31;
    bits *= 0xBF58476D1CE4E5B9u;
    bits ^= bits >> 29;
    return static_cast<std::uint32_t>(bits);
}

bool sameRing(long double radius, int segments, long double keptRadius, int keptSegments) {
    return segments == keptSegments && radius == keptRadius;
}

// The kept vertices of this ring, or nullptr while it has been seen only once (or never).
const KeptRing* keptRing(long double radius, int segments, const UnitCircle& circle) {
    const std::uint32_t hash = ringHash(radius, segments);
    KeptRing* free = nullptr;
    for (int probe = 0; probe < keptRingProbes; ++probe) {
        KeptRing& slot = keptRings[(hash + probe) % keptRingSlots];
        if (sameRing(radius, segments, slot.radius, slot.segments)) {
            return &slot;
        }
        if (slot.segments == 0 && free == nullptr) {
            free = &slot;
        }
    }
    SeenRing& seen = seenRings[hash % seenRingSlots];
    if (!sameRing(radius, segments, seen.radius, seen.segments)) {
        seen = {radius, segments};
        return nullptr;
    }
    if (free == nullptr) {
        free = &keptRings[(hash + nextEviction) % keptRingSlots];
        nextEviction = (nextEviction + 1) % keptRingProbes;
    }
    free->radius = radius;
    free->segments = segments;
    const SplitFactor split = radiusSplit(radius);
    for (int k = 0; k < segments; ++k) {
        circle.vertex(radius, split, k, free->x[k], free->z[k]);
    }
    return free;
}

struct OrbitPoint {
    long double x;
    long double z;
};

OrbitPoint orbitPoint(long double theta, long double radius) {
    return {radius * std::cos(theta * degToRad), -std::sin(theta * degToRad) * radius};
}

void drawOrbitTo(long double radius, OrbitPoint end) {
    drawRing(radius, 1000);
    glBegin(GL_LINES);
    glVertex3d(0, 0, 0);
    glVertex3d(static_cast<double>(end.x), 0, static_cast<double>(end.z));
    glEnd();
}

}  // namespace

void drawRing(long double radius, int segments) {
    glBegin(GL_LINE_LOOP);
    const UnitCircle* circle = unitCircle(segments);
    const KeptRing* kept = circle != nullptr ? keptRing(radius, segments, *circle) : nullptr;
    if (kept != nullptr) {
        for (int k = 0; k < segments; ++k) {
            glVertex3d(kept->x[k], 0, kept->z[k]);
        }
    } else if (circle != nullptr) {
        const SplitFactor split = radiusSplit(radius);
        for (int k = 0; k < segments; ++k) {
            double x = 0;
            double z = 0;
            circle->vertex(radius, split, k, x, z);
            glVertex3d(x, 0, z);
        }
    } else {
        for (int k = 1; k <= segments; ++k) {
            const long double phi = 2 * pi * k / segments;
            glVertex3d(static_cast<double>(radius * std::cos(phi)), 0,
                       static_cast<double>(radius * std::sin(phi)));
        }
    }
    glEnd();
}

void drawGlobe(long double radius) {
    glRotated(90, 1, 0, 0);
    glutWireSphere(static_cast<double>(radius), 15, 15);
    glRotated(90, -1, 0, 0);
}

void drawSpinningGlobe(long double radius, long double spin) {
    glPushMatrix();
    glRotated(static_cast<double>(spin), 0, 1, 0);
    glRotated(90, 1, 0, 0);
    glutWireSphere(static_cast<double>(radius), 15, 15);
    glPopMatrix();
}

void tiltPlane(long double node, long double inclination) {
    const double a = static_cast<double>(node - 90);
    glRotated(a, 0, 1, 0);
    glRotated(static_cast<double>(inclination), 1, 0, 0);
    glRotated(a, 0, -1, 0);
}

void drawOrbit(long double theta, long double radius) {
    drawOrbitTo(radius, orbitPoint(theta, radius));
}

void placeOnOrbit(long double theta, long double radius) {
    const OrbitPoint p = orbitPoint(theta, radius);
    drawOrbitTo(radius, p);
    glTranslated(static_cast<double>(p.x), 0, static_cast<double>(p.z));
}
