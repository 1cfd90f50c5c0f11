// The camera's orbit and zoom about the look-at point, and the two reference grids' sizes.
//
// scene.eye is the eye's offset from the look-at point. Its length is scene.viewDistance and
// scene.zoomStep is always -0.1 x eye: every operation that changes eye ends with
// updateViewDistance. The grids are a factor 5 apart and take turns being the larger.
#pragma once

// Recomputes viewDistance (squares and root in double precision) and zoomStep from eye.
void updateViewDistance();

// step +1 zooms in (distance x 0.9), -1 zooms out (x 1.1); refused at a distance of 1 km or less,
// or when the distance after a zoom out would pass distanceLimit. Pair with refine/coarsenGrids.
void zoomView(long double step);

// After a zoom in: shrinks grid A, or else grid B, by 0.04 once the distance is 0.2 of its scale.
void refineGrids();

// After a zoom out: grows grid A, or else grid B, by 25 once the distance is 5 times its scale.
void coarsenGrids();

// Turns the eye about the vertical axis to viewDirHoriz + delta, keeping its horizontal radius,
// and prints "view dir horiz =========== <angle>" with no line end.
void orbitHoriz(long double delta);

// Raises or lowers the eye to viewDirVert + delta (clamped to +-90) at constant distance.
void orbitVert(long double delta);
