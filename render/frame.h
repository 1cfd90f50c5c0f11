// One complete frame: follow update, camera, reference frame, view-planet tilt, every slot, swap.
// The only state it writes is followOffset, through followPlanet, while a planet is followed.
#pragma once

void displayFrame();
