// A millisecond clock the tests control, and a way to start each test from a fresh scene.
#pragma once

#include <cstdint>

// The test clock's reading. Tests set it or advance it by exact milliseconds.
extern std::int32_t testClockMs;

// Returns testClockMs; the value millisecondClock points at while the test clock is in use.
std::int32_t testClock();

// Sets testClockMs to startMs and points the program's millisecondClock hook at testClock.
void useTestClock(std::int32_t startMs);

// Fresh state for a test: `scene = SceneState{}`, the GL recorder reset, and the test clock in use
// at 0 ms. Call initScene() afterwards where the test needs the start-up scene.
void resetScene();
