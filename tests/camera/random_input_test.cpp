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
#include <string>
#include <string_view>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

// Every bound key, so that bindings come up far more often than among 256 codes.
constexpr std::string_view boundKeys = "\b!#$%&'()*+-234689;@[]^adswxz";

// Blocks of 2000 events take turns between mixed input and runs where half the events press one of
// a few keys: zooming in, zooming out, walking (right after zooming out, so the steps are long)
// and raising and lowering the eye. Every limit is reached whatever the seed.
std::string_view heavyKeys(int index) {
    static const char* const phases[] = {"", "+z", "", "-x", "8462", "w", "", "s"};
    return phases[(index / 2000) % std::size(phases)];
}

// Mostly a small motion from the last position; sometimes far away or at the ends of int.
int coordinate(std::mt19937& random, int last) {
    auto uniform = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int kind = uniform(0, 9);
    if (kind < 4) {
        const int choices[] = {INT_MIN, INT_MAX, uniform(INT_MIN, INT_MAX),
                               uniform(-100000, 100000)};
        return choices[kind];
    }
    return static_cast<int>(std::clamp<long long>(1LL * last + uniform(-3, 3), INT_MIN, INT_MAX));
}

// Runs one random event and returns its description.
std::string runEvent(std::mt19937& random, std::string_view heavy) {
    auto uniform = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto key = [](int code) {
        onKeyboard(static_cast<unsigned char>(code), 0, 0);
        return "onKeyboard(" + std::to_string(code) + ")";
    };
    auto oneOf = [&uniform](std::string_view keys) {
        return static_cast<unsigned char>(keys[uniform(0, static_cast<int>(keys.size()) - 1)]);
    };
    if (!heavy.empty() && uniform(0, 1) == 0) {
        return key(oneOf(heavy));
    }
    const int roll = uniform(0, 99);
    if (roll < 35) {
        return key(uniform(0, 1) == 0 ? oneOf(boundKeys) : uniform(0, 255));
    }
    if (roll < 50) {
        const int button = uniform(0, 9) < 8 ? uniform(0, 2) : uniform(INT_MIN, INT_MAX);
        const int state = uniform(0, 9) < 9 ? uniform(0, 1) : uniform(-5, 5);
        const int x = coordinate(random, scene.lastMouseX);
        const int y = coordinate(random, scene.lastMouseY);
        onMouseButton(button, state, x, y);
        return "onMouseButton(" + std::to_string(button) + ", " + std::to_string(state) + ", " +
               std::to_string(x) + ", " + std::to_string(y) + ")";
    }
    if (roll < 88) {
        const int x = coordinate(random, scene.lastMouseX);
        const int y = coordinate(random, scene.lastMouseY);
        onMouseDrag(x, y);
        return "onMouseDrag(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
    if (roll < 98) {
        // No time, a frame's worth, or long pauses up to nearly the 32-bit clock's half range.
        const int longest[] = {0, 50, 100000, 10000000, 2000000000};
        const int top = longest[uniform(0, 4)];
        const int ms = top == 0 ? 0 : uniform(1, top);
        idleAfter(static_cast<std::uint32_t>(ms));
        return "onIdle after " + std::to_string(ms) + " ms";
    }
    glrec::reset();
    glrec::setMode(glrec::Mode::Counting);
    displayFrame();
    return glrec::ok() && glrec::modelviewDepth() == 1 ? "displayFrame" : "unbalanced displayFrame";
}

bool powerOfTen(double value, int largestExponent) {
    for (int i = 0; i <= largestExponent; ++i) {
        if (value == std::pow(10.0, i)) {
            return true;
        }
    }
    return false;
}

// The first broken rule, or an empty string.
std::string problem() {
    const SceneState& s = scene;
    if (s.followBody < -1 || s.followBody > 9 || s.viewBody < -1 || s.viewBody > 9) {
        return "selection out of range";
    }
    if (!powerOfTen(s.timeScale, 8) || !powerOfTen(s.globeScale, 4)) {
        return "scale not a power of ten in range";
    }
    if (s.leftButtonDown > 1 || s.middleButtonDown > 1 || s.rightButtonDown > 1) {
        return "button flag neither 0 nor 1";
    }
    const long double camera[] = {s.eye.x,          s.eye.y,          s.eye.z,
                                  s.zoomStep.x,     s.zoomStep.y,     s.zoomStep.z,
                                  s.followOffset.x, s.followOffset.y, s.followOffset.z,
                                  s.refHoriz,       s.refTilt};
    if (!std::all_of(std::begin(camera), std::end(camera),
                     [](long double v) { return std::isfinite(v); })) {
        return "camera value not finite";
    }
    if (!(s.viewDistance > 0 && s.viewDistance <= distanceLimit)) {
        return "viewDistance " + std::to_string(static_cast<double>(s.viewDistance));
    }
    if (!(s.viewDirHoriz > -360 && s.viewDirHoriz < 360 && s.viewDirVert >= -90 &&
          s.viewDirVert <= 90)) {
        return "view direction out of range";
    }
    if (!vecNear(s.zoomStep, Vec3{-0.1 * s.eye.x, -0.1 * s.eye.y, -0.1 * s.eye.z},
                 1e-12 * s.viewDistance)) {
        return "zoomStep is not -0.1 x eye";
    }
    const long double a = s.gridScaleA;
    const long double b = s.gridScaleB;
    if (!(a > 0 && b > 0 && std::fabs(std::max(a, b) / std::min(a, b) - 5) <= 1e-9 &&
          s.gridExtentA == 2 * a && s.gridExtentB == 2 * b)) {
        return "grids not a factor 5 apart";
    }
    for (int k = 0; k < maxSlots; ++k) {
        for (const BodyRecord& r : s.moons[k]) {
            if (!std::isfinite(r.orbitAngle + r.spinAngle)) {
                return "moon angle not finite in slot " + std::to_string(k);
            }
        }
        for (const BodyRecord* r : {&s.levels[k], &s.stars[k], &s.planets[k]}) {
            if (!std::isfinite(r->orbitAngle + r->spinAngle)) {
                return "record angle not finite in slot " + std::to_string(k);
            }
        }
    }
    for (int i = s.firstLiveShell; i < s.shellCount; ++i) {
        const LightShell& shell = s.lightShells[i];
        if (!std::isfinite(shell.age + shell.radius + shell.drift)) {
            return "light shell " + std::to_string(i) + " not finite";
        }
    }
    return "";
}

TEST(CameraRandomInput, StateStaysInRangeUnderRandomEvents) {
    const char* seedText = std::getenv("TESSALORAN_FUZZ_SEED");
    const std::uint32_t seed = seedText != nullptr && *seedText != '\0'
                                   ? static_cast<std::uint32_t>(std::strtoul(seedText, nullptr, 0))
                                   : 20240611;
    startScene();
    std::mt19937 random(seed);
    long double nearest = scene.viewDistance;
    long double farthest = nearest;
    long double lowest = scene.viewDirVert;
    long double highest = lowest;
    long double widest = 0;
    int frames = 0;
    testing::internal::CaptureStdout();  // the diagnostic lines of tens of thousands of events
    for (int index = 0; index < 50000; ++index) {
        const std::string event = runEvent(random, heavyKeys(index));
        const std::string failure =
            event == "unbalanced displayFrame" ? glrec::errorSummary() : problem();
        if (!failure.empty()) {
            testing::internal::GetCapturedStdout();
            FAIL() << failure << "\n  seed " << seed << " (TESSALORAN_FUZZ_SEED=" << seed
                   << "), event " << index << ": " << event;
        }
        frames += event == "displayFrame" ? 1 : 0;
        nearest = std::min(nearest, scene.viewDistance);
        farthest = std::max(farthest, scene.viewDistance);
        lowest = std::min(lowest, scene.viewDirVert);
        highest = std::max(highest, scene.viewDirVert);
        widest =
            std::max({widest, std::fabs(scene.followOffset.x), std::fabs(scene.followOffset.z)});
    }
    EXPECT_NE(testing::internal::GetCapturedStdout().find("key pressed = "), std::string::npos);
    // The run reached the zoom limits, the vertical clamps and the walking limit, and drew frames.
    EXPECT_LE(nearest, 1) << "seed " << seed;
    EXPECT_GT(1.1 * farthest, distanceLimit) << "seed " << seed;
    EXPECT_EQ(lowest, -90) << "seed " << seed;
    EXPECT_EQ(highest, 90) << "seed " << seed;
    EXPECT_GT(widest, 0.9 * distanceLimit) << "seed " << seed;
    EXPECT_GT(frames, 0) << "seed " << seed;
}

}  // namespace
