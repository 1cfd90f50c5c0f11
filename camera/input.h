// Keyboard and mouse: each event makes at most one fixed step (zoom, orbit, walk, time or globe
// scale, slot selection). Nothing here draws; the next frame shows the result.
#pragma once

// Prints "key pressed = <code>" for every key, refreshes the walking plane, then runs the key's
// binding. Codes match exactly: upper-case letters are unbound.
void onKeyboard(unsigned char key, int x, int y);

// button 0 left, 1 middle, 2 right; state 0 pressed, 1 released. Every event records y.
void onMouseButton(int button, int state, int x, int y);

// Called while a button is held: zoom (left + right), orbit (right alone), walk (middle).
void onMouseDrag(int x, int y);
