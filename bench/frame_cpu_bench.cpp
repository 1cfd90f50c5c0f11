// CPU cost of the program's own frame code: displayFrame with every GL call going to a stand-in
// that only counts. Reports the time per frame and, per frame, the vertices, primitives (glBegin)
// and wire spheres the frame sends. For comparison, frameReplayCpu sends the same frame's calls
// from a recorded stream into the same stand-in: the least CPU time that sends this frame.
#include <benchmark/benchmark.h>

#include "bench/bench_scenes.h"
#include "bench/call_replay.h"
#include "bench/gl_null.h"
#include "render/frame.h"

namespace {

void reportCounts(benchmark::State& state) {
    const auto perFrame = benchmark::Counter::kAvgIterations;
    state.counters["vertices"] =
        benchmark::Counter(static_cast<double>(glNullCounts.vertices), perFrame);
    state.counters["primitives"] =
        benchmark::Counter(static_cast<double>(glNullCounts.primitives), perFrame);
    state.counters["spheres"] =
        benchmark::Counter(static_cast<double>(glNullCounts.spheres), perFrame);
    state.counters["glCalls"] =
        benchmark::Counter(static_cast<double>(glNullCounts.calls), perFrame);
}

void frameCpu(benchmark::State& state) {
    const BenchScene which = benchSceneAt(static_cast<int>(state.range(0)));
    setUpBenchScene(which);
    state.SetLabel(benchSceneName(which));
    displayFrame();  // warm-up
    glNullCounts = GlNullCounts{};
    for (auto _ : state) {
        displayFrame();
    }
    reportCounts(state);
}

void frameReplayCpu(benchmark::State& state) {
    const BenchScene which = benchSceneAt(static_cast<int>(state.range(0)));
    setUpBenchScene(which);
    state.SetLabel(benchSceneName(which));
    CallStream stream;
    glNullCapture = &stream;
    displayFrame();
    glNullCapture = nullptr;
    glNullCounts = GlNullCounts{};
    for (auto _ : state) {
        replayCallStream(stream);
    }
    reportCounts(state);
}

BENCHMARK(frameCpu)->DenseRange(0, benchSceneCount - 1);
BENCHMARK(frameReplayCpu)->DenseRange(0, benchSceneCount - 1);

}  // namespace

BENCHMARK_MAIN();
