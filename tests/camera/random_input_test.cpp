// Random input through the three input callbacks, with idle ticks and frames in between, checking
// after every event that the state stays inside its documented ranges. Reproducible from its seed;
// set TESSALORAN_FUZZ_SEED to run another sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr int eventCount = 50000;
constexpr int blockLength = 2000;
constexpr std::uint32_t defaultSeed = 20240611;

std::uint32_t fuzzSeed() {
    const char* text = std::getenv("TESSALORAN_FUZZ_SEED");
    if (text == nullptr || *text == '\0') {
        return defaultSeed;
    }
    return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 0));
}

enum class Kind { Key, Button, Drag, Idle, Frame };

struct Event {
    Kind kind;
    int a;  // key code, button, x, or milliseconds
    int b;  // state, or y
    int c;  // x of a button event
    int d;  // y of a button event
};

std::string describe(const Event& e) {
    static const char* const names[] = {"onKeyboard", "onMouseButton", "onMouseDrag",
                                        "onIdle after ms", "displayFrame"};
    std::ostringstream text;
    text << names[static_cast<int>(e.kind)] << "(" << e.a << ", " << e.b << ", " << e.c << ", "
         << e.d << ")";
    return text.str();
}

// Every bound key, so that bindings come up far more often than among 256 codes.
constexpr unsigned char boundKeys[] = {8,  33, 35, 36, 37,  38,  39,  40,  41, 42,
                                       43, 45, 50, 51, 52,  54,  56,  57,  59, 64,
                                       91, 93, 94, 97, 100, 115, 119, 120, 122};

// Blocks of events take turns between mixed input and runs where half the events press one of a
// few keys: zooming in, zooming out, walking (right after zooming out, so the steps are long) and
// raising and lowering the eye. Every limit is reached whatever the seed.
const char* heavyKeys(int index) {
    static const char* const phases[] = {"", "+z", "", "-x", "8462", "w", "", "s"};
    return phases[(index / blockLength) % std::size(phases)];
}

int uniform(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Mostly a small motion from the last position; sometimes far away or at the ends of int.
int coordinate(std::mt19937& random, int last) {
    switch (uniform(random, 0, 9)) {
        case 0:
            return INT_MIN;
        case 1:
            return INT_MAX;
        case 2:
            return uniform(random, INT_MIN, INT_MAX);
        case 3:
            return uniform(random, -100000, 100000);
        default: {
            const long long next = static_cast<long long>(last) + uniform(random, -3, 3);
            return static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX));
        }
    }
}

Event nextEvent(std::mt19937& random, std::string_view heavy) {
    if (!heavy.empty() && uniform(random, 0, 1) == 0) {
        return Event{Kind::Key, heavy[uniform(random, 0, heavy.size() - 1)], 0, 0, 0};
    }
    const int roll = uniform(random, 0, 99);
    if (roll < 35) {
        const int code = uniform(random, 0, 1) == 0
                             ? boundKeys[uniform(random, 0, std::size(boundKeys) - 1)]
                             : uniform(random, 0, 255);
        return Event{Kind::Key, code, 0, 0, 0};
    }
    if (roll < 50) {
        const int button =
            uniform(random, 0, 9) < 8 ? uniform(random, 0, 2) : uniform(random, INT_MIN, INT_MAX);
        const int state =
            uniform(random, 0, 9) < 9 ? uniform(random, 0, 1) : uniform(random, -5, 5);
        return Event{Kind::Button, button, state, coordinate(random, scene.lastMouseX),
                     coordinate(random, scene.lastMouseY)};
    }
    if (roll < 88) {
        return Event{Kind::Drag, coordinate(random, scene.lastMouseX),
                     coordinate(random, scene.lastMouseY), 0, 0};
    }
    if (roll < 98) {
        // No time, a frame's worth, or long pauses up to nearly the 32-bit clock's half range.
        const int longest[] = {0, 50, 100000, 10000000, 2000000000};
        const int top = longest[uniform(random, 0, 4)];
        return Event{Kind::Idle, top == 0 ? 0 : uniform(random, 1, top), 0, 0, 0};
    }
    return Event{Kind::Frame, 0, 0, 0, 0};
}

void run(const Event& e) {
    switch (e.kind) {
        case Kind::Key:
            onKeyboard(static_cast<unsigned char>(e.a), 0, 0);
            break;
        case Kind::Button:
            onMouseButton(e.a, e.b, e.c, e.d);
            break;
        case Kind::Drag:
            onMouseDrag(e.a, e.b);
            break;
        case Kind::Idle:
            idleAfter(static_cast<std::uint32_t>(e.a));  // the clock wraps as the platform's does
            break;
        case Kind::Frame:
            displayFrame();
            break;
    }
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool finite(const BodyRecord& r) {
    return std::isfinite(r.orbitAngle) && std::isfinite(r.spinAngle);
}

bool powerOfTen(double value, int largestExponent) {
    double power = 1;
    for (int i = 0; i <= largestExponent; ++i) {
        if (value == power) {
            return true;
        }
        power *= 10;
    }
    return false;
}

// The first broken rule, or an empty string.
std::string problem(bool afterFrame) {
    const SceneState& s = scene;
    if (s.followBody < -1 || s.followBody > 9 || s.viewBody < -1 || s.viewBody > 9) {
        return "followBody " + std::to_string(s.followBody) + ", viewBody " +
               std::to_string(s.viewBody);
    }
    if (!powerOfTen(s.timeScale, 8) || !powerOfTen(s.globeScale, 4)) {
        return "timeScale " + std::to_string(s.timeScale) + ", globeScale " +
               std::to_string(s.globeScale);
    }
    if (s.leftButtonDown > 1 || s.middleButtonDown > 1 || s.rightButtonDown > 1) {
        return "button flag neither 0 nor 1";
    }
    if (!finite(s.eye) || !finite(s.zoomStep) || !finite(s.followOffset) ||
        !std::isfinite(s.viewDistance) || !std::isfinite(s.viewDirHoriz) ||
        !std::isfinite(s.viewDirVert) || !std::isfinite(s.refHoriz) || !std::isfinite(s.refTilt)) {
        return "camera value not finite";
    }
    if (!(s.viewDistance > 0) || s.viewDistance > distanceLimit) {
        return "viewDistance " + std::to_string(static_cast<double>(s.viewDistance));
    }
    if (!(s.viewDirHoriz > -360 && s.viewDirHoriz < 360) ||
        !(s.viewDirVert >= -90 && s.viewDirVert <= 90)) {
        return "viewDirHoriz " + std::to_string(static_cast<double>(s.viewDirHoriz)) +
               ", viewDirVert " + std::to_string(static_cast<double>(s.viewDirVert));
    }
    const long double tolerance = 1e-12 * s.viewDistance;
    if (std::fabs(s.zoomStep.x + 0.1 * s.eye.x) > tolerance ||
        std::fabs(s.zoomStep.y + 0.1 * s.eye.y) > tolerance ||
        std::fabs(s.zoomStep.z + 0.1 * s.eye.z) > tolerance) {
        return "zoomStep is not -0.1 x eye";
    }
    const long double a = s.gridScaleA;
    const long double b = s.gridScaleB;
    if (!std::isfinite(a) || !std::isfinite(b) || !(a > 0) || !(b > 0)) {
        return "grid scale not finite and positive";
    }
    const long double ratio = a > b ? a / b : b / a;
    if (std::fabs(ratio - 5) > 1e-9 || s.gridExtentA != 2 * a || s.gridExtentB != 2 * b) {
        return "grids not a factor 5 apart";
    }
    for (int k = 0; k < maxSlots; ++k) {
        if (!finite(s.levels[k]) || !finite(s.stars[k]) || !finite(s.planets[k])) {
            return "record angle not finite in slot " + std::to_string(k);
        }
        for (int j = 0; j < moonListSize; ++j) {
            if (!finite(s.moons[k][j])) {
                return "moon angle not finite in slot " + std::to_string(k);
            }
        }
    }
    for (int i = s.firstLiveShell; i < s.shellCount; ++i) {
        const LightShell& shell = s.lightShells[i];
        if (!std::isfinite(shell.age) || !std::isfinite(shell.radius) ||
            !std::isfinite(shell.drift)) {
            return "light shell " + std::to_string(i) + " not finite";
        }
    }
    if (afterFrame && (glrec::modelviewDepth() != 1 || !glrec::ok())) {
        return "frame left the matrix stack at depth " + std::to_string(glrec::modelviewDepth()) +
               ": " + glrec::errorSummary();
    }
    return "";
}

TEST(CameraRandomInput, StateStaysInRangeUnderRandomEvents) {
    const std::uint32_t seed = fuzzSeed();
    startScene();
    glrec::setMode(glrec::Mode::Counting);  // frames are only counted, never stored
    std::mt19937 random(seed);

    long double nearest = scene.viewDistance;
    long double farthest = scene.viewDistance;
    long double lowest = scene.viewDirVert;
    long double highest = scene.viewDirVert;
    long double widest = 0;
    std::string failure;
    int index = 0;
    Event event{};
    testing::internal::CaptureStdout();  // the diagnostic lines of tens of thousands of events
    for (; index < eventCount; ++index) {
        event = nextEvent(random, heavyKeys(index));
        run(event);
        failure = problem(event.kind == Kind::Frame);
        if (!failure.empty()) {
            break;
        }
        nearest = std::min(nearest, scene.viewDistance);
        farthest = std::max(farthest, scene.viewDistance);
        lowest = std::min(lowest, scene.viewDirVert);
        highest = std::max(highest, scene.viewDirVert);
        widest =
            std::max({widest, std::fabs(scene.followOffset.x), std::fabs(scene.followOffset.z)});
    }
    const std::string printed = testing::internal::GetCapturedStdout();

    ASSERT_TRUE(failure.empty()) << failure << "\n  seed " << seed
                                 << " (TESSALORAN_FUZZ_SEED=" << seed << "), event " << index
                                 << ": " << describe(event);
    // The run really reached the zoom limits, the vertical clamps and the walking limit, and drew
    // frames.
    EXPECT_NE(printed.find("key pressed = "), std::string::npos);
    EXPECT_LE(nearest, 1) << "seed " << seed;
    EXPECT_GT(1.1 * farthest, distanceLimit) << "seed " << seed;
    EXPECT_EQ(lowest, -90) << "seed " << seed;
    EXPECT_EQ(highest, 90) << "seed " << seed;
    EXPECT_GT(widest, 0.9 * distanceLimit) << "seed " << seed;
    EXPECT_GT(glrec::counts().of(glrec::Fn::SwapBuffers), 0) << "seed " << seed;
}

}  // namespace
