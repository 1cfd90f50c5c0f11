// Start-up: builds the solar system. Run once, after the window exists and before any callback is
// registered. It starts the clock, sets the camera and the grids, writes every slot's defaults and
// then the table of the Sun, the nine planets, their globes and four moons, and emits the first
// light shell.
#pragma once

void initScene();

// Writes every slot's records as start-up has them: the table's values, every angle at its start.
// initScene calls it; a view opened from a link starts the bodies from it again.
void writeBodyTable();
