#include "render/bodies.h"

#include <GL/gl.h>

#include "model/body_position.h"
#include "model/scene_state.h"
#include "render/primitives.h"

namespace {

// Every slot is drawn at its drift level along +z and shifted by -followOffset.
void shiftToSlot(int slot) {
    const Vec3& offset = scene.followOffset;
    const long double h = scene.levels[slot].orbitRadius;
    glTranslated(static_cast<double>(-offset.x), static_cast<double>(-offset.y),
                 static_cast<double>(h - offset.z));
}

}  // namespace

void drawAllSlots() {
    for (int k = 0; k < scene.slotCount; ++k) {
        drawSlot(k);
    }
}

void drawSlot(int slot) {
    glPushMatrix();
    shiftToSlot(slot);
    drawGlobe(scene.levels[slot].radius);
    drawRing(10000, 360);
    drawStar(slot);
    glPopMatrix();
    drawPlanetSystem(slot);
}

// The caller's pop undoes the star's rotations and placement.
void drawStar(int slot) {
    if (slot == 0) {
        drawLightShells();
    }
    const BodyRecord& s = scene.stars[slot];
    glColor3f(1, 1, 0);
    tiltPlane(s.orbitNode, s.orbitInclination);
    placeOnOrbit(s.orbitAngle, s.orbitRadius);
    tiltPlane(s.axisNode, s.axisTilt);
    drawSpinningGlobe(s.radius, s.spinAngle);
    glColor3f(1, 1, 1);
}

void drawPlanetSystem(int slot) {
    const BodyRecord& p = scene.planets[slot];
    glPushMatrix();
    shiftToSlot(slot);
    tiltPlane(p.orbitNode, p.orbitInclination);
    drawOrbit(p.orbitAngle, p.orbitRadius);
    glPopMatrix();

    glPushMatrix();
    translateToPlanet(slot);
    tiltPlane(p.orbitNode, p.orbitInclination);
    glColor3f(0.5, 1, 0.5);
    drawRing(5000000, 100);
    glColor3f(1, 1, 1);
    drawGlobe(p.radius);
    drawMoons(slot);
    glPopMatrix();
}

// Entry 0 is the planet's own globe, the only thing globeScale enlarges.
void drawMoons(int slot) {
    for (int j = 0; j < scene.planets[slot].count && j < moonListSize; ++j) {
        const BodyRecord& m = scene.moons[slot][j];
        glPushMatrix();
        tiltPlane(m.orbitNode, m.orbitInclination);
        placeOnOrbit(m.orbitAngle, m.orbitRadius);
        tiltPlane(m.axisNode, m.axisTilt);
        if (j == 0) {
            drawSpinningGlobe(m.radius * scene.globeScale, m.spinAngle);
        } else {
            drawSpinningGlobe(m.radius, m.spinAngle);
        }
        glPopMatrix();
    }
}

void translateToPlanet(int slot) {
    const Vec3 pos = planetScenePosition(slot);
    const Vec3& offset = scene.followOffset;
    const long double h = scene.levels[slot].orbitRadius;
    glTranslated(static_cast<double>(pos.x - offset.x), static_cast<double>(pos.y - offset.y),
                 static_cast<double>((pos.z - offset.z) + h));
}

void drawLightShells() {
    glColor3f(1, 1, 0);
    for (int i = scene.firstLiveShell; i < scene.shellCount; ++i) {
        const LightShell& shell = scene.lightShells[i];
        glPushMatrix();
        glTranslated(0, 0, static_cast<double>(shell.drift));
        drawRing(shell.radius, 360);
        drawRing(10000, 360);
        glPopMatrix();
    }
    glColor3f(1, 1, 1);
}
