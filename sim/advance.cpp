#include "sim/advance.h"

void advanceRecord(BodyRecord& record) {
    record.orbitAngle = record.orbitAngle + record.orbitRate * scene.frameStep;
    record.spinAngle = record.spinAngle + record.spinRate * scene.frameStep;
    if (record.orbitAngle >= 360) {
        record.orbitAngle -= 360;
    }
    if (record.spinAngle >= 360) {
        record.spinAngle -= 360;
    }
}

void advanceStar(int slot) {
    advanceRecord(scene.stars[slot]);
}

void advancePlanet(int slot) {
    advanceRecord(scene.planets[slot]);
    advanceMoonList(slot);
}

void advanceMoonList(int slot) {
    for (int j = 0; j < scene.planets[slot].count && j < moonListSize; ++j) {
        advanceRecord(scene.moons[slot][j]);
    }
}
