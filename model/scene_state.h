// The whole state of TESSALORAN: the body records, the light shells, the camera, the clock and the
// user's choices, in one statically allocated `scene` that every operation reads and writes
// directly. Nothing is allocated after start-up; the values it holds when the program is loaded
// are the member initialisers below, and `initScene` (model/init_scene.h) fills in the rest.
//
// Units: kilometres, degrees, simulated seconds, degrees per simulated second, and real
// milliseconds for clock readings. Every physical quantity is an extended real (`long double`);
// every literal is the double value of its decimal, widened (so `0.1`, never `0.1L`).
#pragma once

#include <cstdint>

// Constants. Each holds the double-precision value of its decimal, widened to extended precision.
constexpr long double pi = 3.141592653589793;
constexpr long double degToRad = 0.017453292519943295;  // radians per degree
constexpr long double lightSpeed = 299792.458;          // km/s
constexpr long double sunDriftSpeed = 241.35;           // km/s, the Sun's motion along +z
constexpr long double astronomicalUnit = 149600000;     // km
constexpr long double auLightTime = 499.0118864164355;  // s, light time across one AU
constexpr long double sunRadius = 696000;               // km
constexpr long double sunSpinRate = 0.000152765;        // degrees/s, one turn in 27.275 days
constexpr long double sunAxisNode = 90;                 // degrees
constexpr long double sunAxisTilt = 7;                  // degrees
constexpr long double earthRadius = 6378;               // km; also the unit of the giants' radii
constexpr long double earthSpinRate = 0.004178156597309268;   // degrees/s, 360 / 86162.4 s
constexpr long double earthOrbitRate = 1.141e-05;             // degrees/s
constexpr long double moonOrbitRate = 0.0001525022570334041;  // degrees/s, 360 / 27.322 days
constexpr long double distanceLimit = 9232406100000.0;        // km, farthest the camera may go

constexpr int maxSlots = 10;      // Sun and nine planets
constexpr int moonListSize = 10;  // entry 0 is the planet's own globe, then its moons
constexpr int maxShells = 100;

// One orbiting and spinning body. In a level record `orbitRadius` holds the slot's drift level.
struct BodyRecord {
    long double orbitAngle = 0;        // degrees along the orbit; 0 is +x, growing toward -z
    long double spinAngle = 0;         // degrees about the body's own axis
    long double orbitRadius = 0;       // km
    long double orbitRate = 0;         // degrees/s
    long double spinRate = 0;          // degrees/s
    long double reserved = 0;          // always 0
    long double radius = 0;            // km, radius of the wire globe
    long double orbitNode = 0;         // degrees; the orbit point at this angle is raised highest
    long double orbitInclination = 0;  // degrees
    long double axisNode = 0;          // degrees, as orbitNode for the spin axis
    long double axisTilt = 0;          // degrees
    std::int32_t count = 0;            // planet records: used entries of the slot's moon list
};

// One light front emitted by the Sun.
struct LightShell {
    std::int32_t tickMs = 0;  // millisecond clock when last aged
    long double age = 0;      // simulated seconds since emission
    long double radius = 0;   // km, age x lightSpeed
    long double drift = 0;    // km along +z, age x sunDriftSpeed
};

struct Vec3 {
    long double x = 0;
    long double y = 0;
    long double z = 0;
};

struct SceneState {
    // Body records, indexed by slot: 0 is the Sun, 1 to 9 the planets from Mercury to Pluto.
    BodyRecord levels[maxSlots];   // drift level (orbitRadius) and marker globe of each slot
    BodyRecord stars[maxSlots];    // the star drawn at each slot's level origin
    BodyRecord planets[maxSlots];  // orbit of each planet's reference point about the Sun
    BodyRecord moons[maxSlots][moonListSize];  // entry 0: the planet's globe; then its moons

    // Selection and user factors.
    std::int32_t slotCount = 10;
    std::int32_t followBody = -1;  // slot the camera rides with, -1 for none
    std::int32_t viewBody = -1;    // slot whose orbit plane is levelled in the view, -1 for none
    double timeScale = 1.0;        // simulated seconds per real second, 1 ... 1e8
    double globeScale = 1.0;       // factor on every planet's own globe, 1 ... 1e4

    // Camera. The eye is relative to the look-at point `followOffset`.
    Vec3 eye;
    Vec3 up;
    Vec3 followOffset;
    long double viewDistance = 0;    // length of eye
    Vec3 zoomStep;                   // -0.1 x eye
    long double viewDirHoriz = 90;   // degrees, within (-360, 360)
    long double viewDirVert = 0;     // degrees, within [-90, 90]
    long double refHoriz = 0;        // walking plane: reference body's orbitNode - 90
    long double refTilt = 0;         // walking plane: reference body's orbitInclination
    std::int32_t referenceBody = 3;  // slot the walking plane was last taken from

    // Reference grids: the extents are drawn, the scales are compared with viewDistance.
    long double gridScaleA = 0;
    long double gridExtentA = 0;
    long double gridScaleB = 0;
    long double gridExtentB = 0;

    // Mouse.
    std::uint8_t leftButtonDown = 0;
    std::uint8_t rightButtonDown = 0;
    std::uint8_t middleButtonDown = 0;
    std::int32_t lastMouseX = 0;
    std::int32_t lastMouseY = 0;

    // Clock.
    double frameStep = 0;             // simulated seconds covered by this tick
    std::int32_t lastTickMs = 0;      // millisecond clock at the previous tick
    std::int32_t emissionBaseMs = 0;  // millisecond clock at the last shell emission
    long double sinceEmission = 0;    // simulated seconds since the last emission
    std::int32_t epochSeconds = 0;    // whole seconds from the 1999-12-01 epoch to start-up

    // Light shells, in order of emission; live ones are [firstLiveShell, shellCount).
    LightShell lightShells[maxShells];
    std::int32_t shellCount = 0;
    std::int32_t firstLiveShell = 0;
    std::int32_t shellCapacity = maxShells;
    std::int32_t shellMaxAge = 86400;  // s
    std::int32_t shellInterval = 60;   // s
};

extern SceneState scene;
