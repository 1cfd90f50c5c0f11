"""Real key presses and mouse drags: every key reports its code, the orbit and walking keys print
their diagnostic lines exactly, no key ends the program, the highest time scale keeps it
running, a right-button drag turns the view, and following and zooming move the picture as the
camera geometry says."""

import math
import re
import time

import harness
import picture
from picture import Camera

KEY_LINE = "key pressed = %d\n"
HORIZ = "view dir horiz =========== %.6f"
PLANET_HORIZ = "Planet Horiz deg = %.6f\n"


class KeysTest(harness.ProgramTestCase, picture.PictureAssertions):

    def setUp(self):
        super().setUp()
        self.expected = ""

    def expect(self, keys, output, timeout=10):
        """Presses the keys in order and checks that the program's whole output is now what was
        expected so far followed by `output`, nothing more and nothing less."""
        self.expected += output
        self.app.key(*keys)
        deadline = time.monotonic() + harness.patience(timeout)
        while len(self.app.stdout.text()) < len(self.expected) and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertEqual(self.app.stdout.text(), self.expected, "after the keys %s" % (keys,))

    def settled_output(self, quiet=0.5, timeout=10):
        """The output once it has not changed for `quiet` seconds."""
        deadline = time.monotonic() + harness.patience(timeout)
        quiet = harness.patience(quiet)
        text, since = self.app.stdout.text(), time.monotonic()
        while time.monotonic() - since < quiet and time.monotonic() < deadline:
            time.sleep(0.05)
            now = self.app.stdout.text()
            if now != text:
                text, since = now, time.monotonic()
        return text

    # --- the console lines ----------------------------------------------------------------------

    def test_orbit_and_walking_keys_print_their_lines(self):
        # `a` turns the view by -2 degrees from 90 and prints the angle with no line end: the
        # next key's line starts right after the number.
        self.expect(["a"], KEY_LINE % 97 + HORIZ % 88)
        self.expect(["q"], KEY_LINE % 113)
        self.expect(["d", "d"], KEY_LINE % 100 + HORIZ % 90 + KEY_LINE % 100 + HORIZ % 92)
        # Up and down along the walking plane's normal print the reference planet's node, the
        # Earth's while no planet is viewed and Pluto's after `(`; every node is 0.
        self.expect(["9"], KEY_LINE % 57 + PLANET_HORIZ % 0)
        self.expect(["3"], KEY_LINE % 51 + PLANET_HORIZ % 0)
        self.expect(["parenleft", "9"], KEY_LINE % 40 + KEY_LINE % 57 + PLANET_HORIZ % 0)
        self.expect(["a"] * 3, "".join(KEY_LINE % 97 + HORIZ % v for v in (90, 88, 86)))
        self.expect(["space"], KEY_LINE % 32)

    def test_every_key_reports_its_code(self):
        unbound_letters = [("q", 113), ("e", 101), ("A", 65), ("Z", 90), ("W", 87), ("S", 83),
                           ("D", 68), ("X", 88), ("Q", 81)]
        unbound_digits = [("0", 48), ("1", 49), ("5", 53), ("7", 55)]
        unbound_punctuation = [
            ("comma", 44), ("period", 46), ("slash", 47), ("question", 63), ("equal", 61),
            ("grave", 96), ("asciitilde", 126), ("backslash", 92), ("bar", 124),
            ("braceleft", 123), ("braceright", 125), ("quotedbl", 34), ("colon", 58),
            ("less", 60), ("greater", 62), ("underscore", 95)]
        control = [("BackSpace", 8), ("Tab", 9), ("Return", 13), ("Escape", 27), ("space", 32)]
        # Bound keys whose binding prints nothing more: scales, zoom, vertical orbit, walking.
        quiet_bindings = [
            ("bracketright", 93), ("bracketleft", 91), ("apostrophe", 39), ("semicolon", 59),
            ("plus", 43), ("minus", 45), ("z", 122), ("x", 120), ("w", 119), ("s", 115),
            ("2", 50), ("4", 52), ("6", 54), ("8", 56)]
        selections = [
            ("exclam", 33), ("at", 64), ("numbersign", 35), ("dollar", 36), ("percent", 37),
            ("asciicircum", 94), ("ampersand", 38), ("asterisk", 42), ("parenleft", 40),
            ("parenright", 41), ("BackSpace", 8), ("BackSpace", 8)]
        for group in (unbound_letters, unbound_digits, unbound_punctuation, control,
                      quiet_bindings, selections):
            self.expect([key for key, _ in group], "".join(KEY_LINE % code for _, code in group))
        self.assertTrue(self.app.alive())

    # --- the program keeps running --------------------------------------------------------------

    def test_escape_return_and_space_do_not_end_the_program(self):
        self.expect(["Escape", "Return", "space"], KEY_LINE % 27 + KEY_LINE % 13 + KEY_LINE % 32)
        self.assertIsNone(self.app.wait(timeout=3), "the program ended after Escape, Return or "
                          "space:\n" + self.app.stderr.text())
        self.expect(["q"], KEY_LINE % 113)
        shot = picture.capture(self.app, "still-drawing")
        self.assertSunAtCentre(shot, Camera())

    def test_highest_time_scale_keeps_running_and_drawing(self):
        # Eight presses reach 10^8; the ninth is refused.
        self.expect(["bracketright"] * 9, KEY_LINE % 93 * 9)
        camera = Camera()
        previous = picture.capture(self.app, "fastest")
        for _ in range(4):
            self.assertIsNone(self.app.wait(timeout=1), "the program ended at the highest time "
                              "scale:\n" + self.app.stderr.text())
            shot = picture.capture(self.app, "fastest")
            changed = picture.differing(previous, shot)
            self.assertGreater(changed, 50, "the picture stood still (%d pixels changed)"
                               % changed)
            # The planets race round; the Sun, its green ring and the grids stay in place.
            self.assertSunAtCentre(shot, camera)
            self.assertDrawn(shot, "green", camera, picture.green_rings()[0], "the Sun's ring")
            self.assertGrids(shot, camera, (10 * camera.distance, 2 * camera.distance))
            previous = shot
        self.expect(["q"], KEY_LINE % 113)

    # --- the mouse ------------------------------------------------------------------------------

    def horiz_values(self, text):
        values = [float(v) for v in re.findall(r"view dir horiz =========== (-?\d+\.\d{6})",
                                               text)]
        self.assertEqual(text, "".join(HORIZ % v for v in values),
                         "other output than the view direction during a drag")
        return values

    def test_right_drag_turns_the_view(self):
        picture.capture_until(self.app, "start", picture.drawn)
        # Dragging right turns the view by -2 degrees per motion event, from 90.
        self.app.drag((200, 600), (800, 600), button=3)
        first = self.horiz_values(self.settled_output())
        self.assertGreaterEqual(len(first), 3, "too few motion events: %s" % first)
        self.assertEqual(first, [88 - 2 * i for i in range(len(first))])

        # The left button alone does nothing, but the pointer's x is still recorded.
        self.app.drag((900, 600), (1000, 600), button=1)
        self.assertEqual(self.settled_output(), "".join(HORIZ % v for v in first))

        # A new right drag's first event compares with that last x, 1000, so it turns the other
        # way once before it goes on falling.
        self.app.drag((100, 600), (700, 600), button=3)
        values = self.horiz_values(self.settled_output())
        second = values[len(first):]
        self.assertGreaterEqual(len(second), 3, "too few motion events: %s" % second)
        start = first[-1] + 2
        self.assertEqual(second, [start - 2 * i for i in range(len(second))])

        # The eye has turned about the vertical axis at its horizontal radius, 1e7 km, and the
        # grids and orbits are seen from there.
        angle = math.radians(second[-1])
        camera = Camera((-math.cos(angle) * 1e7, 1e7, math.sin(angle) * 1e7))
        grids = [line for extent in (10 * camera.distance, 2 * camera.distance)
                 for line in picture.grid_lines(extent)]
        shot = picture.capture_until(self.app, "turned",
                                     lambda s: s.stray("red", camera, grids) <= 20)
        self.assertGrids(shot, camera, (10 * camera.distance, 2 * camera.distance))
        self.assertSunAtCentre(shot, camera)
        markers = [camera.project((0.0, 0.0, picture.drift_level(k))) + (4,) for k in range(10)]
        self.assertOnlyOn(shot, "white", camera, picture.planet_orbits(), "the orbits",
                          discs=markers)

    # --- following and zooming --------------------------------------------------------------

    def test_following_the_earth_centres_its_system(self):
        before = picture.capture_until(self.app, "start", picture.drawn)
        camera = Camera()
        self.assertSunAtCentre(before, camera)
        self.expect(["numbersign"], KEY_LINE % 35)

        def sun_gone(shot):
            return picture.count(picture.disc(shot.mask("yellow"), picture.CENTRE, 40)) == 0

        shot = picture.capture_until(self.app, "earth", sun_gone)
        self.assertTrue(sun_gone(shot), "the Sun is still at the window's centre")
        self.assertGreater(picture.differing(before, shot), 500)

        # Everything is drawn about the Earth (orbit angle 0 at real time), whose plane is the
        # reference plane: its green ring and its Moon's orbit are centred on the window.
        earth = picture.planet_position(3)
        rings = picture.green_rings(offset=earth)
        self.assertOnlyOn(shot, "green", camera, rings, "the green rings")
        samples = self.assertDrawn(shot, "green", camera, rings[3], "the Earth's green ring")
        self.assertGreater(samples, 200, "the Earth's green ring is not on the window")
        origin = (0.0, 0.0, 0.0)
        moon = [picture.ring(origin, picture.MOON_ORBIT, 1000),
                [origin, (picture.MOON_ORBIT, 0.0, 0.0)]]
        self.assertDrawn(shot, "white", camera, moon[0], "the Moon's orbit", share=0.8)
        whites = picture.planet_orbits(offset=earth) + moon
        centres = [picture.sub((0.0, 0.0, picture.drift_level(k)), earth) for k in range(10)]
        planets = [picture.planet_position(k, offset=earth) for k in range(10)]
        discs = [p + (4,) for p in map(camera.project, centres + planets) if p is not None]
        self.assertOnlyOn(shot, "white", camera, whites, "the orbits about the Earth",
                          discs=discs)
        # The reference frame and the grids stay centred on the look-at point.
        self.assertGrids(shot, camera, (10 * camera.distance, 2 * camera.distance))

    def test_zooming_in_enlarges_the_scene_and_refines_the_grid(self):
        before = picture.capture_until(self.app, "start", picture.drawn)
        start = Camera()
        self.expect(["plus"] * 5, KEY_LINE % 43 * 5)
        # Each step takes the eye a tenth of the way in. After the first the distance is 0.18 of
        # grid A's scale (five times the start distance), so grid A shrinks to 0.04 of its size;
        # the later steps leave both grids as they are.
        camera = Camera(picture.scale(picture.START_EYE, 0.9 ** 5))
        extents = (10 * start.distance * 0.04, 2 * start.distance)
        grids = [line for extent in extents for line in picture.grid_lines(extent)]
        shot = picture.capture_until(self.app, "zoomed",
                                     lambda s: s.stray("red", camera, grids) <= 20)
        self.assertGreater(picture.differing(before, shot), 500)
        self.assertGrids(shot, camera, extents)
        self.assertSunAtCentre(shot, camera)
        samples = self.assertDrawn(shot, "green", camera, picture.green_rings()[0],
                                   "the Sun's green ring")
        self.assertGreater(samples, 300, "the Sun's green ring is not on the window")
        markers = [camera.project((0.0, 0.0, picture.drift_level(k))) + (4,) for k in range(10)]
        self.assertOnlyOn(shot, "white", camera, picture.planet_orbits(), "the orbits",
                          discs=markers)


if __name__ == "__main__":
    harness.main()
