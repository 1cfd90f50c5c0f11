#!/usr/bin/env bash
# Builds the benchmarks and measures every benchmark scene: the CPU cost of the frame code (GL
# calls going to a stand-in that only counts) and the frame rate of the real drawing under Mesa's
# software renderer (llvmpipe) in a 1024 x 768 window, against the floor of replaying the same
# frame's recorded GL calls. Prints one table.
#
#   scripts/bench.sh [--build-dir DIR] [--rounds N] [--frames N]
#
# DIR defaults to build/. --rounds and --frames go to bench_frame_rate: each side of each scene is
# measured over rounds x frames frames (default 20 x 30). Without DISPLAY, a private Xvfb server
# is started for the run. The machine should be otherwise idle: the two sides are measured in
# alternating blocks, but a busy machine still widens the spread of the rounds.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/xvfb.sh"
build_dir="$repo/build"
rate_options=()
while (($# > 0)); do
    case "$1" in
    --build-dir)
        build_dir="$(realpath -m "$2")"
        shift 2
        ;;
    --rounds | --frames)
        rate_options+=("$1" "$2")
        shift 2
        ;;
    *)
        echo "usage: scripts/bench.sh [--build-dir DIR] [--rounds N] [--frames N]" >&2
        exit 2
        ;;
    esac
done

# Installs what is missing and configures; only the benchmark programs are built.
"$repo/scripts/setup.sh" --target bench_frame_rate "$build_dir" -DTESSALORAN_BENCHMARKS=ON >&2
cmake --build "$build_dir" -j2 --target bench_frame_cpu bench_record_frames >&2

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    stopProcess "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

if [[ -z "${DISPLAY:-}" ]]; then
    startXvfb "$work" bench
fi

bench="$build_dir/bench"
echo "bench: recording each scene's frame" >&2
"$bench/bench_record_frames" "$work" >&2
echo "bench: CPU cost of the frame code" >&2
"$bench/bench_frame_cpu" --benchmark_format=json --benchmark_out="$work/cpu.json" \
    --benchmark_out_format=json >/dev/null
echo "bench: frame rates under llvmpipe ${rate_options[*]}" >&2
LIBGL_ALWAYS_SOFTWARE=1 "$bench/bench_frame_rate" --streams "$work" "${rate_options[@]}" \
    >"$work/rate.txt"

/usr/bin/python3 - "$work/cpu.json" "$work/rate.txt" <<'PYTHON'
import json
import sys

cpu = {}
replay = {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[run["time_unit"]]
    target = cpu if run["name"].startswith("frameCpu/") else replay
    target[run["label"]] = dict(run, ns=run["cpu_time"] * scale)

renderer = ""
rates = []
for line in open(sys.argv[2]):
    if line.startswith("renderer:"):
        renderer = line.split(":", 1)[1].strip()
    if line.startswith("RESULT "):
        _, scene, program, floor, ratio, low, high, frames, differing = line.split()
        rates.append((scene, float(program), float(floor), float(ratio), float(low),
                      float(high), int(frames), int(differing)))

model = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo")
              if l.startswith("model name")), "?")
cores = sum(1 for l in open("/proc/cpuinfo") if l.startswith("processor"))
print(f"machine: {model}, {cores} cores; renderer: {renderer}; window 1024 x 768")
print(f"load average at the end: {open('/proc/loadavg').read().split()[0]}")
header = ("scene", "program fps", "floor fps", "ratio", "round ratios", "CPU ns/frame", "replay ns/frame",
          "CPU share", "vertices", "primitives", "spheres")
print("| " + " | ".join(header) + " |")
print("|" + "---|" * len(header))
for scene, program, floor, ratio, low, high, frames, differing in rates:
    c = cpu[scene]
    share = c["ns"] * program / 1e9
    note = "" if differing == 0 else f" ({differing} pixels differ from the replay)"
    print(f"| {scene} | {program:.1f} | {floor:.1f} | {ratio:.3f} | {low:.2f}-{high:.2f} | "
          f"{c['ns']:.0f} | "
          f"{replay[scene]['ns']:.0f} | {100 * share:.1f}% | {c['vertices']:.0f} | "
          f"{c['primitives']:.0f} | {c['spheres']:.0f} |{note}")
print(f"frames per measurement: {rates[0][6] if rates else 0}; round ratios: the lowest and "
      "highest ratio of single rounds; CPU share = CPU ns/frame x program fps, the part of a "
      "frame spent in the program's own frame code")
PYTHON
