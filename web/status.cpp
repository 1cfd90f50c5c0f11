// The page's status line reads the program's state through webStatus, one number at a time: plain
// numbers, so the page needs no view of the WebAssembly memory and nothing is allocated per read.
#include "web/status.h"

#include <emscripten.h>

#include "model/scene_state.h"
#include "web/pause.h"

namespace {

double elapsedSeconds = 0;  // model seconds since start-up: the sum of the idle ticks' steps

}  // namespace

void countElapsedModelTime() {
    elapsedSeconds += scene.frameStep;
}

double elapsedModelTime() {
    return elapsedSeconds;
}

void setElapsedModelTime(double seconds) {
    elapsedSeconds = seconds;
}

extern "C" {

// `which`: 0 the time scale, 1 the model seconds elapsed, 2 the followed slot and 3 the slot whose
// orbital plane is levelled (-1 for none), 4 the globe scale, 5 the camera's distance in km from
// its look-at point, 6 is 1 while the page has the model paused.
EMSCRIPTEN_KEEPALIVE double webStatus(int which) {
    switch (which) {
        case 0:
            return scene.timeScale;
        case 1:
            return elapsedSeconds;
        case 2:
            return scene.followBody;
        case 3:
            return scene.viewBody;
        case 4:
            return scene.globeScale;
        case 5:
            return static_cast<double>(scene.viewDistance);
        case 6:
            return clockPaused() ? 1 : 0;
        default:
            return -1;
    }
}

}  // extern "C"
