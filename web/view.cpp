// Views shared by links (app/view_link.h), for the page's Share panel and for the links it opens
// (page/share.js). The page hands over the fragment's text in a buffer of the program's and is
// told which parts could not be used; it reads a link of the view it shows as text the same way.
// The program's own state and operations do the work: the page keeps no model of the scene.
#include <emscripten.h>

#include <cstring>

#include "app/view_link.h"
#include "app/view_state.h"
#include "web/pause.h"
#include "web/status.h"

namespace {

// Far longer than any link this program makes; the page cuts a longer fragment to it and says so.
constexpr int inputSize = 4096;
char input[inputSize];
char link[1024];
int namesShown = -1;  // the last view's names setting: 0 off, 1 on, -1 not given or not usable

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* webViewInput() {
    return input;
}

EMSCRIPTEN_KEEPALIVE int webViewInputSize() {
    return inputSize;
}

// Applies the view in the input buffer's first `length` bytes, of a fragment `total` bytes long.
// Returns the parts that could not be used (the bits of ViewPart).
EMSCRIPTEN_KEEPALIVE int webApplyView(int length, int total) {
    if (length < 0 || length >= inputSize) {
        length = 0;
    }
    SharedView view = currentView();
    view.elapsed = elapsedModelTime();
    view.paused = clockPaused();
    view.names = true;
    std::uint32_t unusable =
        parseView(input, static_cast<std::size_t>(length), total > length, view);
    // Paused first, so that the view's moment is the clock's standing reading.
    if ((unusable & viewPartPaused) == 0) {
        webSetPaused(view.paused ? 1 : 0);
    }
    unusable |= applyView(view, viewSettings & ~unusable);
    if ((unusable & viewPartElapsed) == 0) {
        setElapsedModelTime(view.elapsed);
    }
    namesShown = (unusable & viewPartNames) == 0 ? (view.names ? 1 : 0) : -1;
    std::memset(input, 0, sizeof input);
    return static_cast<int>(unusable);
}

// The names setting of the view last applied.
EMSCRIPTEN_KEEPALIVE int webViewNames() {
    return namesShown;
}

// The text of a link to the view shown now (without the '#'), with the page's names setting.
EMSCRIPTEN_KEEPALIVE const char* webViewLink(int names) {
    SharedView view = currentView();
    view.elapsed = elapsedModelTime();
    view.paused = clockPaused();
    view.names = names != 0;
    formatView(view, link, sizeof link);
    return link;
}

}  // extern "C"
