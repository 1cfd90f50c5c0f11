// The desktop program's state after key presses, for the status line's test: starts the scene as
// the program does, presses each byte of the argument through the keyboard callback, and prints
// the fields the status line reads as JSON on the last line, after the keys' own lines. The GL
// calls go to the tests' recording stand-in.
//
//   state_after_keys KEYS
#include <cstdio>

#include "camera/input.h"
#include "model/init_scene.h"
#include "model/scene_state.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: state_after_keys KEYS\n");
        return 2;
    }
    initScene();
    for (const char* key = argv[1]; *key != '\0'; ++key) {
        onKeyboard(static_cast<unsigned char>(*key), 0, 0);
    }
    // A turning key's line has no line end: the JSON starts a line of its own.
    std::printf(
        "\n{\"timeScale\": %.17g, \"followBody\": %d, \"viewBody\": %d, \"globeScale\": %.17g, "
        "\"viewDistance\": %.17Lg}\n",
        scene.timeScale, scene.followBody, scene.viewBody, scene.globeScale, scene.viewDistance);
    return 0;
}
