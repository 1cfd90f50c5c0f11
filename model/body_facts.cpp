#include "model/body_facts.h"

#include "model/scene_state.h"

namespace {

// 360 degrees over a rate in degrees per second; 0 where the body does not turn.
long double turnTime(long double rate) {
    return rate > 0 ? 360 / rate : 0;
}

// Counted from the orbit radii, so the place is the table's own order of distance; the dwarf
// planet is not counted.
int placeFromSun(int slot) {
    int place = 1;
    for (int k = 1; k < scene.slotCount && k < maxSlots; ++k) {
        if (k != dwarfPlanetSlot &&
            scene.planets[k].orbitRadius < scene.planets[slot].orbitRadius) {
            ++place;
        }
    }
    return place;
}

// A moon's distance from its planet's globe. The Earth's and Pluto's globes circle the planet's
// reference point opposite their moon and at its rate, so the two centres stay the sum of both
// orbit radii apart (the Moon 379,600 + 4800 km). Mars's globe turns on its 100 km circle at
// another rate than Phobos and Deimos, so their distance swings about the moon's own orbit radius.
long double moonDistance(int slot, int entry) {
    const BodyRecord& globe = scene.moons[slot][0];
    const BodyRecord& moon = scene.moons[slot][entry];
    return globe.orbitRate == moon.orbitRate ? moon.orbitRadius + globe.orbitRadius
                                             : moon.orbitRadius;
}

}  // namespace

long double lightTime(long double km) {
    return km / lightSpeed;
}

BodyFacts bodyFacts(int slot, int entry) {
    BodyFacts facts;
    facts.planetSlot = slot;
    if (entry < 0) {
        const BodyRecord& star = scene.stars[slot];
        facts.radius = star.radius;
        facts.day = turnTime(star.spinRate);
        facts.axisTilt = star.axisTilt;
        facts.inclination = star.orbitInclination;
        facts.backwards = star.axisTilt > 90;
        return facts;
    }
    const BodyRecord& planet = scene.planets[slot];
    const BodyRecord& globe = scene.moons[slot][entry];
    facts.radius = globe.radius;
    facts.day = turnTime(globe.spinRate);
    facts.axisTilt = globe.axisTilt;
    facts.backwards = globe.axisTilt > 90;
    // A moon lies where its planet is, as far as the Sun's light and the drift level go.
    facts.sunlight = lightTime(planet.orbitRadius);
    facts.driftLevel = scene.levels[slot].orbitRadius;
    if (entry > 0) {
        facts.kind = BodyKind::moon;
        facts.distance = moonDistance(slot, entry);
        facts.distanceAu = facts.distance / astronomicalUnit;
        facts.year = turnTime(globe.orbitRate);
        facts.inclination = globe.orbitInclination;
        return facts;
    }
    facts.kind = slot == dwarfPlanetSlot ? BodyKind::dwarfPlanet : BodyKind::planet;
    facts.place = facts.kind == BodyKind::planet ? placeFromSun(slot) : 0;
    facts.drawnScale = scene.globeScale;
    facts.distance = planet.orbitRadius;
    facts.distanceAu = planet.orbitRadius / astronomicalUnit;
    facts.year = turnTime(planet.orbitRate);
    facts.inclination = planet.orbitInclination;
    return facts;
}
