// The desktop program's state after key presses, for the status line's and the names' tests:
// starts the scene as the program does, presses each byte of the argument through the keyboard
// callback, draws one frame and prints, as JSON on the last line after the keys' own lines, the
// fields the status line reads and where each named body's globe centre is in eye space (x, y, z
// in km; the camera looks along -z). The GL calls go to the tests' recording stand-in, which
// keeps the matrices as GL would; a globe is known by its radius, which the scene gives it.
// SECONDS, if given, moves every body on by that much model time in one step before the frame,
// as the page's ticks have moved it by the time it reports as elapsed.
//
//   state_after_keys KEYS [SECONDS]
#include <cstdio>
#include <cstdlib>

#include "camera/input.h"
#include "model/init_scene.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "sim/advance.h"
#include "tests/support/gl_recorder.h"

namespace {

struct Named {
    const char* name;
    int slot;
    int entry;  // -1: the slot's star (the Sun); else the entry of the slot's moon list
};

constexpr Named bodies[] = {
    {"Sun", 0, -1},   {"Mercury", 1, 0}, {"Venus", 2, 0},  {"Earth", 3, 0},   {"Moon", 3, 1},
    {"Mars", 4, 0},   {"Phobos", 4, 1},  {"Deimos", 4, 2}, {"Jupiter", 5, 0}, {"Saturn", 6, 0},
    {"Uranus", 7, 0}, {"Neptune", 8, 0}, {"Pluto", 9, 0},  {"Charon", 9, 1},
};

double radiusOf(const Named& body) {
    if (body.entry < 0) {
        return static_cast<double>(scene.stars[body.slot].radius);
    }
    const BodyRecord& record = scene.moons[body.slot][body.entry];
    return static_cast<double>(body.entry == 0 ? record.radius * scene.globeScale : record.radius);
}

// Each body's globe centre in the frame just recorded, as JSON; a body whose radius more than one
// globe has (or none) is left out.
void printBodies() {
    std::printf("{");
    const char* comma = "";
    for (const Named& body : bodies) {
        const double radius = radiusOf(body);
        int found = 0;
        glrec::Point3 centre{};
        for (const glrec::Call& call : glrec::records()) {
            if (call.fn == glrec::Fn::WireSphere && call.args[0] == radius) {
                centre = call.eye;
                ++found;
            }
        }
        if (found == 1) {
            std::printf("%s\"%s\": [%.17g, %.17g, %.17g]", comma, body.name, centre.x, centre.y,
                        centre.z);
            comma = ", ";
        }
    }
    std::printf("}");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: state_after_keys KEYS [SECONDS]\n");
        return 2;
    }
    initScene();
    for (const char* key = argv[1]; *key != '\0'; ++key) {
        onKeyboard(static_cast<unsigned char>(*key), 0, 0);
    }
    if (argc == 3) {
        scene.frameStep = std::strtod(argv[2], nullptr);
        for (int slot = 0; slot < scene.slotCount; ++slot) {
            advanceStar(slot);
            advancePlanet(slot);
        }
    }
    glrec::reset();
    displayFrame();
    // A turning key's line has no line end: the JSON starts a line of its own.
    std::printf(
        "\n{\"timeScale\": %.17g, \"followBody\": %d, \"viewBody\": %d, \"globeScale\": %.17g, "
        "\"viewDistance\": %.17Lg, \"bodies\": ",
        scene.timeScale, scene.followBody, scene.viewBody, scene.globeScale, scene.viewDistance);
    printBodies();
    std::printf("}\n");
    return 0;
}
