// Records one frame of each benchmark scene through the recording GL stand-in and writes its
// call stream to DIR/<scene>.calls, for bench_frame_rate to replay as the floor.
//
//   bench_record_frames DIR
#include <cstdio>
#include <string>

#include "bench/bench_scenes.h"
#include "bench/call_stream.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"

namespace {

// Maps each recorded call to its stream opcode; false for a call a frame should not make.
bool toStreamOp(glrec::Fn fn, StreamOp& op) {
    switch (fn) {
        case glrec::Fn::Clear:
            op = StreamOp::Clear;
            return true;
        case glrec::Fn::Color3f:
            op = StreamOp::Color3f;
            return true;
        case glrec::Fn::PushMatrix:
            op = StreamOp::PushMatrix;
            return true;
        case glrec::Fn::PopMatrix:
            op = StreamOp::PopMatrix;
            return true;
        case glrec::Fn::Rotated:
            op = StreamOp::Rotated;
            return true;
        case glrec::Fn::Translated:
            op = StreamOp::Translated;
            return true;
        case glrec::Fn::Begin:
            op = StreamOp::Begin;
            return true;
        case glrec::Fn::End:
            op = StreamOp::End;
            return true;
        case glrec::Fn::Vertex2d:
            op = StreamOp::Vertex2d;
            return true;
        case glrec::Fn::Vertex3d:
            op = StreamOp::Vertex3d;
            return true;
        case glrec::Fn::LookAt:
            op = StreamOp::LookAt;
            return true;
        case glrec::Fn::WireSphere:
            op = StreamOp::WireSphere;
            return true;
        case glrec::Fn::SwapBuffers:
            op = StreamOp::SwapBuffers;
            return true;
        default:
            return false;
    }
}

bool recordScene(BenchScene which, const std::string& dir) {
    setUpBenchScene(which);
    glrec::reset();
    displayFrame();  // the frame-rate benchmark also draws once before it measures
    glrec::clearRecords();
    displayFrame();
    if (!glrec::ok() || glrec::modelviewDepth() != 1) {
        std::fprintf(stderr, "%s: the recorded frame is not clean: %s, modelview depth %d\n",
                     benchSceneName(which), glrec::errorSummary().c_str(), glrec::modelviewDepth());
        return false;
    }

    CallStream stream;
    for (const glrec::Call& call : glrec::records()) {
        StreamOp op{};
        if (!toStreamOp(call.fn, op) || call.argCount != streamOpArgCount(op)) {
            std::fprintf(stderr, "%s: unexpected call %s in a frame\n", benchSceneName(which),
                         glrec::fnName(call.fn));
            return false;
        }
        stream.ops.push_back(op);
        stream.args.insert(stream.args.end(), call.args, call.args + call.argCount);
    }
    const std::string path = dir + "/" + benchSceneName(which) + ".calls";
    if (!writeCallStream(path, stream)) {
        return false;
    }
    const glrec::Counts& counts = glrec::counts();
    std::int64_t primitives = 0;
    for (std::int64_t n : counts.primitives) {
        primitives += n;
    }
    std::printf("%s: %zu calls, %lld vertices, %lld primitives, %lld spheres -> %s\n",
                benchSceneName(which), stream.ops.size(), static_cast<long long>(counts.vertices),
                static_cast<long long>(primitives),
                static_cast<long long>(counts.of(glrec::Fn::WireSphere)), path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    for (int i = 0; i < benchSceneCount; ++i) {
        if (!recordScene(benchSceneAt(i), argv[1])) {
            return 1;
        }
    }
    return 0;
}
