"""The picture's controls in headless Chromium: Pause stops the model's clock and nothing else,
full screen keeps the status line and the controls on the picture's edge with the keys in a tray
and the About panel clear of the picture's centre, Save picture downloads the picture as shown at
the canvas's full resolution, the About panel gives the model's facts, the Earth's distance as the
program draws it, live while time runs, in the page's language, and the line width thickens the
lines and is kept. test_engines.py measures the line width in the other engines with this file's
MEASURE_LINE and check_line_widths.

    /usr/bin/python3 tests/web/test_controls.py --binary build/tessaloran --site SITE_DIR \
        --state STATE_AFTER_KEYS --artefacts DIR
"""

import math
import os
import re

import test_web
from PIL import ImageFilter
from test_languages import LanguageTest
from test_web import (BODIES, BOUND_KEYS, UNITS, BrowserCase, browse, desktop_state, picture,
                      web_capture)

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


# Run in the page, paused at the start picture: chooses the line width `width` (CSS px) as the
# control does and returns, from a picture drawn at it, the runs of red pixels along the row at
# 78% of the picture's height within 40 CSS px of its centre, where the grid line through the
# look-at point runs down the picture's middle; with the names' font size.
MEASURE_LINE = """(width) => {
  const control = document.getElementById('line-width');
  control.value = String(width);
  control.dispatchEvent(new Event('change'));
  // Up to three frames made before the change may still be on their way to the screen (two
  // with the drawing worker, one waiting): the fourth picture is drawn at the new width.
  const next = () => tessaloran.nextPicture();
  return next().then(next).then(next).then(next).then((picture) => {
    const row = Math.round(picture.height * 0.78);
    const data = picture.getContext('2d').getImageData(0, row, picture.width, 1).data;
    const reach = 40 * devicePixelRatio;
    const runs = [];
    for (let x = Math.round(picture.width / 2 - reach); x < picture.width / 2 + reach; x += 1) {
      const [r, g, b] = data.slice(4 * x, 4 * x + 3);
      if (r < 200 || g > 60 || b > 60) continue;
      const last = runs[runs.length - 1];
      if (last && last.to === x - 1) last.to = x;
      else runs.push({ from: x, to: x, colour: [r, g, b] });
    }
    return { runs, size: [picture.width, picture.height], ratio: devicePixelRatio,
      names: parseFloat(getComputedStyle(document.getElementById('names-layer')).fontSize) };
  });
}"""
WIDTHS = (1, 2, 3, 5)
KEPT = "[tessaloran.lineWidth, document.getElementById('line-width').value]"


def measure_line(width):
    """browser.mjs's action for MEASURE_LINE at `width`."""
    return {"evaluate": "line %d" % width, "expression": "(%s)(%d)" % (MEASURE_LINE, width)}


def check_line_widths(case, readings):
    """The central grid line, measured at each width ({width: MEASURE_LINE's reading}): one run
    as many device pixels wide as the width at the device's pixel ratio (within 1), centred
    within half a pixel of the picture's middle where the line lies, in the one-pixel line's red;
    at 3 and 5 the names are at least 20 px."""
    colour = readings[1]["runs"][0]["colour"] if readings[1]["runs"] else None
    for width, reading in readings.items():
        runs, ratio = reading["runs"], reading["ratio"]
        case.assertEqual(len(runs), 1, (width, reading))
        run = runs[0]
        case.assertAlmostEqual(run["to"] - run["from"] + 1, width * ratio, delta=1,
                               msg=(width, reading))
        case.assertLessEqual(abs((run["from"] + run["to"] + 1) / 2 - reading["size"][0] / 2),
                             0.5, (width, reading))
        case.assertEqual(run["colour"], colour, (width, reading))
        case.assertEqual(reading["names"] >= 20, width >= 3, (width, reading))


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

    def test_line_width_thickens_the_lines_closes_the_corners_and_is_kept(self):
        # Each width at device pixel ratio 2 and 1; at 1, the choice after a reload, and the
        # Sun's globe zoomed in at 5 px and at 1 px.
        for scale in (2, 1):
            actions = [{"at": 2500}, {"click": "#pause"}] + [measure_line(w) for w in WIDTHS]
            if scale == 1:
                actions += [{"reload": True}, {"evaluate": "kept", "expression": KEPT},
                            # Without the names, whose dark outline the saved picture has too.
                            {"click": "#pause"}, {"click": "#names"}, {"wait": 500},
                            {"picture": "start wide"}, {"select": "#line-width", "value": "1"},
                            {"wait": 500}, {"picture": "start thin"},
                            {"select": "#line-width", "value": "5"}] + [{"key": "z"}] * 24 + [
                    {"wait": 500}, {"picture": "wide"}, {"select": "#line-width", "value": "1"},
                    {"wait": 500}, {"picture": "thin"}]
            web = browse(self.name, actions, scale=scale)
            self.assertClean(web)
            check_line_widths(self, {w: web["evaluated"]["line %d" % w] for w in WIDTHS})
        self.assertEqual(web["evaluated"]["kept"], [5, "5"])
        # Where the globe's one-pixel wires are, and beside them, the wide wires leave no
        # background: a notch at a corner between two segments would show black there.
        thin, wide, start_thin, start_wide = (
            picture.Capture(picture.Image.open(web["pictures"][n]))
            for n in ("thin", "wide", "start thin", "start wide"))
        # Every pixel of the one-pixel start picture is lit at 5 px too: the globes smaller than
        # a pixel, the lines that come in from past the edges and the ends of every strip.
        self.assertGreater(start_thin.count("drawn"), 5000)
        self.assertEqual(picture.count(picture.ImageChops.multiply(
            start_thin.mask("drawn"), start_wide.mask("black"))), 0)
        wires = thin.mask("yellow").filter(ImageFilter.MaxFilter(3))
        self.assertGreater(picture.count(wires), 20000)
        self.assertEqual(picture.count(picture.ImageChops.multiply(wires, wide.mask("black"))), 0)

    def test_full_screen_keeps_the_controls_on_the_edge_and_the_keys_in_a_tray(self):
        band = ["#status", "#fullscreen", "#pause", "#names", "#save", "#share", "#show-keys",
                "#show-about", "#line-width"]
        keys = ['button[data-key="%d"]' % key for key in sorted(BOUND_KEYS)]
        about = ["#about", "#show-about", "#close-about", "#about-others button"]
        # A phone on its side: the smallest screen that the band must leave the centre of. The
        # page is opened from its folder and draws on its canvas itself, as where workers cannot
        # draw.
        # Paused and resumed first, which scrolls the buttons into view: the label's change moves
        # nothing.
        web = browse(self.name, [
            {"tap": "#pause"}, {"tap": "#pause"}, {"select": "#line-width", "value": "3"},
            {"probe": "page"}, {"elements": "page", "selectors": band + ["#tray"]},
            {"tap": "#fullscreen"}, {"wait": 800}, {"probe": "full"},
            {"elements": "full", "selectors": band + ["#tray"]},
            {"tap": "#show-keys"}, {"wait": 300},
            {"elements": "tray", "selectors": ["#tray", "#show-keys"] + keys},
            {"tapButton": 93}, {"tapButton": 35},
            {"tap": "#show-keys"}, {"wait": 300}, {"tap": "#show-about"}, {"wait": 400},
            {"elements": "about", "selectors": about}, {"tap": "#close-about"},
            {"tap": "#pause"}, {"wait": 600},
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
            # At 3 px lines the status line is at least 20 px.
            self.assertGreaterEqual(found["fontSize"], 20 if selector == "#status" else 16,
                                    selector)
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
        # The About panel on the Earth: on the screen above the band, its buttons 44 px targets
        # that took no focus, and the picture's centre clear of it.
        about = elements["about"]
        self.assertTrue(about["#about"]["shown"] and inside(about["#about"]["box"], width, height))
        left, top, right, bottom = about["#about"]["box"]
        self.assertTrue(right < width / 2 - 20 or left > width / 2 + 20 or
                        bottom < height / 2 - 20, about["#about"]["box"])
        self.assertLessEqual(bottom, about["#show-about"]["box"][1])
        # Close shows whole in the panel's top row, not cut off by it.
        close = about["#close-about"]["box"]
        self.assertTrue(left <= close[0] and close[2] <= right and close[3] <= top + 60, close)
        for selector in about:
            # The moons' buttons may be scrolled to, below the facts.
            if selector != "#about-others button":
                self.assertTrue(inside(about[selector]["box"], width, height), selector)
            self.assertFalse(about[selector]["focused"], selector)
            if selector != "#about":
                box = about[selector]["box"]
                self.assertGreaterEqual(min(box[2] - box[0], box[3] - box[1]), 44, selector)
        self.assertEqual(about["#about-others button"]["text"], "Moon")
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

    def test_about_gives_the_models_facts_and_the_drawn_distance_from_the_earth(self):
        # Paused at once; the Earth followed and zoomed in, so the Moon's name shows apart from
        # the Earth's; then Mars followed. Then time runs a million times faster; then German
        # and Arabic.
        web = browse(self.name, [{"click": "#pause"}, {"key": "Shift+3"}] + [{"key": "z"}] * 20 +
                     [{"wait": 1000}, {"clickName": ["Moon"]}, {"wait": 300}, {"about": "moon"},
                      {"key": "Shift+4"}, {"wait": 400}, {"about": "mars"}, {"wait": 1000},
                      {"about": "stood"}, {"click": "#pause"}] + [{"key": "]"}] * 6 +
                     [{"wait": 500}, {"about": "running"}, {"wait": 2000}, {"about": "ran"},
                      {"select": "#language", "value": "de"}, {"wait": 400},
                      {"words": "de"}, {"about": "de", "number": 227900000},
                      {"select": "#language", "value": "ar"}, {"wait": 400},
                      {"words": "ar"}, {"about": "ar", "number": 227900000}])
        self.assertClean(web)
        about = web["about"]
        # A moon's name shows its facts, in a labelled region that announces them.
        moon = about["moon"]
        self.assertEqual(web["clicked"], "Moon")
        self.assertEqual((moon["shown"], moon["tag"], moon["label"], moon["live"]),
                         (True, "SECTION", "About: Moon", "polite"))
        self.assertEqual(moon["what"], "the Earth's moon")
        self.assertIn(["Distance from its planet", "384,400 km"], moon["facts"])
        # Following Mars shows Mars: the model's figures, worded by Intl.
        mars = dict(about["mars"]["facts"])
        self.assertEqual(about["mars"]["what"], "the fourth planet from the Sun")
        self.assertEqual(mars["Distance from the Sun"], "227,900,000 km (1.523 AU)")
        self.assertEqual(mars["Year (once round the Sun)"], "686.98 days")
        self.assertEqual(mars["Light from the Sun takes"], "12 min 40 sec")
        self.assertIn("183,472 km", about["mars"]["drift"])
        # The live distance is the one between the globe centres the desktop program draws after
        # the same keys and model time, and its light time; it stands while paused.
        elapsed = about["mars"]["elapsed"]
        centres = desktop_state("#" + "z" * 20 + "$", elapsed)["bodies"]
        drawn = math.dist(centres["Earth"], centres["Mars"])
        self.assertAlmostEqual(about["mars"]["fromEarth"][5], drawn, delta=0.01)
        self.assertEqual(about["mars"]["now"], "%s km; light or a radio signal takes %d min %d sec"
                         % ("{:,}".format(round(drawn)), *divmod(round(drawn / 299792.458), 60)))
        stood = about["stood"]
        self.assertEqual((stood["elapsed"], stood["now"], stood["rewrites"]),
                         (elapsed, about["mars"]["now"], about["mars"]["rewrites"]))
        # Running, it changes at least four times a second.
        running, ran = about["running"], about["ran"]
        self.assertNotEqual(running["fromEarth"][5], about["mars"]["fromEarth"][5])
        self.assertNotEqual(ran["now"], running["now"])
        seconds = (ran["at"] - running["at"]) / 1000
        self.assertGreaterEqual(ran["rewrites"] - running["rewrites"], math.floor(4 * seconds) - 1)
        # In German and Arabic: no English left, numbers grouped as Intl groups them there.
        for language, direction in (("de", "ltr"), ("ar", "rtl")):
            said = about[language]
            # The Sun's speed in km/s as Intl writes it, whose "s" is no English word.
            words = dict(web["words"][language])
            words["text"] = words["text"].replace(said["speed"], " ")
            LanguageTest.assertInLanguage(self, words, language, direction)
            self.assertIn(said["intl"], " ".join(value for _, value in said["facts"]), language)
            if language == "de":
                self.assertNotIn("227,900,000", str(said["facts"]))
            self.assertTrue(said["now"], language)


if __name__ == "__main__":
    test_web.main()
