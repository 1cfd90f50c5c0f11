"""The picture's controls in headless Chromium: Pause stops the model's clock and nothing else,
full screen keeps the status line and the controls on the picture's edge with the keys in a tray,
and Save picture downloads the picture as shown at the canvas's full resolution.

    /usr/bin/python3 tests/web/test_controls.py --binary build/tessaloran --site SITE_DIR \
        --state STATE_AFTER_KEYS --artefacts DIR
"""

import os
import re

import test_web
from test_web import BODIES, BOUND_KEYS, UNITS, BrowserCase, browse, picture, web_capture

SCALE = 1_000_000  # the time scale after six presses of "]"


def saved_name(numbers):
    """The file name Save picture gives for the status numbers: the body followed and the
    elapsed time in its largest unit."""
    followed, seconds = int(numbers[2]), int(numbers[1])
    who = BODIES[followed].lower() if followed >= 0 else "no-body"
    unit, size = next((u, s) for u, s in UNITS.items() if seconds >= s or u == "second")
    n = seconds // size
    return "tessaloran-%s-%d-%s%s.png" % (who, n, unit, "" if n == 1 else "s")


def same_picture(case, saved, shown, names, scale):
    """The saved picture is the one on the screen, pixel for pixel away from the bodies' names
    (their boxes on the canvas, grown by 2 px); where a name is, the saved text is the page's
    but for the text's smoothing."""
    boxes = [[round(n[k] * scale) + (2 if k > 1 else -2) for k in range(4)] for n in names]
    cover = picture.Image.new("L", saved.image.size, 0)
    for box in boxes:
        picture.ImageDraw.Draw(cover).rectangle(box, fill=255)
    differ = picture.ImageChops.difference(saved.image, shown.image).convert("L")
    case.assertEqual(picture.count(picture.ImageChops.subtract(
        differ.point(lambda v: 255 if v > 0 else 0), cover)), 0)
    for box in boxes:
        far = picture.count(differ.crop(box).point(lambda v: 255 if v > 96 else 0))
        case.assertLess(far, 0.1 * (box[2] - box[0]) * (box[3] - box[1]), box)


# The names shown, and those shown after the Names button is pressed twice between two pictures,
# which places them again from the last picture's anchors.
NAMES_AGAIN = """(() => {
  const shown = () => Array.from(document.querySelectorAll('#names-layer [data-body]'))
    .filter((name) => !name.hidden).map((name) => name.dataset.body);
  const before = shown();
  const button = document.getElementById('names');
  button.click();
  button.click();
  return [before, shown()];
})()"""


# The names outlined in blue rather than black, which the picture's lines never are.
BLUE_OUTLINE = ("document.getElementById('names-layer').style.textShadow = "
                "'1px 1px 0 rgb(0, 0, 255)'")

# Save picture clicked three times at once, with a browser that makes the PNG only when told
# to, and then fails to: how many PNGs were asked for, and what the page says.
SAVES_AT_ONCE = """(async () => {
  const toBlob = HTMLCanvasElement.prototype.toBlob;
  const asked = [];
  HTMLCanvasElement.prototype.toBlob = function (callback) { asked.push(callback); };
  const save = document.getElementById('save');
  for (let k = 0; k < 3; k += 1) save.click();
  await new Promise((resolve) => setTimeout(resolve, 500));
  for (const callback of asked) callback(null);
  HTMLCanvasElement.prototype.toBlob = toBlob;
  const notice = document.getElementById('save-notice');
  return { encoded: asked.length,
    notice: notice && !notice.hidden ? notice.textContent.replace(/\\s+/g, ' ') : null };
})()"""


def blue(image):
    """The pixels of a picture that are clearly blue."""
    return sum(1 for r, g, b in image.convert("RGB").getdata() if b > 150 and r < 90 and g < 90)


def inside(box, width, height):
    left, top, right, bottom = box
    return 0 <= left and right <= width and 0 <= top and bottom <= height


class ControlsTest(BrowserCase):

    def test_pause_stops_model_time_and_save_keeps_the_picture(self):
        # At device pixel ratio 2, so the saved picture is the drawing buffer, not the CSS size.
        web = browse(self.name, [{"key": "]"}] * 6 + [
            {"evaluate": "outline", "expression": BLUE_OUTLINE},
            {"wait": 500}, {"click": "#pause"}, {"wait": 600},
            {"status": "paused"}, {"screenshot": "paused", "overlay": True}, {"probe": "paused"},
            {"wait": 3000},
            {"status": "later"}, {"screenshot": "later", "overlay": True}, {"probe": "later"},
            {"elements": "button", "selectors": ["#pause"]}, {"nameBoxes": "later"},
            {"save": "picture"},
            {"key": "a"}, {"key": "q"}, {"key": "]"}, {"wait": 400}, {"screenshot": "turned", "overlay": True},
            {"status": "turned"},
            {"click": "#pause"}, {"wait": 1000}, {"status": "resumed"}], scale=2)
        self.assertClean(web)
        status = web["status"]
        paused, later = status["paused"], status["later"]
        # Three seconds at a million times real time: the picture and the line stand still,
        # while the page goes on drawing.
        self.assertEqual(paused["numbers"][0], SCALE)
        self.assertIn("elapsed, paused", paused["text"])
        self.assertEqual(later["text"], paused["text"])
        self.assertEqual(later["numbers"], paused["numbers"])
        shots = {name: web_capture(web, name) for name in ("paused", "later", "turned")}
        self.assertEqual(picture.differing(shots["paused"], shots["later"]), 0)
        self.assertGreater(web["probes"]["later"]["frames"], web["probes"]["paused"]["frames"])
        button = web["elements"]["button"]["#pause"]
        self.assertEqual((button["text"], button["pressed"], button["focused"]),
                         ("Resume", "true", False))
        # A key still acts and prints while paused, and the picture follows the camera.
        stream = "".join(m["text"] + "\n" for m in web["console"])
        self.assertEqual(re.findall(r"key pressed = (\d+)", stream),
                         ["93"] * 6 + ["97", "113", "93"])
        self.assertIn("view dir horiz", stream)
        self.assertGreater(picture.differing(shots["later"], shots["turned"]), 100)
        # The time-scale keys still change the scale, and the elapsed time still stands.
        self.assertEqual(status["turned"]["numbers"][:2], [10 * SCALE, later["numbers"][1]])
        # Resumed, time runs on from where it stood: no more than the real time since the
        # resume (at most since the reading before the click) at the time scale.
        resumed = status["resumed"]
        self.assertNotIn("paused", resumed["text"])
        gone = resumed["numbers"][1] - later["numbers"][1]
        since = (resumed["now"] - status["turned"]["now"]) / 1000
        self.assertTrue(0 < gone <= since * 10 * SCALE, (gone, since))
        # The saved file: named for what it shows, the drawing buffer's size, the picture's pixels.
        saved = web["saved"]["picture"]
        self.assertEqual(saved["name"], saved_name(later["numbers"]))
        image = picture.Image.open(saved["path"])
        self.assertEqual(list(image.size), web["probes"]["later"]["buffer"])
        self.assertEqual(list(image.size), [2048, 1536])
        same_picture(self, picture.Capture(image), shots["later"], web["nameBoxes"]["later"], 2)
        # The names' outline (blue here) is saved as the screen shows it.
        saved_blue, shown_blue = blue(image), blue(shots["later"].image)
        self.assertGreater(shown_blue, 0)
        self.assertTrue(0.5 * shown_blue < saved_blue < 2 * shown_blue, (saved_blue, shown_blue))

    def test_full_screen_keeps_the_controls_on_the_edge_and_the_keys_in_a_tray(self):
        band = ["#status", "#fullscreen", "#pause", "#names", "#save", "#show-keys"]
        keys = ['button[data-key="%d"]' % key for key in sorted(BOUND_KEYS)]
        # A phone on its side: the smallest screen that the band must leave the centre of. The
        # page is opened from its folder and draws on its canvas itself, as where workers cannot
        # draw.
        # Paused and resumed first, which scrolls the buttons into view: the label's change moves
        # nothing.
        web = browse(self.name, [
            {"tap": "#pause"}, {"tap": "#pause"},
            {"probe": "page"}, {"elements": "page", "selectors": band + ["#tray"]},
            {"tap": "#fullscreen"}, {"wait": 800}, {"probe": "full"},
            {"elements": "full", "selectors": band + ["#tray"]},
            {"tap": "#show-keys"}, {"wait": 300},
            {"elements": "tray", "selectors": ["#tray", "#show-keys"] + keys},
            {"tapButton": 93}, {"tapButton": 35},
            {"tap": "#show-keys"}, {"wait": 300}, {"tap": "#pause"}, {"wait": 600},
            {"elements": "closed", "selectors": ["#tray", "#pause", "#status"]},
            {"tap": "#fullscreen"}, {"wait": 800}, {"probe": "back"},
            {"elements": "back", "selectors": band + ["#tray"]},
            {"evaluate": "names again", "expression": NAMES_AGAIN},
            {"screenshot": "back", "overlay": True}, {"nameBoxes": "back"}, {"save": "back"},
            {"evaluate": "saves", "expression": SAVES_AT_ONCE}], viewport=(844, 390),
            touch=True, worker_drawing=False, url="file://" + os.path.join(test_web.SITE, "index.html"))
        self.assertClean(web)
        full, elements = web["probes"]["full"], web["elements"]
        self.assertEqual((full["fullscreen"], full["css"]), ("MAIN", full["window"]))
        width, height = full["window"]
        # The band: inside the screen, below its middle, text of at least 16 px, targets of at
        # least 44 x 44; nothing tapped took the focus from the program.
        for selector in band:
            found = elements["full"][selector]
            self.assertTrue(found["shown"], selector)
            self.assertTrue(inside(found["box"], width, height), (selector, found["box"]))
            self.assertGreater(found["box"][1], height / 2, (selector, found["box"]))
            self.assertGreaterEqual(found["fontSize"], 16, selector)
            if selector != "#status":
                left, top, right, bottom = found["box"]
                self.assertGreaterEqual(min(right - left, bottom - top), 44, selector)
        self.assertFalse(elements["full"]["#tray"]["shown"])
        self.assertEqual(elements["full"]["#fullscreen"]["text"], "Leave full screen")
        # The tray: every key on the screen, pressable, and it closes again.
        tray = elements["tray"]
        self.assertEqual(tray["#show-keys"]["expanded"], "true")
        for selector in keys:
            found = tray[selector]
            left, top, right, bottom = found["box"]
            self.assertTrue(found["shown"] and inside(found["box"], width, height), selector)
            self.assertGreaterEqual(min(right - left, bottom - top), 44, selector)
            self.assertGreaterEqual(found["fontSize"], 16, selector)
        stream = "".join(m["text"] + "\n" for m in web["console"])
        self.assertEqual(re.findall(r"key pressed = (\d+)", stream), ["93", "35"])
        closed = elements["closed"]
        self.assertFalse(closed["#tray"]["shown"])
        self.assertEqual((closed["#pause"]["pressed"], closed["#pause"]["focused"]),
                         ("true", False))
        self.assertIn("paused", closed["#status"]["text"])
        # Leaving puts the page back as it was, the Keys button hidden again.
        page, back = web["probes"]["page"], web["probes"]["back"]
        self.assertEqual([back[k] for k in ("fullscreen", "css", "buffer", "box", "scroll")],
                         [None] + [page[k] for k in ("css", "buffer", "box", "scroll")])
        for selector in band + ["#tray"]:
            self.assertEqual(elements["back"][selector]["box"], elements["page"][selector]["box"],
                             selector)
        self.assertFalse(elements["back"]["#show-keys"]["shown"])
        # Placed again between two pictures drawn by the page itself, every name comes back.
        before, again = web["evaluated"]["names again"]
        self.assertIn("Earth", before)
        self.assertEqual(again, before)
        # Saved from a folder and from the page's own WebGL canvas, still paused.
        image = picture.Image.open(web["saved"]["back"]["path"])
        self.assertEqual(list(image.size), back["buffer"])
        same_picture(self, picture.Capture(image), web_capture(web, "back"), web["nameBoxes"]["back"],
                     1)
        # Three clicks make one file; a file the browser cannot make is reported.
        self.assertEqual(web["evaluated"]["saves"], {
            "encoded": 1, "notice": "The picture could not be saved. Close"})


if __name__ == "__main__":
    test_web.main()
