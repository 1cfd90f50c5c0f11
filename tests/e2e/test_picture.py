"""The picture the program draws with Mesa's software renderer: the start scene as the camera and
the table place it, the light shell growing at ten times real time, and the Sun spinning and the
planets moving on at a million times real time."""

import time

from PIL import ImageChops

import harness
import picture
from picture import Camera


class PictureTest(harness.ProgramTestCase, picture.PictureAssertions):

    def setUp(self):
        # Light cannot have travelled further than this allows since the program started.
        self.launched = time.monotonic()
        super().setUp()

    def first_frame(self, label="start"):
        shot = picture.capture_until(self.app, label, picture.drawn)
        self.assertTrue(picture.drawn(shot), "the window stayed black")
        return shot

    def press(self, key, code, times=1, timeout=10):
        """Presses a key and waits until the program has reported every press."""
        line = "key pressed = %d\n" % code
        wanted = self.app.stdout.text().count(line) + times
        for _ in range(times):
            self.app.key(key)
        deadline = time.monotonic() + harness.patience(timeout)
        while self.app.stdout.text().count(line) < wanted and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertEqual(self.app.stdout.text().count(line), wanted,
                         "%s was not reported %d times:\n%s" % (key, times, self.app.stdout.text()))

    # --- the start scene ------------------------------------------------------------------------

    def test_start_scene_as_the_camera_sees_it(self):
        shot = self.first_frame()
        camera = Camera()  # eye (0, 1e7, 1e7) looking at the Sun at the origin
        total = picture.WIDTH * picture.HEIGHT

        self.assertGreaterEqual(shot.count("black"), 0.9 * total, "the background is not black")
        self.assertLessEqual(shot.unclassified(), 50,
                             "colours other than black, red, white, yellow and light green")

        # The look-at point, the Sun's centre, projects to the window's centre.
        self.assertSunAtCentre(shot, camera)

        # Grid A spaced at the viewing distance, grid B at a fifth of it, and nothing else red.
        self.assertGrids(shot, camera, (10 * camera.distance, 2 * camera.distance))

        # Every planet starts at orbit angle 0: its orbit ring and its radius line, and near each
        # slot's centre the small white markers, are all the white there is.
        orbits = picture.planet_orbits()
        markers = [camera.project((0.0, 0.0, picture.drift_level(k))) + (4,) for k in range(10)]
        self.assertOnlyOn(shot, "white", camera, orbits, "the orbits and radius lines",
                          discs=markers)
        shown = [i for i, shape in enumerate(orbits)
                 if self.assertDrawn(shot, "white", camera, shape, "orbit shape %d" % i) >= 20]
        self.assertGreaterEqual(len(shown), 15, "only orbit shapes %s are on the window" % shown)

        # The Sun's 5,000,000 km light-green ring about the centre; the planets' are off the
        # window.
        rings = picture.green_rings()
        self.assertOnlyOn(shot, "green", camera, rings, "the green rings")
        samples = self.assertDrawn(shot, "green", camera, rings[0], "the Sun's green ring")
        self.assertGreater(samples, 200, "the Sun's green ring is not on the window")

        # Apart from the Sun, yellow is only the first light shell, which has grown at the speed
        # of light since start-up, and the other slots' zero-sized stars at their centres.
        age = shot.taken_at[1] - self.launched
        reach = picture.ring((0.0, 0.0, age * picture.SUN_DRIFT), age * picture.LIGHT_SPEED, 360)
        stars = [camera.project((0.0, 0.0, picture.drift_level(k))) + (3,) for k in range(10)]
        sun = picture.CENTRE + (picture.sun_radius_px(camera) + 2,)
        allowed = ImageChops.lighter(picture.filled(camera, reach),
                                     picture.shape_mask(camera, [], discs=[sun] + stars))
        stray = picture.outside(shot.mask("yellow"), allowed)
        self.assertLessEqual(stray, 5, "%d yellow pixels beyond the Sun and its shell" % stray)

    # --- the light shells ---------------------------------------------------------------------

    def shell_radius(self, shot, camera):
        """Radius in pixels of the largest light shell, read where it crosses the x axis left of
        the Sun, or None while the shells are all within the Sun. The x axis lies on the
        boundary of the two middle rows, and all along it the depth is the viewing distance;
        in perspective the ring is wider nearer the camera, below that line."""
        sun = picture.sun_radius_px(camera)
        row = shot.mask("yellow").crop((0, 383, int(picture.CENTRE[0] - sun - 3), 385))
        box = row.getbbox()
        if box is None:
            return None
        return picture.CENTRE[0] - (box[0] + 0.5)

    def assertShellCircle(self, shot, camera, radius_px):
        """A yellow circle of that radius in the reference plane about the Sun."""
        radius = radius_px * camera.distance / camera.focal
        drift = radius / picture.LIGHT_SPEED * picture.SUN_DRIFT
        shell = picture.ring((0.0, 0.0, drift), radius, 360)
        self.assertDrawn(shot, "yellow", camera, shell, "the light shell of radius %.0f km"
                         % radius, share=0.85)

    def test_light_shell_grows_at_ten_times_real_time(self):
        self.first_frame()
        self.press("bracketright", 93)
        camera = Camera()
        real_rate = camera.focal * picture.LIGHT_SPEED / camera.distance  # pixels per second

        def outside_sun(shot):
            radius = self.shell_radius(shot, camera)
            return radius is not None and radius > picture.sun_radius_px(camera) + 10

        first = picture.capture_until(self.app, "shell", outside_sun)
        self.assertTrue(outside_sun(first), "no light shell grew beyond the Sun")
        r1 = self.shell_radius(first, camera)
        self.assertShellCircle(first, camera, r1)

        time.sleep(max(0.0, first.taken_at[1] + 1.5 - time.monotonic()))
        second = picture.capture(self.app, "shell")
        r2 = self.shell_radius(second, camera)
        self.assertIsNotNone(r2)
        self.assertLess(r2, 500, "the shell had left the window before it could be measured")
        self.assertShellCircle(second, camera, r2)

        # Grown about ten times as fast as light in real time: the time scale is 10, not 1 or
        # 100. At most as large as ten times real time since start-up allows.
        middle = [sum(shot.taken_at) / 2 for shot in (first, second)]
        rate = (r2 - r1) / (middle[1] - middle[0])
        self.assertGreater(r2, r1 + 20, "the shell did not grow: %.1f then %.1f px" % (r1, r2))
        self.assertTrue(5 * real_rate < rate < 15 * real_rate,
                        "the shell grew at %.0f px/s; at real time it would grow at %.1f"
                        % (rate, real_rate))
        self.assertLess(r2, 10 * real_rate * (second.taken_at[1] - self.launched) + 3)

    # --- a raised time scale ------------------------------------------------------------------

    @staticmethod
    def sun_change(a, b, camera):
        """Pixels of the Sun's globe that are yellow in one capture and not in the other, leaving
        out those where a white line crosses it in either."""
        radius = picture.sun_radius_px(camera) + 2
        ya = picture.disc(a.mask("yellow"), picture.CENTRE, radius)
        yb = picture.disc(b.mask("yellow"), picture.CENTRE, radius)
        crossed = ImageChops.lighter(a.mask("white"), b.mask("white"))
        return picture.count(ImageChops.subtract(ImageChops.difference(ya, yb), crossed))

    def test_sun_spins_and_planets_move_on_at_a_raised_time_scale(self):
        self.first_frame()
        self.press("bracketright", 93, times=6)  # a million times real time
        camera = Camera()
        first = picture.capture(self.app, "fast")
        later = picture.capture_until(
            self.app, "fast", lambda shot: self.sun_change(first, shot, camera) >= 30)
        self.assertGreaterEqual(self.sun_change(first, later, camera), 30,
                                "the Sun's globe did not turn")

        # The planets' radius lines swing round while the Sun, its green ring and the grids stay.
        orbits = [shape for shape in picture.planet_orbits() if len(shape) > 2]
        rings = picture.green_rings()
        lines_moved = ImageChops.subtract(
            ImageChops.difference(first.mask("white"), later.mask("white")),
            picture.shape_mask(camera, orbits))
        self.assertGreater(picture.count(lines_moved), 100, "the radius lines did not move")
        for shot in (first, later):
            self.assertSunAtCentre(shot, camera)
            self.assertDrawn(shot, "green", camera, rings[0], "the Sun's green ring")
            self.assertGrids(shot, camera, (10 * camera.distance, 2 * camera.distance))
            for i, shape in enumerate(orbits):
                self.assertDrawn(shot, "white", camera, shape, "orbit ring %d" % i)


if __name__ == "__main__":
    harness.main()
