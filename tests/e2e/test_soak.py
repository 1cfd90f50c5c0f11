"""A soak of the real program: more than two minutes at time scale 10^8 under a steady, seeded
stream of random key presses and mouse drags, a few per second. It must keep drawing (captures
taken every 15 s differ), stay alive, keep its resident memory flat after the first 20 s, and exit
with status 0 when its window is closed."""

import os
import random
import re
import time

from PIL import ImageChops

import harness

SOAK_SECONDS = 130
SEED = 20240611
EVENT_PAUSE = 0.25  # seconds between events, on top of the time xdotool itself takes
CAPTURE_EVERY = 15.0
MEMORY_EVERY = 1.0
# Resident memory moves up and down by about a megabyte from frame to frame (the allocator and the
# renderer's buffers), so the reference is the highest reading of the ten seconds before 20 s,
# when start-up has settled, and later readings may not pass it by more than the tolerance.
SETTLE_SECONDS = 20.0
MEMORY_TOLERANCE_KB = 2048

# Every key a user can type, named as xdotool knows them: the printable ASCII characters, the
# control keys and control combinations (codes 1 to 26). No key ends the program.
PUNCTUATION = {
    " ": "space", "!": "exclam", '"': "quotedbl", "#": "numbersign", "$": "dollar",
    "%": "percent", "&": "ampersand", "'": "apostrophe", "(": "parenleft", ")": "parenright",
    "*": "asterisk", "+": "plus", ",": "comma", "-": "minus", ".": "period", "/": "slash",
    ":": "colon", ";": "semicolon", "<": "less", "=": "equal", ">": "greater", "?": "question",
    "@": "at", "[": "bracketleft", "\\": "backslash", "]": "bracketright",
    "^": "asciicircum", "_": "underscore", "`": "grave", "{": "braceleft", "|": "bar",
    "}": "braceright", "~": "asciitilde",
}
KEYS = ([chr(c) for c in range(ord("a"), ord("z") + 1)]
        + [chr(c) for c in range(ord("A"), ord("Z") + 1)]
        + [chr(c) for c in range(ord("0"), ord("9") + 1)]
        + list(PUNCTUATION.values())
        + ["BackSpace", "Tab", "Return", "Escape", "Delete"]
        + ["ctrl+%s" % chr(c) for c in range(ord("a"), ord("z") + 1)])

# Buttons held during a drag: left, middle, right, and left with right (the zoom).
DRAG_BUTTONS = [(1,), (2,), (3,), (1, 3)]


def changed(before, after):
    """Whether any pixel differs between two captures."""
    return ImageChops.difference(before, after).getbbox() is not None


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS for process %d" % pid)


class SoakTest(harness.ProgramTestCase):

    def key_presses(self):
        return len(re.findall(r"key pressed = \d+", self.app.stdout.text()))

    def drag(self, rng, buttons):
        """Holds the buttons at a random point and moves in a few random steps."""
        app = self.app
        x, y = rng.randrange(1024), rng.randrange(768)
        app.xdotool("mousemove", "--window", app.window, x, y)
        for button in buttons:
            app.xdotool("mousedown", button)
        for _ in range(rng.randint(2, 6)):
            x = min(1023, max(0, x + rng.randint(-40, 40)))
            y = min(767, max(0, y + rng.randint(-40, 40)))
            app.xdotool("mousemove", "--window", app.window, x, y)
        for button in reversed(buttons):
            app.xdotool("mouseup", button)

    def test_runs_for_minutes_at_the_top_time_scale_under_random_input(self):
        app = self.app
        pid = app.process.pid
        rng = random.Random(SEED)
        time.sleep(1)
        for _ in range(8):
            app.key("bracketright")
        sent = 8

        start = time.monotonic()
        next_capture = start
        next_memory = start
        memory = []  # (seconds since start, VmRSS in kB)
        captures = []
        events = {"keys": 0, "drags": 0}
        while time.monotonic() - start < SOAK_SECONDS:
            self.assertTrue(app.alive(), "the program ended during the soak:\n" +
                            app.stderr.text())
            now = time.monotonic()
            if now >= next_memory:
                memory.append((now - start, resident_kb(pid)))
                next_memory += MEMORY_EVERY
            if now >= next_capture:
                captures.append(app.screenshot("soak"))
                if len(captures) > 1:
                    self.assertTrue(changed(captures[-2], captures[-1]),
                                    "the picture did not change in %.0f s" % CAPTURE_EVERY)
                next_capture += CAPTURE_EVERY
            if rng.random() < 0.75:
                key = rng.choice(KEYS)
                app.key(key)
                sent += 1
                events["keys"] += 1
                if key == "bracketleft":
                    app.key("bracketright")  # back to 10^8 at once
                    sent += 1
            else:
                self.drag(rng, rng.choice(DRAG_BUTTONS))
                events["drags"] += 1
            time.sleep(EVENT_PAUSE)
        elapsed = time.monotonic() - start

        # Every key reached the program: one diagnostic line each.
        deadline = time.monotonic() + harness.patience(10)
        while self.key_presses() < sent and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.key_presses(), sent, "key presses seen by the program")
        self.assertGreaterEqual(elapsed, 120)
        self.assertGreaterEqual(len(captures), 8)
        self.assertGreater(events["drags"], 20)

        settled_kb = max(kb for t, kb in memory if SETTLE_SECONDS - 10 <= t < SETTLE_SECONDS)
        late = [(t, kb) for t, kb in memory if t >= SETTLE_SECONDS]
        peak_t, peak_kb = max(late, key=lambda sample: sample[1])
        with open(os.path.join(harness.ARTEFACTS, "soak-memory.txt"), "w") as log:
            log.write("events %s\n" % events)
            log.writelines("%.1f %d\n" % sample for sample in memory)
        self.assertLessEqual(peak_kb - settled_kb, MEMORY_TOLERANCE_KB,
                             "resident memory grew from at most %d kB before %.0f s to %d kB at %.0f s"
                             % (settled_kb, SETTLE_SECONDS, peak_kb, peak_t))

        self.assertTrue(app.alive())
        app.close_window()
        status = app.wait(timeout=10)
        self.assertIsNotNone(status, "the program did not end within 10 s of the window closing")
        self.assertEqual(status, 0, "exit status %s; stderr:\n%s" % (status, app.stderr.text()))


if __name__ == "__main__":
    harness.main()
