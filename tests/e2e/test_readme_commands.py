"""scripts/pictures.sh makes the guide's pictures from the real program: one picture, made with
the built program into a chosen folder, is a PNG of the whole window that holds the drawn scene in
the program's own flat colours."""

import os
import subprocess
import unittest

from PIL import Image

import harness
import picture

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "pictures.sh")


class PicturesTest(unittest.TestCase):

    def test_one_picture_into_a_folder(self):
        folder = os.path.join(harness.ARTEFACTS, "pictures")
        path = os.path.join(folder, "earth.png")
        if os.path.exists(path):
            os.remove(path)
        result = subprocess.run([SCRIPT, "--binary", harness.BINARY, "--only", "earth",
                                 "--out", folder], stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, "pictures.sh failed:\n%s%s"
                         % (result.stdout, result.stderr))
        with Image.open(path) as image:
            self.assertEqual(image.format, "PNG")
            self.assertEqual(image.size, (picture.WIDTH, picture.HEIGHT))
            shot = picture.Capture(image)
        # The grids and the enlarged Earth with the Moon's orbit are drawn, and saving the picture
        # with a palette kept every colour exactly.
        self.assertGreater(shot.count("red"), 2000, "no grids in the picture")
        self.assertGreater(shot.count("white"), 2000, "no Earth or orbits in the picture")
        self.assertEqual(shot.unclassified(), 0, "colours the program does not draw")


if __name__ == "__main__":
    harness.main()
