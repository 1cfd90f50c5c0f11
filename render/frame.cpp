#include "render/frame.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "camera/navigation.h"
#include "model/scene_state.h"
#include "render/bodies.h"
#include "render/primitives.h"
#include "render/reference_frame.h"

void displayFrame() {
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    // Before the push, so the whole frame is drawn about the planet's new position.
    if (scene.followBody != -1) {
        followPlanet(scene.followBody);
    }
    glPushMatrix();
    const Vec3& eye = scene.eye;
    const Vec3& up = scene.up;
    gluLookAt(static_cast<double>(eye.x), static_cast<double>(eye.y), static_cast<double>(eye.z), 0,
              0, 0, static_cast<double>(up.x), static_cast<double>(up.y),
              static_cast<double>(up.z));
    // The reference frame stays in the untilted plane; only the bodies are levelled.
    drawReferenceFrame();
    if (scene.viewBody != -1) {
        const BodyRecord& viewed = scene.planets[scene.viewBody];
        tiltPlane(viewed.orbitNode, -viewed.orbitInclination);
    }
    drawAllSlots();
    glPopMatrix();
    glutSwapBuffers();
}
