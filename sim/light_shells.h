// Light-travel shells: every 60 simulated seconds the Sun emits a shell that grows at the speed
// of light while its centre drifts along +z at the Sun's speed. A shell older than a day is
// retired; at most 100 are ever emitted. They are drawn by drawLightShells (render/bodies.h).
#pragma once

// Starts a new shell at age 0 and restarts the emission interval.
void emitLightShell();

// Once per idle tick, after tickClock: retire at most one shell, emit at most one, then age
// every live shell (one just emitted included) by the real time since it was last aged.
void updateLightShells();
