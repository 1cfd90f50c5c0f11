// The look-at point (scene.followOffset): riding along with a followed planet, and walking in
// steps of a tenth of the viewing distance across and along the normal of a reference plane.
//
// The walking plane is the orbit plane of the viewed slot, or of slot 3 (the Earth, inclination
// 0) when none is viewed. It is refreshed by updateReference at every key press.
#pragma once

// Puts the look-at point on slot k's planet: its scene position plus its drift level on z.
void followPlanet(int slot);

// Takes the walking plane (refHoriz = orbitNode - 90, refTilt = inclination) from the reference
// body: viewBody, or slot 3 when nothing is viewed.
void updateReference();

// Takes the walking plane from slot k's planet (0 <= k < slotCount).
void takeReference(int k);

// One step of 0.1 x viewDistance at heading `heading` from the view direction (0 forward, 90
// left, 180 back, -90 right), climbing with the walking plane; refused where x or z would reach
// distanceLimit.
void moveOnPlane(long double heading);

// One step of 0.1 x viewDistance along the walking plane's normal, +1 up or -1 down. Prints
// "Planet Horiz deg = <orbitNode of the reference body>" whether or not the step is made.
void moveAlongNormal(int direction);
