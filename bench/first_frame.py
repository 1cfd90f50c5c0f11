"""Times TESSALORAN's start-up: from spawning the program to the first frame it swaps into its
window, under a private Xvfb server.

    /usr/bin/python3 bench/first_frame.py BINARY DRIVER [--runs N]

Each round runs the program twice, once as the user gets it (GALLIUM_DRIVER unset, so the line
probe runs) and once with GALLIUM_DRIVER=DRIVER set by hand (nothing probed), alternating which
goes first. DRIVER is the driver the default run ends up with: llvmpipe where Mesa's llvmpipe
draws the probe's lines, softpipe where it drops them. Prints the median of each side and what
the default runs said on standard error; the program's standard output is discarded unread.

The first frame is seen from the X server: every top-level window gets a DAMAGE object as soon
as it is created, and the first damage reported is the first frame, since the program's window
has no background to paint and the probe's window is never mapped nor drawn into.
Standard library and python-xlib only.
"""

import argparse
import os
import select
import statistics
import subprocess
import time

from Xlib import X, display as xdisplay
from Xlib.ext import damage

TIMEOUT = 30  # seconds; a run without a frame by then fails the benchmark


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:
        number = pipe.readline().strip()
    if not number.isdigit():
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number.decode()


def time_first_frame(binary, name, environment):
    """Seconds from spawning the program to the first damage in one of its top-level windows,
    and what it printed on standard error."""
    x = xdisplay.Display(name)
    x.damage_query_version()  # a client must ask before it uses the extension
    # Ignores the error of a window that is gone before its DAMAGE object is made.
    x.set_error_handler(lambda *_: None)
    x.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
    x.sync()
    start = time.monotonic()
    program = subprocess.Popen([binary], env=environment, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = None
    try:
        while seconds is None:
            while x.pending_events() == 0:
                left = start + TIMEOUT - time.monotonic()
                if left <= 0 or program.poll() is not None:
                    raise RuntimeError("no frame from %s (status %s)" % (binary, program.poll()))
                select.select([x], [], [], min(left, 0.5))
            event = x.next_event()
            if event.type == X.CreateNotify:
                event.window.damage_create(damage.DamageReportNonEmpty)
                x.flush()
            elif event.type == x.extension_event.DamageNotify:
                seconds = time.monotonic() - start
    finally:
        program.terminate()
        said = program.communicate(timeout=10)[1].decode(errors="replace")
        x.close()
    return seconds, said


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary")
    parser.add_argument("driver", help="the GALLIUM_DRIVER the default run ends up with")
    parser.add_argument("--runs", type=int, default=10)
    arguments = parser.parse_args()

    server, name = start_xvfb()
    try:
        base = {k: v for k, v in os.environ.items() if k != "GALLIUM_DRIVER"}
        base["DISPLAY"] = name
        sides = {"default": base, "hand-set": dict(base, GALLIUM_DRIVER=arguments.driver)}
        times = {side: [] for side in sides}
        said = set()
        for run in range(arguments.runs):
            order = list(sides) if run % 2 == 0 else list(reversed(sides))
            for side in order:
                seconds, stderr = time_first_frame(arguments.binary, name, sides[side])
                times[side].append(seconds)
                if side == "default":
                    said.add(stderr.strip())
    finally:
        server.terminate()
        server.wait()

    default = statistics.median(times["default"])
    chosen = statistics.median(times["hand-set"])
    print("runs per side: %d; load average at the end: %s"
          % (arguments.runs, open("/proc/loadavg").read().split()[0]))
    for side in sides:
        print("%-8s median %.3f s  (%s)" % (side, statistics.median(times[side]),
                                            " ".join("%.3f" % t for t in sorted(times[side]))))
    print("default - hand-set (GALLIUM_DRIVER=%s): %+.3f s" % (arguments.driver, default - chosen))
    for line in sorted(said):
        print("default run said: %s" % (line or "(nothing)"))


if __name__ == "__main__":
    main()
