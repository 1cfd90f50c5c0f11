// Everything that moves: for each of the ten slots its marker, its star (the Sun in slot 0, with
// the light shells), its planet's orbit and radius line, the planet's green 5,000,000 km ring and
// marker, and its moon list (the planet's own spinning globe, then its moons).
#pragma once

void drawAllSlots();
void drawSlot(int slot);
void drawStar(int slot);
void drawPlanetSystem(int slot);
void drawMoons(int slot);

// Moves the origin to slot k's planet, shifted by -followOffset and lifted to its drift level.
void translateToPlanet(int slot);

// The live light shells, oldest first, in yellow: each a ring of its radius at its drift along
// +z, with a 10,000 km ring marking its centre. Drawn at the Sun's centre.
void drawLightShells();
