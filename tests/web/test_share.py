"""Share in headless Chromium: a link to a view made with keys and drags at a million times real
time opens the same view in a fresh browser, the QR code on the screen reads as the link printed
under it, and bad links leave their parts as they were, with a notice and no page error.

    /usr/bin/python3 tests/web/test_share.py --binary build/tessaloran --site SITE_DIR \
        --state STATE_AFTER_KEYS --artefacts DIR
"""

import json
import subprocess

import test_web
from PIL import ImageChops
from test_web import BrowserCase, browse, picture, web_capture

# The state dump of the page: the program's status numbers, each named body's clip coordinates
# in the next picture shown (its globe's centre, as the names are placed) and the view's link.
# Two listeners of the pictures shown besides the names' read it: the first's anchors are the
# second's, as both are told of the same picture, and both stop listening after it.
STATE = """new Promise((resolve) => {
  let first = null;
  const stopFirst = tessaloran.onPictureShown((anchors) => { first = Array.from(anchors); });
  const stop = tessaloran.onPictureShown((anchors) => {
    stopFirst();
    stop();
    resolve({ anchors: Array.from(anchors), first,
      numbers: [0, 1, 2, 3, 4, 5, 6].map(Module._webStatus),
      link: Module.UTF8ToString(Module._webViewLink(1)), names: tessaloran.namesShown(),
      notice: document.getElementById('link-notice').hidden ? null
        : document.getElementById('link-notice').querySelector('span').textContent,
      images: document.querySelectorAll('img, [onerror]').length });
  });
})"""
PANEL = """({ link: document.getElementById('share-link').textContent,
  local: document.getElementById('share-local').hidden ? null
    : document.getElementById('share-local').textContent,
  code: document.getElementById('share-code').getBoundingClientRect().width,
  screen: Math.min(innerWidth, innerHeight),
  open: document.getElementById('share-panel').open })"""

# Bad parts, each put in place of its part in the good link opened in a running page: the notice
# names that part alone, and every setting stays as it was.
BAD = [
    ("v", "2", None),
    ("time", "300", "the time scale"),
    ("time", "1e400", "the time scale"),
    ("globes", "Infinity", "the globe scale"),
    ("follow", "vulcan", "the followed body"),
    ("eye", "NaN,1,1", "the camera's direction and distance"),
    ("grids", "-5,10", "the grids"),
    ("follow", "<img src=x onerror=alert(1)>", "the followed body"),
    ("level", "%01%02", "the levelled plane"),  # and 100 KB more, made in the page
]


def with_part(fragment, name, value):
    """The link `fragment` with its part `name` given `value`, put last."""
    parts = [p for p in fragment.split("&") if not p.startswith(name + "=")]
    return "&".join(parts + ["%s=%s" % (name, value)])


def view_actions(name):
    return [{"evaluate": name, "expression": STATE}]


def hash_actions(name, fragment, more=""):
    """Opens the link `fragment` in the running page (followed by the JavaScript text `more`)."""
    return [{"evaluate": "set " + name, "expression": "location.hash = %s%s" % (
        json.dumps(fragment), more)}] + view_actions(name)


class ShareTest(BrowserCase):

    def assertSameState(self, a, b):
        """The same status numbers and body positions within 1e-9 relative."""
        for x, y in zip(a["numbers"], b["numbers"]):
            self.assertLessEqual(abs(x - y), 1e-9 * max(abs(x), abs(y)), (a["numbers"], b["numbers"]))
        for body in range(len(a["anchors"]) // 4):
            p, q = a["anchors"][4 * body:4 * body + 4], b["anchors"][4 * body:4 * body + 4]
            size = max(abs(v) for v in p[:3])
            self.assertEqual(p[3], q[3], body)
            for x, y in zip(p[:3], q[:3]):
                self.assertLessEqual(abs(x - y), 1e-9 * size, (body, p, q))

    def test_a_link_opens_the_same_view_in_a_fresh_browser(self):
        # Opened with a hostile link first: the start view, a notice, no markup and no error.
        made = browse(self.name + "-made", view_actions("hostile") + [{"click": "#link-notice button"}] + [{"key": "]"}] * 6 + [
            {"key": "'"}, {"key": "'"}, {"key": "Shift+6"}, {"key": "z"}, {"key": "w"},
            {"drag": ["right"], "path": [[500, 400], [530, 380], [560, 370]]},
            {"drag": ["left", "right"], "path": [[500, 400], [500, 380], [500, 370]]},
            {"key": "Backspace"}, {"key": "8"}, {"key": "9"},
            {"drag": ["middle"], "path": [[500, 400], [470, 420]]},
            {"wait": 400}, {"click": "#names"}, {"click": "#pause"}, {"wait": 300}] +
            view_actions("made") + [{"screenshot": "made"}] +
            [{"click": "#fullscreen"}, {"wait": 500}, {"click": "#share"}, {"wait": 300},
             {"evaluate": "panel", "expression": PANEL},
             {"shoot": "code", "selector": "#share-code"}, {"click": "#share-close"},
             {"exitFullscreen": True}],
            hash="v=1&time=<b>1e400</b>&follow=<script>alert(1)</script>")
        self.assertClean(made)
        hostile = made["evaluated"]["hostile"]
        self.assertEqual(hostile["numbers"][:5], [1, hostile["numbers"][1], -1, -1, 1])
        self.assertIn("the time scale, the globe scale, the followed body", hostile["notice"])
        self.assertEqual(hostile["images"], 0)
        made_view, panel = made["evaluated"]["made"], made["evaluated"]["panel"]
        self.assertEqual(made_view["numbers"][0], 1e6)
        self.assertEqual(made_view["numbers"][6], 1)
        self.assertFalse(made_view["names"])
        link = panel["link"]
        self.assertTrue(link.endswith("#" + made_view["link"].replace("names=1", "names=0")), link)
        # Served on 127.0.0.1: the panel says other devices cannot open it, and what to do.
        self.assertIn("scripts/web.sh --host", panel["local"])
        # In full screen the code takes at least 60 % of the screen's shorter side.
        self.assertGreaterEqual(panel["code"], 0.6 * panel["screen"])
        # The code on the screen reads as exactly the link printed under it.
        read = subprocess.run(["zbarimg", "--raw", "-q", made["pictures"]["code"]],
                              capture_output=True, text=True, timeout=60)
        self.assertEqual(read.stdout.rstrip("\n"), link)

        fragment = link.split("#", 1)[1]
        opened = browse(self.name + "-opened", view_actions("opened") + [
            {"screenshot": "opened"}] + hash_actions("again", fragment) + [
            {"screenshot": "again"}] + [
            action for k, (name, value, _) in enumerate(BAD) for action in hash_actions(
                "bad%d" % k, with_part(fragment, name, value),
                " + '9'.repeat(100000)" if k == len(BAD) - 1 else "")
        ] + [{"key": "]"}, {"wait": 300}] + view_actions("keys"), hash=fragment)
        self.assertClean(opened)
        views = opened["evaluated"]
        for name, view in list(views.items()) + list(made["evaluated"].items()):
            if isinstance(view, dict) and "anchors" in view:
                self.assertEqual(view["first"], view["anchors"], name)
        self.assertSameState(views["opened"], made_view)
        # The same picture apart from the light shells (yellow), which start anew in the view
        # opened: every pixel that differs is within 2 px of a shell in either.
        shot, seen = web_capture(made, "made"), web_capture(opened, "opened")
        differ = ImageChops.difference(shot.image, seen.image).convert("L").point(
            lambda v: 255 if v else 0)
        shells = ImageChops.lighter(picture.grow(shot.mask("yellow"), 2),
                                    picture.grow(seen.mask("yellow"), 2))
        self.assertEqual(picture.outside(differ, shells), 0)
        self.assertGreater(seen.count("white"), 1000)
        self.assertIsNone(views["opened"]["notice"])
        self.assertFalse(views["opened"]["names"])
        # Paused, the same link opened again in the page is the same picture: the light shells
        # start anew from the view's moment both times.
        self.assertSameState(views["again"], views["opened"])
        self.assertEqual(picture.differing(web_capture(opened, "opened"),
                                           web_capture(opened, "again")), 0)
        for k, (_, _, named) in enumerate(BAD):
            bad = views["bad%d" % k]
            self.assertEqual(bad["notice"], (
                "These parts of the link could not be used, so they are as they were: %s." % named
                if named else "This link is not a view this version of TESSALORAN can read, so "
                "none of it was used."), k)
            self.assertEqual(bad["images"], 0)
            self.assertSameState(bad, views["opened"])
        self.assertEqual(views["keys"]["numbers"][0], 1e7)


if __name__ == "__main__":
    test_web.main()
