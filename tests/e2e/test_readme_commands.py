"""The README's commands as a newcomer runs them, with no display and no arguments they do not
name: scripts/run.sh prints the path of a picture of the start scene, and scripts/pictures.sh
makes one of the guide's pictures. Both build the program themselves (into build/, as the README
says) and find it where the build says it is, so a moved file or a stale path in either script
fails here, not in a newcomer's first minute."""

import os
import subprocess
import tempfile
import unittest

from PIL import Image

import harness
import picture
from picture import Camera

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def run_script(*command):
    """Runs a script of the repository without a display; returns its standard output, or fails
    with the end of its standard error."""
    environment = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    result = subprocess.run([os.path.join(REPO, command[0])] + list(command[1:]), cwd=REPO,
                            env=environment, stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, timeout=harness.patience(900))
    if result.returncode != 0:
        raise AssertionError("%s ended with exit status %d:\n%s" % (
            " ".join(command), result.returncode, result.stderr[-3000:]))
    return result.stdout


def open_picture(test, path):
    with Image.open(path) as image:
        test.assertEqual(image.format, "PNG")
        test.assertEqual(image.size, (picture.WIDTH, picture.HEIGHT))
        return picture.Capture(image)


class ReadmeCommandsTest(unittest.TestCase, picture.PictureAssertions):

    def test_run_without_a_display_prints_the_start_pictures_path(self):
        lines = run_script("scripts/run.sh").splitlines()
        self.assertEqual(len(lines), 1, "standard output is the picture's path alone: %s" % lines)
        path = lines[0]
        self.assertTrue(os.path.isabs(path), path)
        self.addCleanup(os.remove, path)
        shot = open_picture(self, path)
        # The start scene as the camera first sees it: the Sun's yellow globe at the centre, both
        # red grids about it and the planets' white orbits.
        camera = Camera()
        self.assertSunAtCentre(shot, camera)
        self.assertGrids(shot, camera, (10 * camera.distance, 2 * camera.distance))
        shown = [i for i, shape in enumerate(picture.planet_orbits())
                 if self.assertDrawn(shot, "white", camera, shape, "orbit shape %d" % i) >= 20]
        self.assertGreaterEqual(len(shown), 15, "only orbit shapes %s are on the picture" % shown)

    def test_pictures_makes_a_guide_picture_into_a_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            run_script("scripts/pictures.sh", "--only", "earth", "--out", folder)
            self.assertEqual(os.listdir(folder), ["earth.png"])
            shot = open_picture(self, os.path.join(folder, "earth.png"))
        # The grids and the enlarged Earth with the Moon's orbit are drawn, and saving the picture
        # with a palette kept every colour exactly.
        self.assertGreater(shot.count("red"), 2000, "no grids in the picture")
        self.assertGreater(shot.count("white"), 2000, "no Earth or orbits in the picture")
        self.assertEqual(shot.unclassified(), 0, "colours the program does not draw")


if __name__ == "__main__":
    harness.main()
