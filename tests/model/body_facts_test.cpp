// The About panel's numbers: for every body, each fact against the start-up table, with the
// periods as the table prints them beside the rates (to their printed digits) and the drift
// levels as it prints them, so a rate, radius or level taken from the wrong record shows.
#include <gtest/gtest.h>

#include <cmath>

#include "model/body_facts.h"
#include "model/scene_state.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr long double day = 86400;
constexpr long double hour = 3600;

using BodyFactsFromTheTable = StartSceneTest;

TEST_F(BodyFactsFromTheTable, EveryBodyHasTheTablesFacts) {
    const struct {
        const char* name;
        int slot, entry;
        BodyKind kind;
        int place, planetSlot;
        long double radius, distance, year, yearDigits, day, dayDigits;
        bool backwards;
        long double tilt, inclination, drift;
    } bodies[] = {
        {"Sun", 0, -1, BodyKind::star, 0, 0, 696000, 0, 0, 0, 27.275 * day, 0.0005 * day, false, 7,
         0, 0},
        {"Mercury", 1, 0, BodyKind::planet, 1, 1, 2439, 57895200, 87.950 * day, 0.0005 * day,
         58.4847 * day, 0.00005 * day, false, 0, 7.0044444444444, 46608.932770},
        {"Venus", 2, 0, BodyKind::planet, 2, 2, 6052, 108160800, 224.652 * day, 0.0005 * day,
         243.010 * day, 0.0005 * day, true, 177.06666666666666, 3.3944444444444, 87075.603083},
        {"Earth", 3, 0, BodyKind::planet, 3, 3, 6378, 149600000, 365.177 * day, 0.0005 * day,
         86162.4, 0.05, false, 23.45, 0, 120436.518787},
        {"Moon", 3, 1, BodyKind::moon, 0, 3, 1737.5, 384400, 27.322 * day, 0.0005 * day,
         27.322 * day, 0.0005 * day, false, 0, 0, 120436.518787},
        {"Mars", 4, 0, BodyKind::planet, 4, 4, 3397, 227900000, 686.980 * day, 0.0005 * day, 88643,
         0.5, false, 25.183333333333334, 0, 183472.477483},
        {"Phobos", 4, 1, BodyKind::moon, 0, 4, 13.5, 9380, 0.319 * day, 0.0005 * day, 0.319 * day,
         0.0005 * day, false, 0, 5.15, 183472.477483},
        {"Deimos", 4, 2, BodyKind::moon, 0, 4, 7.5, 23460, 1.262 * day, 0.0005 * day, 1.262 * day,
         0.0005 * day, false, 0, 1.79, 183472.477483},
        {"Jupiter", 5, 0, BodyKind::planet, 5, 5, 69985.794, 778368800, 4329.63 * day, 0.005 * day,
         9.925 * hour, 0.0005 * hour, false, 3.13, 1.3, 626631.207247},
        {"Saturn", 6, 0, BodyKind::planet, 6, 6, 58294.92, 1433467200, 10751.8 * day, 0.05 * day,
         10.656 * hour, 0.0005 * hour, false, 26.73, 2.48, 1154022.723013},
        {"Uranus", 7, 0, BodyKind::planet, 7, 7, 12695.409, 2872469600, 30664.0 * day, 0.05 * day,
         17.24 * hour, 0.005 * hour, true, 97.77, 0.77, 2312501.597222},
        {"Neptune", 8, 0, BodyKind::planet, 8, 8, 12325.485, 4495031200, 60148.3 * day, 0.05 * day,
         16.11 * hour, 0.005 * hour, false, 28.32, 1.77, 3618756.079981},
        {"Pluto", 9, 0, BodyKind::dwarfPlanet, 0, 9, 1135.284, 5869705600, 90403.2 * day,
         0.05 * day, 6.387 * day, 0.0005 * day, true, 122.53, 17.16, 4725447.251111},
        {"Charon", 9, 1, BodyKind::moon, 0, 9, 593, 19600, 6.39 * day, 0.005 * day, 6.39 * day,
         0.005 * day, false, 0, 99, 4725447.251111},
    };
    for (const auto& b : bodies) {
        SCOPED_TRACE(b.name);
        const BodyFacts f = bodyFacts(b.slot, b.entry);
        EXPECT_EQ(f.kind, b.kind);
        EXPECT_EQ(f.place, b.place);
        EXPECT_EQ(f.planetSlot, b.planetSlot);
        EXPECT_NEAR(f.radius, b.radius, 1e-6);
        EXPECT_NEAR(f.distance, b.distance, 1e-6);
        EXPECT_NEAR(f.distanceAu * 149600000, b.kind == BodyKind::moon ? b.distance : f.distance,
                    1e-3);
        EXPECT_NEAR(f.year, b.year, b.yearDigits);
        EXPECT_NEAR(f.day, b.day, b.dayDigits);
        EXPECT_EQ(f.backwards, b.backwards);
        EXPECT_NEAR(f.axisTilt, b.tilt, 1e-9);
        EXPECT_NEAR(f.inclination, b.inclination, 1e-9);
        EXPECT_NEAR(f.driftLevel, b.drift, 1e-6);
        // Light from the Sun crosses the planet's orbit radius (a moon's planet's).
        EXPECT_NEAR(f.sunlight * 299792.458,
                    b.kind == BodyKind::moon ? bodyFacts(b.planetSlot, 0).distance : b.distance,
                    1e-3);
    }
}

TEST_F(BodyFactsFromTheTable, SunlightTakesMinutesToTheEarthAndHoursToNeptune) {
    const long double earth = std::round(bodyFacts(3, 0).sunlight);
    const long double neptune = std::round(bodyFacts(8, 0).sunlight);
    EXPECT_EQ(earth, 8 * 60 + 19);
    EXPECT_EQ(neptune, 4 * 3600 + 9 * 60 + 54);
    // The drift level is the Sun's drift at 241.35 km/s while that light crosses.
    EXPECT_NEAR(bodyFacts(3, 0).driftLevel, 241.35 * bodyFacts(3, 0).sunlight, 1e-6);
}

// Only the planets' own globes are drawn larger; the factor is the one in force now.
TEST_F(BodyFactsFromTheTable, ThePlanetsGlobesAreDrawnAtTheGlobeScale) {
    press("''");
    EXPECT_EQ(bodyFacts(3, 0).drawnScale, 100);
    EXPECT_EQ(bodyFacts(9, 0).drawnScale, 100);
    EXPECT_EQ(bodyFacts(0, -1).drawnScale, 1);
    EXPECT_EQ(bodyFacts(3, 1).drawnScale, 1);
    EXPECT_NEAR(bodyFacts(3, 0).radius, 6378, 1e-9);
}

}  // namespace
