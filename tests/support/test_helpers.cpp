#include "tests/support/test_helpers.h"

#include <GL/gl.h>

#include <cmath>
#include <iomanip>
#include <sstream>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/init_scene.h"
#include "tests/support/test_clock.h"

namespace {

template <class Point>
std::string format(const Point& p) {
    std::ostringstream text;
    text << std::setprecision(21) << "(" << p.x << ", " << p.y << ", " << p.z << ")";
    return text.str();
}

template <class Point, class Real>
testing::AssertionResult near(const Point& actual, const Point& expected, Real tolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance &&
        std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << format(actual) << " is not within " << static_cast<double>(tolerance) << " of "
           << format(expected);
}

}  // namespace

void startScene(std::int32_t startMs) {
    resetScene();
    useTestClock(startMs);
    initScene();
}

void advanceClock(std::uint32_t ms) {
    testClockMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(testClockMs) + ms);
}

void idleAfter(std::uint32_t ms) {
    advanceClock(ms);
    onIdle();
}

void runSomeWeeks() {
    scene.timeScale = 1e6;
    for (int tick = 0; tick < 3; ++tick) {
        idleAfter(1000);
    }
}

// Appended piece by piece: GCC 12 at -O3 misreads "literal" + std::string as an overlapping copy.
std::string where(const char* array, int k, int j) {
    std::string text = array;
    text.append("[").append(std::to_string(k)).append("]");
    if (j >= 0) {
        text.append("[").append(std::to_string(j)).append("]");
    }
    return text;
}

void forEachAdvancedRecord(
    const SceneState& before,
    const std::function<void(const BodyRecord&, const BodyRecord&, const std::string&)>& visit) {
    for (int k = 0; k < maxSlots; ++k) {
        visit(scene.stars[k], before.stars[k], where("stars", k));
        visit(scene.planets[k], before.planets[k], where("planets", k));
        for (int j = 0; j < scene.planets[k].count; ++j) {
            visit(scene.moons[k][j], before.moons[k][j], where("moons", k, j));
        }
    }
}

std::string press(std::string_view keys) {
    return printed([keys] {
        for (const char key : keys) {
            onKeyboard(static_cast<unsigned char>(key), 0, 0);
        }
    });
}

std::vector<glrec::Call> recorded() {
    const auto calls = glrec::records();
    return {calls.begin(), calls.end()};
}

std::vector<glrec::Call> recordOf(const std::function<void()>& draw) {
    glrec::reset();
    draw();
    return recorded();
}

std::vector<glrec::Call> callsOf(const std::vector<glrec::Call>& calls, glrec::Fn fn) {
    std::vector<glrec::Call> found;
    for (const glrec::Call& call : calls) {
        if (call.fn == fn) {
            found.push_back(call);
        }
    }
    return found;
}

glrec::Mat4 startFromSomeFrame() {
    glrec::reset();
    glTranslated(5, -3, 2);
    glRotated(20, 1, 2, 3);
    glrec::clearRecords();
    return glrec::modelview();
}

std::vector<Shape> shapesOf(const std::vector<glrec::Call>& calls) {
    std::vector<Shape> shapes;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const glrec::Call& call = calls[i];
        if (call.fn == glrec::Fn::Begin) {
            shapes.push_back({static_cast<int>(call.args[0]), i, 0, call.color});
        } else if ((call.fn == glrec::Fn::Vertex2d || call.fn == glrec::Fn::Vertex3d) &&
                   !shapes.empty()) {
            ++shapes.back().vertices;
        }
    }
    return shapes;
}

double ringRadius(const glrec::Call& vertex) {
    return std::hypot(vertex.args[0], vertex.args[2]);
}

bool isColor(glrec::Color c, float r, float g, float b) {
    return c.r == r && c.g == g && c.b == b;
}

testing::AssertionResult callIs(const glrec::Call& call, glrec::Fn fn,
                                std::initializer_list<double> args) {
    if (call.fn != fn) {
        return testing::AssertionFailure()
               << glrec::fnName(call.fn) << " where " << glrec::fnName(fn) << " was expected";
    }
    if (call.argCount != args.size()) {
        return testing::AssertionFailure()
               << glrec::fnName(fn) << " with " << static_cast<int>(call.argCount) << " arguments";
    }
    int i = 0;
    for (const double expected : args) {
        if (call.args[i] != expected) {
            return testing::AssertionFailure() << glrec::fnName(fn) << " argument " << i << " is "
                                               << call.args[i] << ", expected " << expected;
        }
        ++i;
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult stackRestored(const glrec::Mat4& before) {
    if (!glrec::ok()) {
        return testing::AssertionFailure() << glrec::errorSummary();
    }
    if (glrec::modelviewDepth() != 1) {
        return testing::AssertionFailure() << "modelview depth " << glrec::modelviewDepth();
    }
    if (glrec::modelview() != before) {
        return testing::AssertionFailure() << "modelview matrix changed";
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult pointNear(glrec::Point3 actual, glrec::Point3 expected, double tolerance) {
    return near(actual, expected, tolerance);
}

testing::AssertionResult vecNear(const Vec3& actual, const Vec3& expected, long double tolerance) {
    return near(actual, expected, tolerance);
}

testing::AssertionResult sameVec(const Vec3& actual, const Vec3& expected) {
    if (actual.x == expected.x && actual.y == expected.y && actual.z == expected.z) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << format(actual) << " differs from " << format(expected);
}
