// Where a planet stands in the scene, from its orbit angle, radius, node and inclination. The
// drawing (translateToPlanet) and the follow camera (followPlanet) both use this one formula, so a
// followed planet is drawn at the look-at point up to the rounding of one subtraction and addition.
#pragma once

#include "model/scene_state.h"

// Absolute difference of two angles in degrees, folded to at most 180 (for differences up to 360).
long double angleDistance(long double a, long double b);

// Position of slot k's planet relative to its slot's drift level; callers add the level to z.
Vec3 planetScenePosition(int slot);
