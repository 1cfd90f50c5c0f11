#include "model/init_scene.h"

#include "camera/view.h"
#include "model/scene_state.h"
#include "sim/clock.h"
#include "sim/light_shells.h"

namespace {

// One planet slot of the table. `au` is the orbit radius in astronomical units, from which the
// slot's drift level is made: the Sun's drift while light crosses the orbit.
struct PlanetRow {
    long double orbitRadius;  // km
    long double orbitRate;    // degrees/s
    long double orbitInclination;
    long double au;
    int count;  // used entries of the moon list, the planet's own globe included
};

// Products are formed in extended precision from the two double factors.
const PlanetRow planetTable[maxSlots] = {
    {0, earthOrbitRate, 0, 0, 0},  // Sun: a zero orbit that still advances at the Earth's rate
    {0.387 * astronomicalUnit, 4.15209 * earthOrbitRate, 7.0044444444444, 0.387, 2},
    {0.723 * astronomicalUnit, 1.62552 * earthOrbitRate, 3.3944444444444, 0.723, 1},
    {astronomicalUnit, earthOrbitRate, 0, 1, 2},
    {227900000, 6.06519355e-06, 0, 227900000 / astronomicalUnit, 3},
    {5.203 * astronomicalUnit, 9.62360909977681e-07, 1.3, 5.203, 1},
    {9.582 * astronomicalUnit, 3.8753182992685097e-07, 2.48, 9.582, 1},
    {19.201 * astronomicalUnit, 1.3588131452018487e-07, 0.77, 19.201, 1},
    {30.047 * astronomicalUnit, 6.927316654017387e-08, 1.77, 30.047, 1},
    {39.236 * astronomicalUnit, 4.608981392989039e-08, 17.16, 39.236, 2},
};

BodyRecord globe(long double orbitAngle, long double orbitRadius, long double orbitRate,
                 long double spinRate, long double radius, long double orbitNode,
                 long double orbitInclination, long double axisNode, long double axisTilt) {
    BodyRecord r;
    r.orbitAngle = orbitAngle;
    r.orbitRadius = orbitRadius;
    r.orbitRate = orbitRate;
    r.spinRate = spinRate;
    r.radius = radius;
    r.orbitNode = orbitNode;
    r.orbitInclination = orbitInclination;
    r.axisNode = axisNode;
    r.axisTilt = axisTilt;
    return r;
}

// A moon spins once per orbit and has no axis tilt.
BodyRecord moon(long double orbitRadius, long double orbitRate, long double radius,
                long double orbitNode, long double orbitInclination) {
    return globe(0, orbitRadius, orbitRate, orbitRate, radius, orbitNode, orbitInclination, 90, 0);
}

void writeDefaults(int k) {
    BodyRecord& level = scene.levels[k];
    level = BodyRecord{};
    level.radius = 100;
    level.count = 1;

    BodyRecord& star = scene.stars[k];
    star = BodyRecord{};
    star.spinRate = sunSpinRate;
    star.axisNode = sunAxisNode;
    star.axisTilt = sunAxisTilt;

    BodyRecord& planet = scene.planets[k];
    planet = BodyRecord{};
    planet.orbitRadius = astronomicalUnit;
    planet.orbitRate = earthOrbitRate;
    planet.radius = 100;
    planet.count = 1;
    planet.orbitAngle = planet.orbitAngle + initialPhase(k);

    // Entry 9 is never written: no list uses it.
    for (int j = 0; j < moonListSize - 1; ++j) {
        scene.moons[k][j] = globe(0, 100, 0, earthSpinRate, 0, 90, 0, 90, 0);
    }
}

void writeTable() {
    for (int k = 0; k < maxSlots; ++k) {
        const PlanetRow& row = planetTable[k];
        scene.levels[k].orbitRadius = sunDriftSpeed * row.au * auLightTime;
        BodyRecord& planet = scene.planets[k];
        planet.orbitRadius = row.orbitRadius;
        planet.orbitRate = row.orbitRate;
        planet.orbitInclination = row.orbitInclination;
        planet.orbitNode = 0;
        planet.radius = k == 0 ? 0 : 100;
        planet.count = row.count;
    }
    scene.stars[0].radius = sunRadius;

    // The planets' own globes (moon-list entry 0). The Earth's and Pluto's circle the reference
    // point opposite their large moon, so that point is the barycentre of the pair.
    auto& m = scene.moons;
    m[1][0] = globe(90, 0, 0, 7.1243675567e-05, 2439, 0, 0, 0, 0);
    m[2][0] = globe(90, 0, 0, 1.71461e-05, 6052, 90, 0, 90, 177.06666666666666);
    m[3][0] = globe(180, 4800, moonOrbitRate, earthSpinRate, earthRadius, 0, 0, 90, 23.45);
    m[4][0] =
        globe(180, 100, moonOrbitRate, 0.0040612343896303145, 3397, 0, 0, 90, 25.183333333333334);
    m[5][0] = globe(0, 100, 0, 0.010075566750629723, 10.973 * earthRadius, 90, 0, 90, 3.13);
    m[6][0] = globe(0, 100, 0, 0.009384384384384385, 9.14 * earthRadius, 90, 0, 90, 26.73);
    m[7][0] = globe(0, 100, 0, 0.00580046403712297, 1.9905 * earthRadius, 90, 0, 90, 97.77);
    m[8][0] = globe(0, 100, 0, 0.006207324643078833, 1.9325 * earthRadius, 90, 0, 90, 28.32);
    m[9][0] = globe(180, 2370, 0.000652060511215441, 0.0006523667867021554, 0.178 * earthRadius, 90,
                    99, 90, 122.53);

    // The moons. Mercury's second entry keeps its defaults: a zero-radius globe on a 100 km ring.
    m[3][1] = moon(379600, moonOrbitRate, 1737.5, 0, 0);
    m[4][1] = moon(9380, 0.013061650992685475, 13.5, 90, 5.15);
    m[4][2] = moon(23460, 0.003301637612255679, 7.5, 90, 1.79);
    m[9][1] = moon(17230, 0.000652060511215441, 593, 90, 99);
}

}  // namespace

void initScene() {
    tickClock();
    scene.emissionBaseMs = millisecondClock();
    scene.lastTickMs = millisecondClock();
    runEpochStep();

    scene.eye = Vec3{0, 10000000, 10000000};
    scene.viewDirHoriz = 90;
    scene.viewDirVert = 45;
    scene.followOffset = Vec3{0, 0, 0};
    scene.up = Vec3{0, 1, 0};
    updateViewDistance();
    scene.gridScaleA = scene.viewDistance * 5;
    scene.gridScaleB = scene.viewDistance;
    scene.gridExtentA = scene.gridScaleA * 2;
    scene.gridExtentB = scene.gridScaleB * 2;

    writeBodyTable();
    scene.slotCount = 10;

    emitLightShell();
}

void writeBodyTable() {
    for (int k = 0; k < scene.slotCount; ++k) {
        writeDefaults(k);
    }
    writeTable();
}
