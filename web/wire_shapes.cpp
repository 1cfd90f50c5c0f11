// Builds the wire sphere and torus the way freeglut 3.4 does: sample a circle in float, form each
// vertex from float products, index the lines with unsigned shorts. Every rounding step follows
// freeglut's so that the vertices come out bit for bit the same.
#include "wire_shapes.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

// Sample i of freeglut's circle table for n (sign of n = direction; half = 0..pi instead of
// 0..2 pi). The angle step is float, multiplied by i in float; sin and cos are taken in double
// and rounded to float. Sample 0 is exactly (0, 1) and the last sample closes the circle exactly.
struct CircleSample {
    float sin;
    float cos;
};

CircleSample circleSample(int n, int i, bool half) {
    const int size = std::abs(n);
    if (i == 0 || (i == size && !half)) {
        return {0.0f, 1.0f};
    }
    if (i == size) {
        return {0.0f, -1.0f};
    }
    const float pi = static_cast<float>(std::numbers::pi);
    const float angle = static_cast<float>(half ? 1 : 2) * pi / static_cast<float>(n == 0 ? 1 : n);
    const double a = static_cast<double>(angle * static_cast<float>(i));
    return {static_cast<float>(std::sin(a)), static_cast<float>(std::cos(a))};
}

void clear(WireShape& shape) {
    shape.vertexCount = 0;
    shape.indexCount = 0;
    shape.stripCount = 0;
}

bool fits(long long vertices, long long indices, long long strips) {
    return vertices <= wireMaxVertices && indices <= wireMaxIndices && strips <= wireMaxStrips;
}

void addVertex(WireShape& shape, float x, float y, float z) {
    float* v = shape.vertices + 3 * shape.vertexCount++;
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

void beginStrip(WireShape& shape, int mode) {
    shape.strips[shape.stripCount++] = {mode, shape.indexCount, 0};
}

void addIndex(WireShape& shape, int index) {
    shape.indices[shape.indexCount++] = static_cast<unsigned short>(index);
    ++shape.strips[shape.stripCount - 1].count;
}

}  // namespace

bool buildWireSphere(WireShape& shape, double radius, int slices, int stacks) {
    clear(shape);
    if (slices <= 0 || stacks < 2) {
        return true;
    }
    const long long vertexCount = static_cast<long long>(slices) * (stacks - 1) + 2;
    if (!fits(vertexCount, 2LL * slices * stacks, static_cast<long long>(slices) + stacks - 1)) {
        return false;
    }
    const float r = static_cast<float>(radius);

    // Top pole, then each stack boundary from the top, going round the slices clockwise seen
    // from +z (the slice circle is sampled with -slices), then the bottom pole.
    // The slice circle's samples are worked out once, not once per stack: the same values.
    static CircleSample around[wireMaxVertices];
    for (int j = 0; j < slices; ++j) {
        around[j] = circleSample(-slices, j, false);
    }
    addVertex(shape, 0.0f, 0.0f, r);
    for (int i = 1; i < stacks; ++i) {
        const CircleSample polar = circleSample(stacks, i, true);
        for (int j = 0; j < slices; ++j) {
            const float x = around[j].cos * polar.sin;
            const float y = around[j].sin * polar.sin;
            const float z = polar.cos;
            addVertex(shape, x * r, y * r, z * r);
        }
    }
    addVertex(shape, 0.0f, 0.0f, -r);

    const int bottom = static_cast<int>(vertexCount) - 1;
    for (int j = 0; j < slices; ++j) {
        beginStrip(shape, wireLineStrip);
        addIndex(shape, 0);
        for (int i = 0; i < stacks - 1; ++i) {
            addIndex(shape, 1 + j + i * slices);
        }
        addIndex(shape, bottom);
    }
    for (int i = 0; i < stacks - 1; ++i) {
        beginStrip(shape, wireLineLoop);
        for (int j = 0; j < slices; ++j) {
            addIndex(shape, 1 + i * slices + j);
        }
    }
    return true;
}

bool buildWireTorus(WireShape& shape, double innerRadius, double outerRadius, int sides,
                    int rings) {
    clear(shape);
    if (sides < 2 || rings < 2) {
        return true;
    }
    const long long vertexCount = static_cast<long long>(sides) * rings;
    if (!fits(vertexCount, 2 * vertexCount, static_cast<long long>(sides) + rings)) {
        return false;
    }
    const float inner = static_cast<float>(innerRadius);
    const float outer = static_cast<float>(outerRadius);

    // Ring by ring round the axis, side by side round the tube (the tube circle sampled with
    // -sides). The product and the sum are separate statements so that no compiler fuses them
    // into one multiply-add, which would round once instead of twice.
    static CircleSample tube[wireMaxVertices];
    for (int i = 0; i < sides; ++i) {
        tube[i] = circleSample(-sides, i, false);
    }
    for (int j = 0; j < rings; ++j) {
        const CircleSample psi = circleSample(rings, j, false);
        for (int i = 0; i < sides; ++i) {
            const float tubeOffset = tube[i].cos * inner;
            const float distance = outer + tubeOffset;
            addVertex(shape, psi.cos * distance, psi.sin * distance, tube[i].sin * inner);
        }
    }

    for (int j = 0; j < rings; ++j) {
        beginStrip(shape, wireLineLoop);
        for (int i = 0; i < sides; ++i) {
            addIndex(shape, j * sides + i);
        }
    }
    for (int i = 0; i < sides; ++i) {
        beginStrip(shape, wireLineLoop);
        for (int j = 0; j < rings; ++j) {
            addIndex(shape, j * sides + i);
        }
    }
    return true;
}
