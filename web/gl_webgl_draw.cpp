// The hand-off to WebGL: one shader and one vertex buffer, made once, and each frame's recorded
// lines uploaded and drawn when it is swapped.
#include <cstddef>

#include "web/gl_immediate_state.h"

ImmediateGl gl;

namespace {

GLuint compileShader(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Vertices arrive in clip coordinates, so the shader only passes them on.
constexpr const char* vertexShader = R"(
attribute vec4 clipPosition;
attribute vec4 colour;
varying vec4 lineColour;
void main() {
    gl_Position = clipPosition;
    lineColour = colour;
}
)";

constexpr const char* fragmentShader = R"(
precision mediump float;
varying vec4 lineColour;
void main() {
    gl_FragColor = lineColour;
}
)";

}  // namespace

void startImmediateGl() {
    gl.program = glCreateProgram();
    glAttachShader(gl.program, compileShader(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(gl.program, compileShader(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(gl.program, 0, "clipPosition");
    glBindAttribLocation(gl.program, 1, "colour");
    glLinkProgram(gl.program);
    glUseProgram(gl.program);

    glGenBuffers(1, &gl.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, gl.buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof gl.vertices, nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(ClipVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(ClipVertex),
                          reinterpret_cast<const void*>(offsetof(ClipVertex, rgba)));
}

void drawRecordedFrame() {
    if (gl.vertexCount > 0) {
        glBufferSubData(GL_ARRAY_BUFFER, 0, gl.vertexCount * sizeof(ClipVertex), gl.vertices);
    }
    for (std::int32_t k = 0; k < gl.primitiveCount; ++k) {
        const Primitive& p = gl.primitives[k];
        glDrawArrays(p.mode, p.first, p.count);
    }
    gl.lastFrame.vertices = gl.vertexCount;
    gl.lastFrame.primitives = gl.primitiveCount;
    ++gl.lastFrame.frames;
    gl.vertexCount = 0;
    gl.primitiveCount = 0;
}

const ImmediateFrameCounts& immediateFrameCounts() {
    return gl.lastFrame;
}
