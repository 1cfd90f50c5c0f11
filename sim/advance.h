// The orbital and spin advance: every idle tick, each body moves by its rates x scene.frameStep.
// This is the only place where the angles of the records change.
#pragma once

#include "model/scene_state.h"

// Adds rate x frameStep to both angles, then takes 360 off each angle that reached 360, once.
// A step of more than a turn leaves the angle above 360; only its sine and cosine are ever used.
void advanceRecord(BodyRecord& record);
void advanceStar(int slot);
void advancePlanet(int slot);  // also advances the slot's moon list
void advanceMoonList(int slot);
