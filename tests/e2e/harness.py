"""Runs the real TESSALORAN program under a private Xvfb server and drives it as a person would.

A test file builds on `ProgramTestCase`: each test gets a fresh X server and program
(`self.app`, an `App`), and everything is stopped afterwards even when the test fails. Run a
test file as

    /usr/bin/python3 tests/e2e/test_NAME.py --binary build/tessaloran --artefacts DIR

(CTest does this for every tests/e2e/test_*.py and tests/desktop/test_*.py). Screenshots and the
program's output are kept in DIR. Standard library, PIL and python-xlib only.
"""

import argparse
import os
import re
import subprocess
import sys
import threading
import time
import unittest

from PIL import Image
from Xlib import X, display as xdisplay
from Xlib.protocol import event as xevent

SCREEN = (1280, 1024)

# Where everything runs slower, every wait for the program grows by this factor: an emulated
# machine (scripts/test-on-debian.sh --arch arm64) sets TESSALORAN_TIME_SCALE=10.
TIME_SCALE = float(os.environ.get("TESSALORAN_TIME_SCALE", "1"))


def patience(seconds):
    """`seconds` of waiting for the program, scaled for the machine."""
    return seconds * TIME_SCALE

# Filled in by main() from the command line.
BINARY = None
ARTEFACTS = None
GL_FAULT = None


class XServer:
    """A private Xvfb on a display number it picks itself (-displayfd). It does not reset when its
    last client leaves (-noreset): a test that starts the program anew would otherwise connect
    during the reset now and then, and be turned away."""

    def __init__(self, name):
        read_end, write_end = os.pipe()
        self.log = open(os.path.join(ARTEFACTS, "%s.xvfb.log" % name), "wb")
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % SCREEN, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL,
            stdout=self.log, stderr=subprocess.STDOUT)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + patience(20)
        with os.fdopen(read_end, "rb") as pipe:
            # Xvfb writes the number and a newline once it accepts connections.
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip().isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not report a display")
        self.name = ":" + number.strip().decode()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


class OutputReader:
    """Collects a pipe's bytes on a thread. Some diagnostic lines have no line end, so the raw
    bytes are kept and split on demand."""

    def __init__(self, pipe):
        self._pipe = pipe
        self._data = bytearray()
        self._lock = threading.Lock()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        fd = self._pipe.fileno()
        while True:
            chunk = os.read(fd, 65536)
            if not chunk:
                break
            with self._lock:
                self._data += chunk

    def text(self):
        with self._lock:
            return self._data.decode("utf-8", errors="replace")

    def lines(self):
        """Every line so far, the last one even without its line end."""
        return self.text().splitlines()

    def close(self, timeout=5):
        """Waits for the end of the output (the writer has exited) and closes the pipe."""
        self._thread.join(timeout)
        if not self._thread.is_alive():
            self._pipe.close()


class App:
    """The program under test, its window and the ways to drive it."""

    def __init__(self, server, name, environment=None):
        self.server = server
        self.name = name
        env = dict(os.environ, DISPLAY=server.name, LIBGL_ALWAYS_SOFTWARE="1")
        env.update(environment or {})
        self.env = {key: value for key, value in env.items() if value is not None}
        self.process = subprocess.Popen(
            [BINARY], env=self.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.stdout = OutputReader(self.process.stdout)
        self.stderr = OutputReader(self.process.stderr)
        self.xlib = xdisplay.Display(server.name)
        self.window = None
        self._shots = 0

    # --- the window -------------------------------------------------------------------------

    def xdotool(self, *args, timeout=20):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env,
                                timeout=patience(timeout),
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise RuntimeError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                          result.stderr.strip()))
        return result.stdout

    def find_windows(self, timeout=20):
        """Ids of the windows whose title starts with TESSALORAN, waiting up to `timeout` seconds
        for the first; fails at once if the program has ended."""
        deadline = time.monotonic() + patience(timeout)
        while True:
            if not self.alive():
                raise RuntimeError("the program ended with status %s before showing a window:\n%s"
                                   % (self.process.returncode, self.stderr.text()))
            try:
                out = self.xdotool("search", "--sync", "--name", "^TESSALORAN", timeout=1)
                return [int(line) for line in out.split()]
            except subprocess.TimeoutExpired:
                if time.monotonic() > deadline:
                    raise RuntimeError("no TESSALORAN window within %s s" % patience(timeout))

    def wait_for_window(self, timeout=20):
        self.window = self.find_windows(timeout)[0]
        return self.window

    def _xwindow(self, window=None):
        return self.xlib.create_resource_object("window", window or self.window)

    def title(self, window=None):
        return self._xwindow(window).get_wm_name()

    def geometry(self, window=None):
        """(x, y, width, height) of the window, position relative to the screen."""
        xwin = self._xwindow(window)
        size = xwin.get_geometry()
        origin = xwin.translate_coords(self.xlib.screen().root, 0, 0)
        return (-origin.x, -origin.y, size.width, size.height)

    def top_level_windows(self):
        """Ids of the viewable children of the root window (no window manager runs here)."""
        root = self.xlib.screen().root
        return [child.id for child in root.query_tree().children
                if child.get_attributes().map_state == X.IsViewable]

    # --- input ------------------------------------------------------------------------------

    def key(self, *keys):
        """Presses and releases each key, e.g. key('plus'), key('Up', 'Up')."""
        self.xdotool("key", "--window", self.window, *keys)

    def type(self, text):
        self.xdotool("type", "--window", self.window, text)

    def drag(self, start, end, button=1, steps=10, pause=0.02):
        """Presses `button` at `start` (window coordinates), moves to `end` in small steps and
        releases it there."""
        self.xdotool("mousemove", "--window", self.window, start[0], start[1])
        self.xdotool("mousedown", button)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            time.sleep(pause)
            self.xdotool("mousemove", "--window", self.window, x, y)
        time.sleep(pause)
        self.xdotool("mouseup", button)

    # --- output -----------------------------------------------------------------------------

    def screenshot(self, label="shot"):
        """Captures the window into the artefact folder and returns it as an RGB PIL image."""
        self._shots += 1
        path = os.path.join(ARTEFACTS, "%s-%02d-%s.png" % (self.name, self._shots, label))
        subprocess.run(["import", "-window", str(self.window), path], env=self.env, check=True,
                       timeout=patience(30), capture_output=True)
        with Image.open(path) as image:
            return image.convert("RGB")

    def wait_for_output(self, pattern, timeout=10):
        """Waits until the program's stdout matches `pattern` (a regular expression) and returns
        the match."""
        deadline = time.monotonic() + patience(timeout)
        while True:
            match = re.search(pattern, self.stdout.text())
            if match or time.monotonic() > deadline:
                return match
            time.sleep(0.05)

    def alive(self):
        return self.process.poll() is None

    # --- ending -----------------------------------------------------------------------------

    def close_window(self):
        """Asks the window to close as a window manager's close button does: a WM_DELETE_WINDOW
        ClientMessage, sent to the client that owns the window."""
        protocols = self.xlib.intern_atom("WM_PROTOCOLS")
        delete = self.xlib.intern_atom("WM_DELETE_WINDOW")
        message = xevent.ClientMessage(window=self._xwindow(), client_type=protocols,
                                       data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        self._xwindow().send_event(message, event_mask=0)
        self.xlib.flush()

    def wait(self, timeout):
        """Exit status, or None if the program is still running after `timeout` seconds."""
        try:
            return self.process.wait(timeout=patience(timeout))
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        """Ends the program if it still runs and saves its output to the artefact folder."""
        if self.alive():
            self.process.kill()
            self.process.wait()
        self.stdout.close()
        self.stderr.close()
        for stream, reader in (("stdout", self.stdout), ("stderr", self.stderr)):
            with open(os.path.join(ARTEFACTS, "%s.%s.txt" % (self.name, stream)), "w") as f:
                f.write(reader.text())
        try:
            self.xlib.close()
        except Exception:  # the server may already be gone
            pass


class ProgramTestCase(unittest.TestCase):
    """Starts Xvfb and the program before each test, stops both after it. A test case sets
    `environment` for variables of its own in the program's environment (None leaves one out)."""

    environment = None

    def setUp(self):
        name = self.id().split(".")[-1]
        self.server = XServer(name)
        self.addCleanup(self.server.stop)
        self.app = App(self.server, name, self.environment)
        self.addCleanup(self.app.stop)  # runs first: the program goes before its server
        self.app.wait_for_window()


def main():
    """Entry point of a test file: reads --binary, --artefacts and --gl-fault, runs its unittest
    cases and exits non-zero if any failed."""
    global BINARY, ARTEFACTS, GL_FAULT
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True, help="the built tessaloran program")
    parser.add_argument("--artefacts", required=True, help="folder for screenshots and logs")
    parser.add_argument("--gl-fault", help="the library that makes the program's GL fail")
    options, rest = parser.parse_known_args()
    BINARY = os.path.abspath(options.binary)
    ARTEFACTS = os.path.abspath(options.artefacts)
    GL_FAULT = options.gl_fault and os.path.abspath(options.gl_fault)
    os.makedirs(ARTEFACTS, exist_ok=True)
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)
