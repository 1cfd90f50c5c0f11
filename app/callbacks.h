// The application's own toolkit callbacks: the projection on every reshape, and the idle tick
// that drives the simulation. The display and input callbacks live in render/ and camera/.
#pragma once

// Viewport and a 90-degree perspective with planes at 1 and 9999999999999 km.
void onReshape(int width, int height);

// The simulation's heartbeat: clock, light shells, every body's angles, then a redisplay.
void onIdle();
