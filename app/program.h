// The program's start-up after the toolkit is initialised, the same on every platform that
// provides the toolkit's calls: the window, the scene, the callbacks, then the toolkit's loop.
#pragma once

// Call after glutInit. In this order: RGB double-buffered display mode, a 1024 x 768 window at
// the screen's top-left corner titled "TESSALORAN" and eleven blanks, initScene, the callbacks
// (reshape, keyboard, mouse, display, motion, idle), glutMainLoop, which does not return (in the
// browser it leaves the program to the page's animation frames).
void openWindowAndRun();
