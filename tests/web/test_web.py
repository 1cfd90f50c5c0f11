"""The web build held to the desktop program: the site in headless Chromium (driven by
browser.mjs) and the real program under Xvfb get the same key presses and drags, and must print
the same diagnostic stream and show the same picture, line for line within 2 px in every colour.
The status line is checked against the desktop program's state after the same keys, as
tests/web/state_after_keys prints it. test_engines.py holds Firefox ESR and WebKitGTK to the same
with this file's cases and helpers.

    /usr/bin/python3 tests/web/test_web.py --binary build/tessaloran --site SITE_DIR \
        --state STATE_AFTER_KEYS --artefacts DIR
"""

import json
import math
import os
import random
import re
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import harness  # noqa: E402
import picture  # noqa: E402
from PIL import ImageChops  # noqa: E402

SITE = None  # from --site
STATE_AFTER_KEYS = None  # from --state
VIEWPORT = (1100, 900)  # room for the full 1024 x 768 canvas
COLOURS = ("red", "white", "yellow", "green")

# The same physical presses on both sides: puppeteer's key names and xdotool's. Every bound key,
# then unbound ones (the arrow prints nothing on either side); the keypad digits are typed with
# Num Lock on. `[` comes after `]` so time runs at 1x again for the rest.
KEYS = [
    ("a", "a"), ("d", "d"), ("d", "d"), ("w", "w"), ("s", "s"), ("z", "z"), ("x", "x"),
    ("Shift+Equal", "shift+equal"), ("-", "minus"), ("Shift+3", "shift+3"), ("Shift+0", "shift+0"),
    ("Shift+1", "shift+1"), ("Shift+2", "shift+2"), ("Shift+4", "shift+4"),
    ("Shift+5", "shift+5"), ("Shift+6", "shift+6"), ("Shift+7", "shift+7"),
    ("Shift+8", "shift+8"), ("Shift+9", "shift+9"), ("8", "8"), ("2", "2"), ("4", "4"),
    ("6", "6"), ("9", "9"), ("3", "3"), ("Backspace", "BackSpace"), ("a", "a"),
    ("Backspace", "BackSpace"), ("]", "bracketright"), ("[", "bracketleft"),
    ("'", "apostrophe"), (";", "semicolon"),
    ("q", "q"), ("Shift+a", "shift+a"), ("Control+b", "ctrl+b"), ("Tab", "Tab"),
    ("Enter", "Return"), ("Escape", "Escape"), ("Delete", "Delete"), ("Space", "space"),
    ("ArrowLeft", "Left"), ("Numpad8", "KP_8"), ("Numpad4", "KP_4"), ("Numpad9", "KP_9"),
    ("Shift+Quote", "shift+apostrophe"), ("q", "q"),
]
SILENT = {"ArrowLeft"}

BUTTONS = {"left": 1, "middle": 2, "right": 3}

# Keys for the status line (puppeteer's name, xdotool's, the byte the program gets): time 10^6
# times faster, the Earth followed, globes 100 times larger, three zooms in; then Pluto followed
# and released, which leaves its plane levelled, time back to 10^3 and a zoom out.
STATUS_KEYS = ([("]", "bracketright", "]")] * 6 + [("Shift+3", "shift+3", "#")] +
               [("'", "apostrophe", "'")] * 2 + [("z", "z", "z")] * 3)
STATUS_KEYS_AFTER = ([("Shift+9", "shift+9", "("), ("Backspace", "BackSpace", "\b")] +
                     [("[", "bracketleft", "[")] * 3 + [("x", "x", "x")])
BODIES = ["Sun", "Mercury", "Venus", "Earth", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune",
          "Pluto"]
UNITS = {"year": 365.25 * 86400, "day": 86400, "hour": 3600, "minute": 60, "second": 1}


def status_actions():
    """The status keys with the line read after them: twice a second apart at 10^6 times real
    time ("first", "later"), and once after the second keys ("after")."""
    return ([{"key": key} for key, _, _ in STATUS_KEYS] +
            [{"wait": 600}, {"status": "first"}, {"wait": 1000}, {"status": "later"}] +
            [{"key": key} for key, _, _ in STATUS_KEYS_AFTER] +
            [{"wait": 600}, {"status": "after"}])


def desktop_state(keys, seconds=None):
    """The desktop program's state after the key bytes `keys` (and `seconds` of model time)."""
    extra = [] if seconds is None else [repr(seconds)]
    run = subprocess.run([STATE_AFTER_KEYS, keys] + extra, capture_output=True, text=True,
                         check=True, timeout=30)
    return json.loads(run.stdout.splitlines()[-1])


def pressed_codes(stream):
    """The key bytes the program got, from its diagnostic stream."""
    return "".join(chr(int(code)) for code in re.findall(r"key pressed = (\d+)", stream))


def path(start, end, steps=10):
    """A drag's press point and `steps` distinct moves along the straight line to `end`."""
    return [(start[0] + (end[0] - start[0]) * i // steps,
             start[1] + (end[1] - start[1]) * i // steps) for i in range(steps + 1)]


# Each button combination, with moves along both axes, so every drag branch steps.
DRAGS = [
    (["right"], path((200, 600), (800, 300))),
    (["left", "right"], path((500, 600), (520, 300))),
    (["left", "right"], path((500, 300), (480, 500), 6)),
    (["middle"], path((300, 300), (700, 650))),
    (["left"], path((900, 600), (1000, 600))),
    (["middle", "right"], path((700, 200), (300, 500))),
]


def browse(name, actions, viewport=VIEWPORT, touch=False, webgl=True, scale=1, display=None,
           url=None, worker_drawing=True, languages=None, hash=None, base=None):
    """Runs browser.mjs on the site (at `url` instead if given, under the path `base` if given)
    with the actions (on a touch screen if `touch`, in a browser without WebGL unless `webgl`,
    at device pixel ratio `scale`; in Firefox on the X `display` if one is given; with the page
    drawing itself unless `worker_drawing`; with the browser's `languages`, "pl-PL,pl", if
    given; opened with the fragment #`hash` if given); returns its JSON result."""
    out = os.path.join(harness.ARTEFACTS, name + "-web")
    where = ["--url", url] if url else ["--site", SITE]
    command = ["node", os.path.join(HERE, "browser.mjs")] + where + ["--out", out,
               "--viewport", "%dx%d" % viewport, "--scale", str(scale)] + (
                   ["--touch", "1"] if touch else []) + ([] if webgl else ["--webgl", "0"]) + (
                   ["--engine", "firefox"] if display else []) + (
                   [] if worker_drawing else ["--worker-drawing", "0"]) + (
                   ["--languages", languages] if languages else []) + (
                   ["--hash", hash] if hash else []) + (
                   ["--base", base] if base else [])
    env = dict(os.environ, DISPLAY=display) if display else None
    run = subprocess.run(command, input=json.dumps(actions), capture_output=True, text=True,
                         timeout=300, env=env)
    if run.returncode != 0:
        raise RuntimeError("browser.mjs failed:\n" + run.stderr)
    with open(os.path.join(out, "result.json"), "w") as f:
        f.write(run.stdout)
    return json.loads(run.stdout)


def web_capture(result, name):
    shot = picture.Capture(picture.Image.open(result["screenshots"][name]))
    shot.moment = result["times"][name] / 1000
    return shot


def desktop_drag(app, buttons, points, pause=0.02):
    app.xdotool("mousemove", "--window", app.window, *points[0])
    for button in buttons:
        app.xdotool("mousedown", BUTTONS[button])
    for x, y in points[1:]:
        time.sleep(pause)
        app.xdotool("mousemove", "--window", app.window, x, y)
    for button in reversed(buttons):
        app.xdotool("mouseup", BUTTONS[button])


def seen(a, b, colour):
    """Where `b` accounts for `a`'s pixels of `colour`: within 2 px of its own pixels of that
    colour, or within 2 px of a line of another colour that both pictures draw there. A line that
    runs along another beneath it is covered in one picture and peeks out beside it in the other,
    as the two GLs step the top line a pixel apart; a line drawn in the wrong colour is not
    excused, since `a` has no line of `b`'s colour there."""
    allowed = b.near(colour)
    for other in COLOURS:
        if other != colour:
            allowed = ImageChops.lighter(
                allowed, ImageChops.multiply(b.near(other), a.near(other)))
    return allowed


class BrowserCase(unittest.TestCase):
    """Runs the site in the browser and the desktop program for a test, and compares them."""

    def setUp(self):
        self.name = self.id().split(".")[-1]

    def desktop(self):
        """The real program under its own Xvfb, stopped after the test."""
        server = harness.XServer(self.name)
        self.addCleanup(server.stop)
        app = harness.App(server, self.name)
        self.addCleanup(app.stop)
        app.wait_for_window()
        self.started = time.monotonic()
        picture.capture_until(app, "first", picture.drawn)
        return app

    def desktop_around(self, app, moment, label, slack=0.5):
        """The desktop's captures taken within `slack` seconds of `moment` seconds after its
        window appeared. At 1x the planets move less than a pixel in a minute, but the Sun's
        light shell grows by a pixel every 0.12 s, so pictures are compared at the same age."""
        time.sleep(max(0.0, self.started + moment - slack - time.monotonic()))
        shots = []
        while True:
            shot = picture.capture(app, label)
            shot.moment = sum(shot.taken_at) / 2 - self.started
            if shot.moment > moment + slack:
                break
            if shot.moment >= moment - slack:
                shots.append(shot)
        self.assertTrue(shots, "no desktop capture within %.1f s of %.1f s" % (slack, moment))
        return shots

    def settled(self, app, quiet=0.7, timeout=20):
        """The program's output once it has not changed for `quiet` seconds."""
        deadline = time.monotonic() + timeout
        text, since = app.stdout.text(), time.monotonic()
        while time.monotonic() - since < quiet and time.monotonic() < deadline:
            time.sleep(0.05)
            if app.stdout.text() != text:
                text, since = app.stdout.text(), time.monotonic()
        return text

    def assertClean(self, result):
        """No page error, failed request, console warning or error."""
        self.assertEqual(result["errors"], [])
        self.assertEqual(result["failedRequests"], [])
        bad = [m for m in result["console"] if m["type"] not in ("log", "info", "debug")]
        self.assertEqual(bad, [], "console warnings or errors")

    def assertSameStream(self, desktop_text, result):
        """The console's messages are the desktop's completed stdout lines, byte for byte."""
        lines = desktop_text[:desktop_text.rindex("\n") + 1]
        web = "".join(m["text"] + "\n" for m in result["console"] if m["type"] == "log")
        self.assertEqual(web, lines)

    def assertStatusReads(self, status, before=""):
        """Each status reading names what the desktop program's state holds after the same keys
        (`before`, then the status keys), and the elapsed model time grows at the time scale."""
        keys = before + "".join(c for _, _, c in STATUS_KEYS)
        for name, pressed in (("first", keys),
                              ("after", keys + "".join(c for _, _, c in STATUS_KEYS_AFTER))):
            state, read = desktop_state(pressed), status[name]
            parts = read["text"].split(" · ")
            self.assertEqual(len(parts), 5, read["text"])
            followed, levelled = state["followBody"], state["viewBody"]
            following = "following " + (BODIES[followed] if followed >= 0 else "no body")
            if levelled >= 0 and levelled != followed:
                following += ", %s's plane levelled" % BODIES[levelled]
            self.assertEqual([parts[0], parts[2], parts[3]],
                             ["time ×{:,}".format(round(state["timeScale"])), following,
                              "globes ×{:,}".format(round(state["globeScale"]))])
            km, au = re.fullmatch(r"([\d,]+) km \(([\d.]+) AU\) from the look-at point",
                                  parts[4]).groups()
            self.assertAlmostEqual(int(km.replace(",", "")), state["viewDistance"], delta=1)
            self.assertAlmostEqual(float(au), state["viewDistance"] / 149600000, delta=1e-4)
            # The words round the elapsed time down to their smaller unit, and may be up to a
            # rewrite (0.25 s of real time) behind the program, and a timer's lateness more on a
            # busy machine (0.35 s in all was seen with two test runs sharing 2 cores).
            words = re.fullmatch(r"([\d,]+) (\w+?)s?(?: (\d+) (\w+?)s?)? elapsed", parts[1])
            self.assertIsNotNone(words, parts[1])
            seconds = int(words[1].replace(",", "")) * UNITS[words[2]] + (
                int(words[3]) * UNITS[words[4]] if words[3] else 0)
            elapsed = read["numbers"][1]
            self.assertLessEqual(seconds, elapsed, parts[1])
            self.assertGreater(seconds + UNITS[words[4] or words[2]] + 0.5 * state["timeScale"],
                               elapsed, parts[1])
        first, later = status["first"], status["later"]
        rate = (later["numbers"][1] - first["numbers"][1]) / (later["now"] - first["now"]) * 1000
        self.assertTrue(0.6e6 < rate < 1.4e6, "model seconds per second: %g" % rate)
        if "rewrites" in later:
            rewrites = later["rewrites"] - first["rewrites"]
            self.assertLessEqual(rewrites, 4 * (later["now"] - first["now"]) / 1000 + 1)
            self.assertGreater(rewrites, 0, "the elapsed time was not rewritten")

    def assertSamePicture(self, desktops, web, label):
        """Each colour's pixels in the web picture lie within 2 px of the same colour in the
        desktop's, and the other way round, for the desktop capture nearest in age that matches
        best."""
        def stray(desktop):
            return {(colour, name): (picture.outside(a.mask(colour), seen(a, b, colour)),
                                     a.count(colour))
                    for colour in COLOURS
                    for name, a, b in (("web", web, desktop), ("desktop", desktop, web))}

        def badness(found):
            figures, desktop = found
            return sum(n for n, _ in figures.values()), abs(desktop.moment - web.moment)

        figures, desktop = min(((stray(d), d) for d in desktops), key=badness)
        self.assertEqual(desktop.image.size, web.image.size)
        print("%s (web at %.2f s, desktop at %.2f s): %s; %d pixels differ" % (
            label, web.moment, desktop.moment,
            ", ".join("%s %s %d/%d away" % (c, n, k, total)
                      for (c, n), (k, total) in figures.items()),
            picture.differing(desktop, web)), file=sys.stderr)
        # A colour may be out of view in both pictures (the Sun's yellow, with a planet
        # followed); one that shows in only one of them leaves all its pixels away.
        self.assertGreater(sum(total for _, total in figures.values()), 0, "two black pictures")
        for (colour, name), (away, total) in figures.items():
            self.assertEqual(away, 0, "%s: %d of the %s picture's %d %s pixels are more than "
                             "2 px from the other's" % (label, away, name, total, colour))



class WebTest(BrowserCase):
    """The same presses, drags and window sizes give the same stream and pictures. The picture
    tests run the browser first and then catch the desktop at the same age."""

    def test_start_picture_matches_the_desktop(self):
        # Drawn in a worker, and by the page itself as where workers cannot draw.
        for worker_drawing in (True, False):
            with self.subTest(worker_drawing=worker_drawing):
                web = browse(self.name, [{"at": 3000}, {"screenshot": "start"},
                                         {"probe": "start"}], worker_drawing=worker_drawing)
                self.assertClean(web)
                self.assertEqual(web["probes"]["start"]["buffer"], [1024, 768])
                start = web_capture(web, "start")
                app = self.desktop()
                self.assertSamePicture(self.desktop_around(app, start.moment, "start"), start,
                                       "start")
                app.stop()

    def test_status_line_reads_the_programs_state(self):
        web = browse(self.name, status_actions())
        self.assertClean(web)
        self.assertStatusReads(web["status"])

    def test_full_screen_fills_the_window_and_leaving_restores_the_page(self):
        drag = {"drag": ["right"], "path": path((100, 100), (400, 200), 5)}
        web = browse(self.name, [
            {"probe": "page"}, {"click": "#fullscreen"}, {"wait": 500}, {"probe": "full"},
            {"screenshot": "full"}, {"key": "z"}, drag, {"key": "q"},
            {"click": "#fullscreen"}, {"wait": 500}, {"probe": "by button"},
            {"click": "#fullscreen"}, {"wait": 500}, {"exitFullscreen": True}, {"wait": 500},
            {"probe": "by the browser"}], viewport=(1100, 1100), scale=2)
        self.assertClean(web)
        page, full = web["probes"]["page"], web["probes"]["full"]
        # Headless Chromium's screen is its window.
        self.assertEqual((full["fullscreen"], full["css"]), ("MAIN", full["window"]))
        self.assertEqual(full["buffer"], [2 * n for n in full["window"]])
        for name in ("by button", "by the browser"):
            back = web["probes"][name]
            self.assertEqual([back[k] for k in ("fullscreen", "css", "buffer", "box", "scroll")],
                             [None] + [page[k] for k in ("css", "buffer", "box", "scroll")], name)
        # The program drew at the new size: the Sun sits at the picture's centre.
        xs, ys = zip(*picture.pixels_of(web_capture(web, "full").mask("yellow")))
        self.assertLess(math.dist((sum(xs) / len(xs), sum(ys) / len(ys)),
                                  [n / 2 for n in full["buffer"]]), 0.03 * full["buffer"][0])
        # Keys and drags reach the program in full screen.
        stream = "".join(m["text"] + "\n" for m in web["console"])
        self.assertEqual(re.findall(r"key pressed = (\d+)", stream), ["122", "113"])
        self.assertEqual(stream.count("view dir horiz"), len(drag["path"]) - 1)

    def test_without_webgl_the_page_says_so(self):
        web = browse(self.name, [], webgl=False)
        self.assertClean(web)
        page = web["probes"]["page"]
        self.assertTrue(page["missingWebGl"])
        self.assertEqual((page["css"], page["frames"]), ([0, 0], 0))

    def test_keys_print_the_desktop_stream(self):
        app = self.desktop()
        app.xdotool("key", "Num_Lock")
        app.key(*[x11 for _, x11 in KEYS])
        presses = len([key for key, _ in KEYS if key not in SILENT])
        deadline = time.monotonic() + 20
        while app.stdout.text().count("key pressed") < presses and time.monotonic() < deadline:
            time.sleep(0.05)
        desktop = self.settled(app)
        self.assertEqual(desktop.count("key pressed"), presses, desktop)
        web = browse(self.name, [{"key": key} for key, _ in KEYS])
        self.assertClean(web)
        self.assertSameStream(desktop, web)

    def test_drags_step_the_camera_as_on_the_desktop(self):
        web = browse(self.name, [{"drag": b, "path": p} for b, p in DRAGS] +
                     [{"key": "q"}, {"at": 10000}, {"screenshot": "dragged"}])
        self.assertClean(web)
        shot = web_capture(web, "dragged")
        app = self.desktop()
        for buttons, points in DRAGS:
            desktop_drag(app, buttons, points)
        app.key("q")  # ends the last line of view directions
        shots = self.desktop_around(app, shot.moment, "dragged")
        desktop = self.settled(app)
        # Each motion with the right button alone turns the view once.
        turns = sum(len(p) - 1 for b, p in DRAGS if "right" in b and "left" not in b)
        self.assertEqual(desktop.count("view dir horiz"), turns, desktop)
        self.assertSameStream(desktop, web)
        self.assertSamePicture(shots, shot, "after the drags")

    def test_narrower_window_refits_the_picture(self):
        # 640 px of room beside the page's 8 px margins: the largest 4:3 canvas is 640 x 480.
        web = browse(self.name, [{"probe": "wide"}, {"viewport": [656, 900]}, {"at": 4000},
                                 {"probe": "narrow"}, {"screenshot": "narrow"}])
        self.assertClean(web)
        self.assertEqual(web["probes"]["wide"]["css"], [1024, 768])
        narrow = web["probes"]["narrow"]
        self.assertEqual((narrow["css"], narrow["buffer"]), ([640, 480], [640, 480]))
        app = self.desktop()
        app.xdotool("windowsize", app.window, 640, 480)
        shot = web_capture(web, "narrow")
        self.assertSamePicture(self.desktop_around(app, shot.moment, "narrow"), shot, "640 x 480")



# Touch gestures, and the drags that stand for them. The pinch's fingers spread about a fixed
# midpoint and the pan's move together, so each is decided as such at its first move.
ONE_FINGER = path((200, 600), (800, 300))
PINCH = [path((450, 400), (350, 450), 8), path((550, 400), (650, 350), 8)]
PAN = [path((300, 300), (500, 450), 8), path((400, 300), (600, 450), 8)]
# On-screen keys (their data-key) and the same presses for xdotool.
TAPS = [(93, "bracketright"), (35, "shift+3"), (122, "z"), (122, "z"), (97, "a"), (56, "8")]
BOUND_KEYS = {8, 33, 35, 36, 37, 38, 39, 40, 41, 42, 50, 51, 52, 54, 56, 57, 59, 64, 91, 93,
              94, 97, 100, 115, 119, 120, 122}


def midpoint(a, b):
    return ((a[0] + b[0]) // 2, (a[1] + b[1]) // 2)


def pinch_pointer(fingers):
    """The left-and-right drag a pinch stands for: from the fingers' first midpoint, straight up
    by the growth of their distance (rounded half up, as the page rounds)."""
    a, b = fingers
    start = midpoint(a[0], b[0])
    first = math.dist(a[0], b[0])
    return [start] + [(start[0], math.floor(start[1] - (math.dist(p, q) - first) + 0.5))
                      for p, q in zip(a[1:], b[1:])]


class TouchTest(BrowserCase):
    """Fingers and on-screen keys on a touch screen do what the drags and keys they stand for do
    on the desktop: the same stream and the same picture."""

    def test_one_finger_is_the_right_button_drag(self):
        web = browse(self.name, [{"touch": [ONE_FINGER]}, {"key": "q"}], touch=True)
        self.assertClean(web)
        app = self.desktop()
        desktop_drag(app, ["right"], ONE_FINGER)
        app.key("q")
        desktop = self.settled(app)
        self.assertEqual(desktop.count("view dir horiz"), len(ONE_FINGER) - 1, desktop)
        self.assertSameStream(desktop, web)

    def test_pinch_pan_and_on_screen_keys_match_the_desktop(self):
        web = browse(self.name, [{"touch": PINCH}, {"touch": PAN}] +
                     [{"tapButton": key} for key, _ in TAPS] +
                     [{"at": 10000}, {"screenshot": "touched"}], touch=True)
        self.assertClean(web)
        shot = web_capture(web, "touched")
        app = self.desktop()
        desktop_drag(app, ["left", "right"], pinch_pointer(PINCH))
        desktop_drag(app, ["middle"], [midpoint(a, b) for a, b in zip(*PAN)])
        app.key(*[x11 for _, x11 in TAPS])
        shots = self.desktop_around(app, shot.moment, "touched")
        self.assertSameStream(self.settled(app), web)
        self.assertSamePicture(shots, shot, "after the gestures and keys")

    def test_every_on_screen_key_prints_its_code(self):
        web = browse(self.name, [{"tapButtons": True}], viewport=(390, 844), touch=True)
        self.assertClean(web)
        keys = [b["key"] for b in web["buttons"]]
        self.assertEqual(set(keys), BOUND_KEYS)
        # The turning keys' lines have no line end, so some key lines follow one of them.
        stream = "".join(m["text"] + "\n" for m in web["console"])
        self.assertEqual(re.findall(r"key pressed = (\d+)\n", stream), [str(k) for k in keys])
        for button in web["buttons"]:
            self.assertGreaterEqual(min(button["size"]), 44, button)

    def test_a_phone_screen_shows_the_whole_canvas_without_sideways_scrolling(self):
        for size in ((390, 844), (844, 390)):
            # Time 10^8 times faster: the status line's words change as it runs, wrapping anew.
            web = browse(self.name, [{"wait": 500}, {"probe": "phone"}, {"screenshot": "phone"}] +
                         [{"tapButton": 93}] * 8 + [{"wait": 1500}, {"probe": "later"}],
                         viewport=size, touch=True)
            self.assertClean(web)
            page = web["probes"]["phone"]
            # Nothing moved under the user's fingers, from the first paint on.
            later = web["probes"]["later"]
            self.assertEqual(later["layoutShift"], 0, (size, later["layoutShifted"]))
            left, top, right, bottom = page["box"]
            self.assertLessEqual(page["scrollWidth"], size[0], size)
            self.assertTrue(0 <= left and right <= size[0] and 0 <= top and bottom <= size[1],
                            (size, page["box"]))
            self.assertEqual(page["buffer"], page["css"], size)
            # The program drew at that size: the Sun sits at the picture's centre.
            sun = web_capture(web, "phone").mask("yellow")
            xs, ys = zip(*picture.pixels_of(sun))
            centre = (sum(xs) / len(xs), sum(ys) / len(ys))
            width, height = page["buffer"]
            self.assertLess(math.dist(centre, (width / 2, height / 2)), 0.03 * width,
                            (size, centre))


class WebSoakTest(BrowserCase):
    """A minute of random keys and drags at 10^8 times real time, in the browser alone."""

    def test_a_minute_of_random_input_at_the_highest_time_scale(self):
        rng = random.Random(8)
        keys = ["a", "d", "w", "s", "z", "x", "Shift+Equal", "-", "Backspace", "8", "2", "4",
                "6", "9", "3", "'", ";", "q", "Tab", "Enter", "Space", "ArrowUp", "Numpad6"]
        keys += ["Shift+%d" % d for d in range(10)]
        actions = [{"key": "]"}] * 8 + [{"screenshot": "first"}, {"probe": "first"}]
        elapsed = 0
        while elapsed < 60000:
            if rng.random() < 0.7:
                actions.append({"key": rng.choice(keys)})
            else:
                buttons = rng.choice([["right"], ["left", "right"], ["middle"], ["left"],
                                      ["middle", "right"]])
                start = (rng.randrange(1024), rng.randrange(768))
                end = (rng.randrange(1024), rng.randrange(768))
                actions.append({"drag": buttons, "path": path(start, end, 8), "pause": 10})
                elapsed += 80
            wait = rng.randrange(50, 400)
            actions.append({"wait": wait})
            elapsed += wait
        # Back to the Sun, so the last second shows it and its light shells racing out.
        actions += [{"key": "Shift+0"}, {"wait": 500}, {"screenshot": "last"},
                    {"wait": 500}, {"screenshot": "last-again"}, {"probe": "last"}]
        web = browse(self.name, actions)
        self.assertClean(web)
        first, last, again = (web_capture(web, n) for n in ("first", "last", "last-again"))
        self.assertGreater(picture.differing(first, last), 500)
        self.assertGreater(picture.differing(last, again), 50, "the page stopped drawing")
        self.assertGreater(web["probes"]["last"]["frames"], web["probes"]["first"]["frames"])
        for name in ("first", "last"):
            self.assertEqual(web["probes"][name]["overflowed"], 0)
            self.assertGreater(web["probes"][name]["vertices"], 0)


def main():
    global SITE, STATE_AFTER_KEYS
    for option in ("--site", "--state"):
        at = sys.argv.index(option)
        value = os.path.abspath(sys.argv[at + 1])
        del sys.argv[at:at + 2]
        if option == "--site":
            SITE = value
        else:
            STATE_AFTER_KEYS = value
    harness.main()


if __name__ == "__main__":
    main()
