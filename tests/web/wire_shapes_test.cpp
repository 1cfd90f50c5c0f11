// The wire globe and torus against real freeglut. The client-array GL entry points below are
// defined in this executable and exported, so libglut's calls land here instead of in libGL:
// each glDrawElements / glDrawArrays is recorded as its mode and the vertex floats it draws,
// read through the pointer freeglut last gave glVertexPointer. Needs a display (run under Xvfb).
#include "web/wire_shapes.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Primitive {
    int mode;
    std::vector<float> vertices;  // x, y, z per vertex, in drawing order
};

struct Recorder {
    bool vertexArrayOn = false;
    const float* vertexPointer = nullptr;
    std::vector<Primitive> primitives;
    std::vector<std::string> faults;  // calls the recording cannot read faithfully
} recorder;

void recordPrimitive(GLenum mode, const std::vector<int>& indices) {
    if (!recorder.vertexArrayOn || recorder.vertexPointer == nullptr) {
        recorder.faults.push_back("draw without an enabled vertex array");
        return;
    }
    Primitive p{static_cast<int>(mode), {}};
    for (int index : indices) {
        const float* v = recorder.vertexPointer + 3 * index;
        p.vertices.insert(p.vertices.end(), v, v + 3);
    }
    recorder.primitives.push_back(std::move(p));
}

}  // namespace

extern "C" {

void glEnableClientState(GLenum cap) {
    if (cap == GL_VERTEX_ARRAY) {
        recorder.vertexArrayOn = true;
    }
}

void glDisableClientState(GLenum cap) {
    if (cap == GL_VERTEX_ARRAY) {
        recorder.vertexArrayOn = false;
    }
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (size != 3 || type != GL_FLOAT || stride != 0) {
        recorder.faults.push_back("vertex array not tightly packed float x, y, z");
    }
    recorder.vertexPointer = static_cast<const float*>(pointer);
}

void glNormalPointer(GLenum, GLsizei, const GLvoid*) {}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    if (type != GL_UNSIGNED_SHORT) {
        recorder.faults.push_back("indices not unsigned short");
        return;
    }
    const auto* first = static_cast<const GLushort*>(indices);
    recordPrimitive(mode, std::vector<int>(first, first + count));
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    std::vector<int> indices;
    for (int i = 0; i < count; ++i) {
        indices.push_back(first + i);
    }
    recordPrimitive(mode, indices);
}

}  // extern "C"

namespace {

void openWindowOnce() {
    static const bool opened = [] {
        char name[] = "wire_shapes_test";
        char* argv[] = {name, nullptr};
        int argc = 1;
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
        glutCreateWindow(name);
        return true;
    }();
    (void)opened;
}

// The shape's strips, expanded the same way as the recording.
std::vector<Primitive> expand(const WireShape& shape) {
    std::vector<Primitive> out;
    for (int s = 0; s < shape.stripCount; ++s) {
        const WireStrip& strip = shape.strips[s];
        Primitive p{strip.mode, {}};
        for (int k = strip.first; k < strip.first + strip.count; ++k) {
            const float* v = shape.vertices + 3 * shape.indices[k];
            p.vertices.insert(p.vertices.end(), v, v + 3);
        }
        out.push_back(std::move(p));
    }
    return out;
}

// Equal modes and bit-identical floats (so -0 differs from 0), naming the first difference.
testing::AssertionResult sameLines(const std::vector<Primitive>& freeglut,
                                   const std::vector<Primitive>& built) {
    if (freeglut.size() != built.size()) {
        return testing::AssertionFailure() << "freeglut draws " << freeglut.size()
                                           << " primitives, the shape has " << built.size();
    }
    for (std::size_t p = 0; p < built.size(); ++p) {
        const Primitive& want = freeglut[p];
        const Primitive& got = built[p];
        if (want.mode != got.mode || want.vertices.size() != got.vertices.size()) {
            return testing::AssertionFailure()
                   << "primitive " << p << ": freeglut mode " << want.mode << " with "
                   << want.vertices.size() / 3 << " vertices, shape mode " << got.mode << " with "
                   << got.vertices.size() / 3;
        }
        for (std::size_t c = 0; c < got.vertices.size(); ++c) {
            if (std::bit_cast<std::uint32_t>(want.vertices[c]) !=
                std::bit_cast<std::uint32_t>(got.vertices[c])) {
                return testing::AssertionFailure()
                       << "primitive " << p << " vertex " << c / 3 << " coordinate "
                       << "xyz"[c % 3] << ": freeglut " << want.vertices[c] << ", shape "
                       << got.vertices[c] << std::hexfloat << " (" << want.vertices[c] << " vs "
                       << got.vertices[c] << ")";
            }
        }
    }
    return testing::AssertionSuccess();
}

struct Case {
    bool torus;
    double a, b;  // sphere: radius; torus: inner and outer radius
    int n1, n2;   // sphere: slices, stacks; torus: sides, rings
};

WireShape shape;  // about 80 KB, kept off the stack

TEST(WireShapes, DrawTheLinesFreeglutDraws) {
    openWindowOnce();
    const Case cases[] = {
        // The program's globes: the Sun, Mercury, the Moon.
        {false, 696000, 0, 15, 15},
        {false, 2439.7, 0, 15, 15},
        {false, 1737.4, 0, 15, 15},
        // Small, odd, degenerate and signed arguments; zero radius exposes the sign of zeros.
        {false, 1, 0, 3, 2},
        {false, 0.3, 0, 7, 5},
        {false, 1, 0, 1, 2},
        {false, 1, 0, 1, 1},
        {false, 1, 0, 0, 15},
        {false, 1, 0, 15, 0},
        {false, 1, 0, -1, 3},
        {false, 1, 0, -2, 2},
        {false, 0, 0, 4, 4},
        {false, -3, 0, 5, 4},
        // At the capacity: all indices, all vertices, all strips.
        {false, 6371, 0, 64, 64},
        {false, 1, 0, 2, 1023},
        {true, 0.5, 1.0, 8, 16},
        {true, 0.5, 1.0, 8, 1},
        {true, 0.5, 1.0, 1, 16},
        {true, 0, 0, 0, 0},
        {true, 2, 3, 2, 2},
        {true, 1, 10, 3, 5},
        {true, 0, 0, 4, 3},
        {true, 0.3, 7, 64, 64},
        {true, 1, 2, 2, 1022},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.torus ? "torus " : "sphere ") << c.a << " " << c.b
                                        << " " << c.n1 << " x " << c.n2);
        recorder.primitives.clear();
        recorder.faults.clear();
        bool built = false;
        if (c.torus) {
            glutWireTorus(c.a, c.b, c.n1, c.n2);
            built = buildWireTorus(shape, c.a, c.b, c.n1, c.n2);
        } else {
            glutWireSphere(c.a, c.n1, c.n2);
            built = buildWireSphere(shape, c.a, c.n1, c.n2);
        }
        EXPECT_TRUE(recorder.faults.empty()) << recorder.faults.front();
        ASSERT_TRUE(built);
        EXPECT_TRUE(sameLines(recorder.primitives, expand(shape)));
    }
}

// Too large for the fixed arrays, by vertices, indices or strips alone, or beyond int: false and
// an empty shape, even over a shape filled before.
TEST(WireShapes, RefuseWhatExceedsTheCapacity) {
    const Case cases[] = {
        {false, 1, 0, 100, 100}, {false, 1, 0, 1, 5000},          {false, 1, 0, 4096, 2},
        {false, 1, 0, 2, 1024},  {false, 1, 0, INT_MAX, INT_MAX}, {true, 1, 2, 65, 64},
        {true, 1, 2, 2, 1023},   {true, 1, 2, INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n1 << " x " << c.n2);
        ASSERT_TRUE(buildWireSphere(shape, 1, 15, 15));
        const bool built = c.torus ? buildWireTorus(shape, c.a, c.b, c.n1, c.n2)
                                   : buildWireSphere(shape, c.a, c.n1, c.n2);
        EXPECT_FALSE(built);
        EXPECT_EQ(shape.vertexCount + shape.indexCount + shape.stripCount, 0);
    }
}

}  // namespace
