// The six wireframe primitives every picture is made of. They draw in the current model-view
// frame with the current colour. Convention: a frame's orbital plane is its XZ plane; the point
// at orbit angle theta on a circle of radius r is (r cos theta, 0, -r sin theta); spin axes lie
// along y.
#pragma once

// Circle of radius r about the origin in the plane y = 0, as one line loop of n chords.
void drawRing(long double radius, int segments);

// Wire sphere of 15 slices and 15 stacks with its poles on the y axis.
void drawGlobe(long double radius);

// As drawGlobe, turned by `spin` degrees about y.
void drawSpinningGlobe(long double radius, long double spin);

// Tilts the plane by `inclination` about the horizontal axis at orbit angle node - 90, so the
// point at orbit angle `node` rises. Leaves the rotation on the matrix.
void tiltPlane(long double node, long double inclination);

// The 1000-segment orbit ring of radius r and the radius line to the point at angle theta.
void drawOrbit(long double theta, long double radius);

// As drawOrbit, then moves the origin to the point at angle theta (left on the matrix).
void placeOnOrbit(long double theta, long double radius);
