// Where each named body's globe is drawn in the frame being recorded, for the page's names
// (page/names.js): the clip coordinates of the globe's centre, taken as the toolkit's
// glutWireSphere draws it, through the same matrices as its lines. The page places each name
// when the picture of that frame is shown, so a name keeps to its globe also when the picture
// arrives a frame late. Fixed arrays only: nothing is allocated per frame.
#pragma once

// The Sun, Mercury, Venus, Earth, Moon, Mars, Phobos, Deimos, Jupiter, Saturn, Uranus, Neptune,
// Pluto and Charon, in that order.
inline constexpr int namedBodies = 14;

struct NamedGlobe {
    int slot;
    int entry;  // -1: the slot's star; else the entry of its moon list
};

// Where each named body is in the scene's records.
inline constexpr NamedGlobe namedGlobes[namedBodies] = {
    {0, -1}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {4, 0}, {4, 1},
    {4, 2},  {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {9, 1},
};

// The named body of slot `slot`'s star (entry -1) or moon-list entry, or -1.
int namedBody(int slot, int entry);

// Per body: clip x, y and w of the globe's centre, then 1 if its globe was drawn in the frame
// (else 0, and the three numbers mean nothing); after the last body, the index of the body the
// camera follows, or -1.
inline constexpr int bodyAnchorNumbers = 4 * namedBodies + 1;

// Called by glutWireSphere for each globe, in drawing order, before it is drawn.
void noteGlobe(double radius);

// The recorded frame's anchors, for the hand-off to the page.
const double* bodyAnchors();

// Starts the next frame's anchors, once the page has read this frame's.
void startBodyAnchors();

// The distance in km between two named bodies' globe centres in the last frame handed to the
// page, as that frame drew them; -1 where either was not drawn.
double drawnDistance(int a, int b);
