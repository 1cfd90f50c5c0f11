// The marks of the look-at centre, drawn before any body and untouched by the view-planet tilt:
// a white 100 km ring, a white 50 km square, and two red grids in the reference XZ plane whose
// sizes follow the zoom (grid A and grid B, a factor 5 apart).
#pragma once

void drawReferenceFrame();
void drawGrids();

// One grid of side `extent`: 11 lines each way, a tenth of the extent apart. Expects the
// reference frame's rotation, in which local (x, y) is world (x, 0, y).
void drawGrid(long double extent);
