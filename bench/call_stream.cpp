#include "bench/call_stream.h"

#include <cstdio>
#include <cstring>

namespace {

struct OpInfo {
    const char* name;
    int argCount;
};

constexpr OpInfo opInfo[streamOpCount] = {
    {"glClear", 1},         {"glColor3f", 3},    {"glPushMatrix", 0}, {"glPopMatrix", 0},
    {"glRotated", 4},       {"glTranslated", 3}, {"glBegin", 1},      {"glEnd", 0},
    {"glVertex2d", 2},      {"glVertex3d", 3},   {"gluLookAt", 9},    {"glutWireSphere", 3},
    {"glutSwapBuffers", 0},
};

}  // namespace

const char* streamOpName(StreamOp op) {
    return opInfo[static_cast<int>(op)].name;
}

int streamOpArgCount(StreamOp op) {
    return opInfo[static_cast<int>(op)].argCount;
}

int streamOpByName(const std::string& name) {
    for (int i = 0; i < streamOpCount; ++i) {
        if (name == opInfo[i].name) {
            return i;
        }
    }
    return -1;
}

bool writeCallStream(const std::string& path, const CallStream& stream) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::size_t next = 0;
    for (StreamOp op : stream.ops) {
        std::fputs(streamOpName(op), file);
        for (int i = 0; i < streamOpArgCount(op); ++i) {
            std::fprintf(file, " %.17g", stream.args[next++]);
        }
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

bool readCallStream(const std::string& path, CallStream& stream) {
    stream = CallStream{};
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    char name[64];
    int line = 0;
    bool good = true;
    while (std::fscanf(file, "%63s", name) == 1) {
        ++line;
        const int op = streamOpByName(name);
        if (op < 0) {
            std::fprintf(stderr, "%s:%d: unknown call %s\n", path.c_str(), line, name);
            good = false;
            break;
        }
        stream.ops.push_back(static_cast<StreamOp>(op));
        for (int i = 0; i < streamOpArgCount(static_cast<StreamOp>(op)); ++i) {
            double value = 0;
            if (std::fscanf(file, "%lf", &value) != 1) {
                std::fprintf(stderr, "%s:%d: %s lacks an argument\n", path.c_str(), line, name);
                good = false;
                break;
            }
            stream.args.push_back(value);
        }
        if (!good) {
            break;
        }
    }
    std::fclose(file);
    if (good && stream.ops.empty()) {
        std::fprintf(stderr, "%s: no calls\n", path.c_str());
        good = false;
    }
    return good;
}
