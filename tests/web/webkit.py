"""Drives the site in WebKitGTK for the browser tests: WebKitWebDriver (Debian's
webkit2gtk-driver) starts MiniBrowser on the given X display and loads the page, plain WebDriver
over HTTP reads the page, and the input is real X events (xdotool, through the XTEST extension)
on MiniBrowser's window, as the desktop tests drive the program: through the driver's actions a
right button released stays held in WebKitGTK 2.50. Pictures are cut from a capture of the
screen by the canvas's rectangle, since the driver's element screenshot misses lines of a WebGL
canvas that the window shows."""

import glob
import json
import os
import socket
import subprocess
import time
import urllib.request

from PIL import Image

# Shipped with libwebkit2gtk-4.1-0, which webkit2gtk-driver depends on.
MINIBROWSER = (glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser") or ["MiniBrowser"])[0]
SERVE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "web", "serve.py")
XDOTOOL_BUTTONS = {"left": 1, "middle": 2, "right": 3}

# Every line the program prints goes through console.log, which WebDriver cannot read: the page
# keeps a copy. Installed after the first frame, before any key, so no line is missed. A refusal
# by the page's Content-Security-Policy is an error too (one before the first frame, which no
# script of the driver's can see, leaves the page without what it refused).
WATCH = """
window.testLines = [];
window.testErrors = [];
const log = console.log;
console.log = (...args) => { testLines.push(args.join(' ')); log(...args); };
for (const kind of ['warn', 'error']) {
  const original = console[kind];
  console[kind] = (...args) => { testErrors.push(args.join(' ')); original(...args); };
}
addEventListener('error', (event) => testErrors.push(String(event.message)));
document.addEventListener('securitypolicyviolation', (event) => testErrors.push(
  `Content-Security-Policy violation: ${event.violatedDirective} refused ${event.blockedURI}`));
"""

PROBE = """
const canvas = document.getElementById('canvas');
const box = canvas.getBoundingClientRect();
return { css: [box.width, box.height], buffer: [canvas.width, canvas.height],
  window: [innerWidth, innerHeight], ratio: devicePixelRatio, scroll: [scrollX, scrollY],
  fullscreen: document.fullscreenElement ? document.fullscreenElement.tagName : null };
"""

READ_STATUS = """
const line = document.getElementById('status');
return { text: line.textContent, numbers: [0, 1, 2, 3, 4, 5].map((k) => Module._webStatus(k)),
  now: performance.now() };
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class WebKit:
    """MiniBrowser showing the site at 1100 x 900, its window at the screen's top left."""

    def __init__(self, display, site, log_path, size=(1100, 900)):
        self.env = dict(os.environ, DISPLAY=display)
        self.log = open(log_path, "wb")
        self.site = subprocess.Popen(["python3", SERVE, site, "0"], stdout=subprocess.PIPE,
                                     stderr=self.log, text=True)
        url = self.site.stdout.readline().strip()
        self.port = free_port()
        self.driver = subprocess.Popen(["WebKitWebDriver", "--port=%d" % self.port], env=self.env,
                                       stdout=self.log, stderr=subprocess.STDOUT)
        self.session = None
        deadline = time.monotonic() + 20
        while True:
            try:
                self._call("GET", "/status")
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)
        options = {"binary": MINIBROWSER, "args": ["--automation"]}
        value = self._call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "webkitgtk:browserOptions": options}}})
        self.session = "/session/" + value["sessionId"]
        self.version = value["capabilities"].get("browserVersion")
        self._call("POST", self.session + "/window/rect",
                   {"x": 0, "y": 0, "width": size[0], "height": size[1]})
        self._call("POST", self.session + "/url", {"url": url})
        self.wait_for("return window.tessaloran && tessaloran.started && "
                      "Module._webFrameCount(0) > 0")
        self.first_frame = time.monotonic()
        self.run(WATCH)
        # With no window manager the keys go to the window under the pointer: a click on the
        # page's margin beside the canvas keeps it there and gives the page the focus.
        left, top, _, _ = self.box("canvas")
        self.xdotool("mousemove", round(left) - 20, round(top) + 100, "click", 1)

    def _call(self, method, path, body=None):
        request = urllib.request.Request(
            "http://127.0.0.1:%d%s" % (self.port, path), method=method,
            data=None if body is None else json.dumps(body).encode(),
            headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=60) as response:
            return json.loads(response.read())["value"]

    def run(self, script, *args):
        return self._call("POST", self.session + "/execute/sync",
                          {"script": script, "args": list(args)})

    def wait_for(self, condition, timeout=60):
        deadline = time.monotonic() + timeout
        while not self.run(condition):
            if time.monotonic() > deadline:
                raise RuntimeError("WebKit: timed out waiting for: " + condition)
            time.sleep(0.1)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=20,
                       capture_output=True)

    def box(self, element_id):
        """The element's (left, top, width, height) on the screen: the page's viewport sits at the
        bottom of the window, under MiniBrowser's toolbar."""
        return self.run("""
const b = document.getElementById(arguments[0]).getBoundingClientRect();
return [screenX + b.left, screenY + outerHeight - innerHeight + b.top, b.width, b.height];
""", element_id)

    def screen_point(self, element_id, x, y):
        left, top, _, _ = self.box(element_id)
        return round(left + x), round(top + y)

    def key(self, *names):
        """Presses and releases each key (xdotool's names), in the focused window."""
        self.xdotool("key", "--delay", 20, *names)

    def drag(self, buttons, points, pause=0.02):
        """A drag over the canvas, `points` in canvas pixels, as the desktop tests drag."""
        left, top, _, _ = self.box("canvas")
        self.xdotool("mousemove", round(left + points[0][0]), round(top + points[0][1]))
        for button in buttons:
            self.xdotool("mousedown", XDOTOOL_BUTTONS[button])
        for x, y in points[1:]:
            time.sleep(pause)
            self.xdotool("mousemove", round(left + x), round(top + y))
        for button in reversed(buttons):
            self.xdotool("mouseup", XDOTOOL_BUTTONS[button])

    def screenshot(self, path, overlay=False):
        """The canvas as the screen shows it, the names over it left out unless `overlay`;
        returns the program's age then (s): the model time elapsed, which is real time until a
        time key is pressed."""
        left, top, width, height = (round(v) for v in self.box("canvas"))
        age = "return Module._webStatus(1)"
        # Without the names over the picture (a frame's time to leave the screen).
        names = "document.getElementById('names-layer').style.visibility = arguments[0]"
        if not overlay:
            self.run(names, "hidden")
            time.sleep(0.1)
        before = self.run(age)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       timeout=30, capture_output=True)
        moment = (before + self.run(age)) / 2
        self.run(names, "")
        with Image.open(path) as image:
            image.convert("RGB").crop((left, top, left + width, top + height)).save(path)
        return moment

    def click(self, element_id):
        """A left click at the element's top left corner, scrolled into view first."""
        self.run("document.getElementById(arguments[0]).scrollIntoView()", element_id)
        x, y = self.screen_point(element_id, 10, 10)
        self.xdotool("mousemove", x, y, "click", 1)

    def probe(self):
        """The canvas's CSS and drawing-buffer sizes, the window's, and the full-screen element."""
        return self.run(PROBE)

    def status(self):
        return self.run(READ_STATUS)

    def lines(self):
        return self.run("return testLines")

    def errors(self):
        return self.run("return testErrors")

    def close(self):
        if self.session:
            try:
                self._call("DELETE", self.session)
            except OSError:
                pass
        for process in (self.driver, self.site):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.site.stdout.close()
        self.log.close()
