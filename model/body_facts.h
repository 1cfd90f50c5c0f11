// What the About panel says about a body, worked out from the scene's own start-up table
// and state: what the body is, its size, distance, year and day, its tilts, and how long the
// Sun's light takes to reach it. The values are the model's, not measured ones: the Earth's year
// is 360 degrees over its orbital rate, 365.18 days.
#pragma once

enum class BodyKind { star, planet, dwarfPlanet, moon };

// The slot that holds Pluto, a dwarf planet since 2006; the table itself knows no such kinds.
inline constexpr int dwarfPlanetSlot = 9;

// Lengths in km, times in simulated seconds, angles in degrees. A fact the body does not have
// (the Sun's year, distance and sunlight) is 0.
struct BodyFacts {
    BodyKind kind = BodyKind::star;
    int place = 0;               // a planet's place from the Sun, 1 the nearest; else 0
    int planetSlot = 0;          // the slot of the planet a moon circles; else the body's own slot
    long double radius = 0;      // the globe's radius in the table
    long double drawnScale = 1;  // how many times larger the picture draws the globe now
    long double distance = 0;    // a planet's orbit radius; a moon's distance from its planet
    long double distanceAu = 0;  // the same in astronomical units
    long double year = 0;        // once round its orbit: 360 degrees over the orbit rate
    long double day = 0;         // one turn about its axis: 360 degrees over the spin rate
    bool backwards = false;      // the spin axis is tilted past 90 degrees
    long double axisTilt = 0;
    long double inclination = 0;  // of its orbit: a moon's to its planet's orbital plane
    long double sunlight = 0;     // light time from the Sun to its orbit (a moon's planet's)
    long double driftLevel = 0;   // how far along +z that orbit is drawn
};

// The facts of slot `slot`'s star (entry -1; only the Sun's is a body), its planet (entry 0) or
// the moon at `entry` of its moon list.
BodyFacts bodyFacts(int slot, int entry);

// How long light takes across `km`.
long double lightTime(long double km);
