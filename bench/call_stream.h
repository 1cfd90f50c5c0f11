// One frame's GL calls as a flat stream: an opcode per call and all arguments in one array, in
// call order. The recorder writes it as text (one call per line, doubles to 17 digits, so they
// read back exactly); the frame-rate benchmark reads it and replays it in immediate mode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class StreamOp : std::uint8_t {
    Clear,
    Color3f,
    PushMatrix,
    PopMatrix,
    Rotated,
    Translated,
    Begin,
    End,
    Vertex2d,
    Vertex3d,
    LookAt,
    WireSphere,
    SwapBuffers,
};
constexpr int streamOpCount = 13;

struct CallStream {
    std::vector<StreamOp> ops;
    std::vector<double> args;  // every call's arguments, back to back
};

const char* streamOpName(StreamOp op);
int streamOpArgCount(StreamOp op);
// The opcode named `name`, or -1.
int streamOpByName(const std::string& name);

bool writeCallStream(const std::string& path, const CallStream& stream);
// Replaces `stream` with the file's content; false (with a message on stderr) if it is unreadable
// or malformed.
bool readCallStream(const std::string& path, CallStream& stream);
