"""The bodies' names over the picture (web/page/names.js), in one page load in headless Chromium
at device pixel ratio 2 with the picture drawn in a worker: each name shown sits where the
desktop program's state after the same keys (tests/web/state_after_keys) draws its globe's
centre; a body behind the camera has no name, nor has one crowded out by a name that goes first;
a planet's name is its follow key, a moon's shows its facts; in full screen the names keep to
the globes of the larger picture; the Names button hides the names
and leaves the canvas's pixels as they were, and the choice outlives a reload.

    /usr/bin/python3 tests/web/test_names.py --binary build/tessaloran --site SITE_DIR \
        --state STATE_AFTER_KEYS --artefacts DIR
"""

import math

import test_web
from test_web import BrowserCase, browse, desktop_state, picture, pressed_codes, web_capture

BODIES = ["Sun", "Mercury", "Venus", "Earth", "Moon", "Mars", "Phobos", "Deimos", "Jupiter",
          "Saturn", "Uranus", "Neptune", "Pluto", "Charon"]
# Puppeteer's names for the key bytes below.
KEY_NAMES = {"#": "Shift+3", "'": "'", "x": "x", "z": "z"}
# At 1x, so the page's bodies stand where the desktop's do. The Earth followed with its globe 100
# times larger and the view zoomed out: the Sun, Mercury, Venus, the Earth and Mars in view, the
# Moon, Phobos and Deimos a pixel from their planets, Pluto and Charon behind the camera. Then in
# again: the Moon well clear of the Earth, most bodies behind the camera. Then out again, for a
# planet's name to click.
FAR = "#''" + "x" * 25
NEAR = FAR + "z" * 44
OUT_AGAIN = NEAR + "x" * 44
FOLLOW_CODES = {"Sun": 41, "Mercury": 33, "Venus": 64, "Earth": 35, "Mars": 36, "Jupiter": 37,
                "Saturn": 94, "Uranus": 38, "Neptune": 42, "Pluto": 40}


def press(keys):
    return [{"key": KEY_NAMES[key]} for key in keys] + [{"wait": 500}]


def projected(state, size):
    """Each body's globe centre on the canvas (CSS pixels), or None behind the camera, as the
    program's camera (gluPerspective(90, width / height)) projects the desktop's eye space."""
    camera = picture.Camera(width=size[0], height=size[1])
    return {body: camera._to_window((x, y, -z)) if z < 0 else None
            for body, (x, y, z) in state["bodies"].items()}


class NamesTest(BrowserCase):

    def assertNamesOnGlobes(self, names, keys):
        """Every name shown is within 2 CSS px of its globe's centre in the desktop's picture and
        clear of the others; no body behind the camera is named. Returns the bodies named and
        those behind the camera."""
        state = desktop_state(keys)
        self.assertEqual(sorted(state["bodies"]), sorted(BODIES))
        centres = projected(state, names["canvas"])
        labels = names["labels"]
        shown = {body for body in BODIES if labels[body]["shown"]}
        behind = {body for body in BODIES if centres[body] is None}
        self.assertFalse(shown & behind, "named behind the camera")
        for body in shown:
            self.assertLessEqual(math.dist(labels[body]["box"][:2], centres[body]), 2,
                                 (keys, body, labels[body]["box"], centres[body]))
        for a in shown:
            for b in shown - {a}:
                (ax, ay, aw, ah), (bx, by, bw, bh) = labels[a]["box"], labels[b]["box"]
                self.assertFalse(ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah,
                                 (keys, a, b))
        return shown, behind

    def test_names_keep_to_the_globes_and_the_button_keeps_the_choice(self):
        # The pictures with the names on and off are taken where the picture stands still.
        web = browse(self.name, [{"at": 2000}, {"names": "start"}] + press(FAR) +
                     [{"names": "far"}] + press(NEAR[len(FAR):]) +
                     [{"names": "near"}, {"screenshot": "on"}, {"click": "#names"},
                      {"screenshot": "off", "overlay": True}, {"names": "off"},
                      {"click": "#names"}] + press(OUT_AGAIN[len(NEAR):]) +
            [{"clickName": ["Mars", "Venus", "Mercury"]}, {"wait": 300},
             {"click": "#fullscreen"}, {"wait": 800}, {"names": "full"},
             {"exitFullscreen": True}, {"wait": 500}, {"click": "#names"},
             {"reload": True}, {"wait": 500}, {"names": "reloaded"}], scale=2)
        self.assertClean(web)
        names = web["names"]
        self.assertEqual((names["start"]["pressed"], names["start"]["layerShown"]), ("true", True))
        self.assertIn("Sun", self.assertNamesOnGlobes(names["start"], "")[0])

        # Planets' names win over their moons'; the moons' come back where there is room.
        shown, behind = self.assertNamesOnGlobes(names["far"], FAR)
        self.assertLessEqual({"Sun", "Mercury", "Venus", "Earth", "Mars"}, shown)
        self.assertFalse(shown & {"Moon", "Phobos", "Deimos"})
        self.assertIn("Pluto", behind)
        shown, behind = self.assertNamesOnGlobes(names["near"], NEAR)
        self.assertLessEqual({"Earth", "Moon"}, shown)
        self.assertGreater(len(behind), 5)

        # Every name takes the pointer: the Sun's and the planets' follow, the moons' show their
        # facts (the About panel's test clicks one).
        for body, label in names["far"]["labels"].items():
            self.assertEqual(label["pointer"], "auto", body)
        # The click pressed the planet's follow key, after the keys pressed before it.
        stream = "".join(m["text"] + "\n" for m in web["console"] if m["load"] == 1)
        self.assertIn(web["clicked"], ("Mars", "Venus", "Mercury"))
        clicked = OUT_AGAIN + chr(FOLLOW_CODES[web["clicked"]])
        self.assertEqual(pressed_codes(stream), clicked)
        # In full screen the names keep to the globes of the picture at its new size.
        self.assertNotEqual(names["full"]["canvas"], names["far"]["canvas"])
        self.assertIn(web["clicked"], self.assertNamesOnGlobes(names["full"], clicked)[0])

        # Hidden by the button, the names leave the picture as the program drew it.
        self.assertEqual((names["off"]["pressed"], names["off"]["layerShown"]), ("false", False))
        self.assertSamePicture([web_capture(web, "off")], web_capture(web, "on"),
                               "names on, and off")
        # Turned off before the reload, they stay off.
        self.assertEqual((names["reloaded"]["pressed"], names["reloaded"]["layerShown"]),
                         ("false", False))


if __name__ == "__main__":
    test_web.main()
