"""The page in the two engines besides Chromium, one page load each, held to the desktop program
as the Chromium tests hold it: Firefox ESR through puppeteer's WebDriver BiDi, and WebKitGTK (the
engine of Safari) through WebKitWebDriver driving MiniBrowser, both in windows under Xvfb.

    /usr/bin/python3 tests/web/test_engines.py --binary build/tessaloran --site SITE_DIR \
        --state STATE_AFTER_KEYS --artefacts DIR
"""

import base64
import io
import math
import os
import time

import test_names
import test_web
import webkit
from test_controls import (KEPT, MEASURE_LINE, WIDTHS, check_line_widths, measure_line,
                           same_picture)
from test_web import (DRAGS, KEYS, SILENT, STATUS_KEYS, STATUS_KEYS_AFTER, BrowserCase, browse,
                      desktop_drag, desktop_state, harness, picture, pressed_codes,
                      status_actions, web_capture)


# The boxes of the bodies' names shown over the picture, in CSS pixels from the canvas's top
# left, and the canvas's drawing-buffer pixels per CSS pixel.
NAMES = """
const canvas = document.getElementById('canvas').getBoundingClientRect();
const names = Array.from(document.querySelectorAll('#names-layer [data-body]'))
  .filter((n) => n.getClientRects().length > 0 && getComputedStyle(n).visibility !== 'hidden')
  .map((n) => n.getBoundingClientRect())
  .map((b) => [b.left - canvas.left, b.top - canvas.top, b.right - canvas.left,
    b.bottom - canvas.top]);
return [names, document.getElementById('canvas').width / canvas.width];
"""


# A link this version makes (tests/app/view_link_test.cpp opens it too), paused, so that the view
# read back is the link itself; and a bad link, whose notice names its bad part.
GOOD_LINK = ("v=1&time=1000000&globes=1&follow=none&level=mars"
             "&eye=844053.33230391612,12100000,12070525.008143873"
             "&look=0,1414213.5623730951,-4242640.6871192853&dir=94,45"
             "&grids=70710678.11865475,14142135.62373095&plane=mars&elapsed=3000000&paused=1"
             "&names=0")
BAD_LINK = "v=1&time=1e400&follow=<b>x</b>"
# What the page shows of a link opened in it: the view's link as the program writes it, the
# notice's text (null if none), the status numbers and the elements the page has.
LINK_VIEW = """
const notice = document.getElementById('link-notice');
return { link: Module.UTF8ToString(Module._webViewLink(tessaloran.namesShown() ? 1 : 0)),
  notice: notice.hidden ? null : notice.querySelector('span').textContent,
  numbers: [0, 1, 2, 3, 4, 5].map(Module._webStatus),
  markup: document.querySelectorAll('b, img, script:not([src])').length };
"""


class EngineCase(BrowserCase):
    """One page load in another engine: the start picture, the keys' stream, the status line and
    the drags, against the desktop program given the same input."""

    maxDiff = None

    def check_links(self, good, bad, fresh):
        """The good link opened in the page is its view; the bad one says which parts it could
        not use and leaves them as they were: at their start values in a page it opens anew
        (`fresh`), else at the good link's."""
        self.assertEqual((good["link"], good["notice"]), (GOOD_LINK, None))
        self.assertIn("the time scale", bad["notice"])
        self.assertIn("the followed body", bad["notice"])
        self.assertEqual(bad["markup"], 0)
        if fresh:
            self.assertEqual((bad["numbers"][0], bad["numbers"][2]), (1, -1))
        else:
            self.assertEqual(bad["link"], GOOD_LINK)

    def engine(self):
        """Runs the page; returns (start capture, stream, status readings, page errors, probes
        of the page before, in and after full screen)."""
        raise NotImplementedError

    def check_engine(self):
        shot, stream, status, errors, (page, full, back) = self.engine()
        self.assertEqual(errors, [])
        # The button fills the screen (the window, with no window manager); Escape leaves it.
        self.assertEqual((full["fullscreen"], full["css"]), ("MAIN", full["window"]))
        self.assertEqual(full["buffer"], [round(n * full["ratio"]) for n in full["css"]])
        self.assertEqual([back[k] for k in ("fullscreen", "css", "buffer")],
                         [None, page["css"], page["buffer"]])
        app = self.desktop()
        shots = self.desktop_around(app, shot.moment, "start")
        app.xdotool("key", "Num_Lock")
        app.key(*[x11 for _, x11 in KEYS])
        app.key(*[x11 for _, x11, _ in STATUS_KEYS + STATUS_KEYS_AFTER])
        for buttons, points in DRAGS:
            desktop_drag(app, buttons, points)
        app.key("q")
        desktop = self.settled(app)
        self.assertEqual(stream, desktop[:desktop.rindex("\n") + 1])
        self.assertSamePicture(shots, shot, "start")
        before = pressed_codes(desktop)[:len([k for k, _ in KEYS if k not in SILENT])]
        self.assertStatusReads(status, before)


class FirefoxTest(EngineCase):
    """Firefox ESR through puppeteer's WebDriver BiDi, in a window on its own Xvfb (headless
    Firefox has no WebGL here)."""

    def engine(self):
        server = harness.XServer(self.name + "-firefox")
        self.addCleanup(server.stop)
        web = browse(self.name, [{"at": 3000}, {"screenshot": "start"}, {"names": "start"}] +
                     [{"key": key} for key, _ in KEYS] + status_actions() +
                     [{"drag": b, "path": p} for b, p in DRAGS] + [{"key": "q"}] +
                     [{"probe": "page"}, {"click": "#fullscreen"}, {"wait": 1000},
                      {"probe": "full"}, {"key": "Escape"}, {"wait": 1000}, {"probe": "back"},
                      {"click": "#pause"}, {"wait": 600}, {"status": "paused"},
                      {"screenshot": "paused", "overlay": True}, {"picture": "paused"}, {"nameBoxes": "paused"},
                      {"wait": 1500}, {"status": "paused later"}, {"status": "resuming"},
                      {"click": "#pause"}, {"wait": 1000}, {"status": "resumed"},
                      # The line widths in the start picture again, and the last one kept.
                      {"reload": True}, {"click": "#pause"}] +
                     [measure_line(w) for w in WIDTHS] +
                     [{"reload": True}, {"evaluate": "kept", "expression": KEPT},
                      {"evaluate": "set good", "expression": "location.hash = %r" % GOOD_LINK},
                      {"wait": 300},
                      {"evaluate": "good", "expression": "(() => {%s})()" % LINK_VIEW},
                      {"evaluate": "set bad", "expression": "location.hash = %r" % BAD_LINK},
                      {"reload": True},
                      {"evaluate": "bad", "expression": "(() => {%s})()" % LINK_VIEW}],

                     display=server.name)
        self.assertClean(web)
        # Paused, the elapsed time stands; resumed, it runs on with no jump (time x1,000 here).
        status = web["status"]
        paused, later, resumed = (status[n] for n in ("paused", "paused later", "resumed"))
        self.assertEqual(paused["numbers"][0], 1000)
        self.assertEqual(later["numbers"][1], paused["numbers"][1])
        self.assertEqual(later["text"], paused["text"])
        self.assertIn("elapsed, paused", paused["text"])
        gone = resumed["numbers"][1] - later["numbers"][1]
        since = (resumed["now"] - status["resuming"]["now"]) / 1000
        self.assertTrue(0 < gone <= since * 1000, (gone, since))
        # The picture Save picture saves, from the worker's pictures, is the one on the screen.
        same_picture(self, picture.Capture(picture.Image.open(web["pictures"]["paused"])),
                     web_capture(web, "paused"), web["nameBoxes"]["paused"], 1)
        check_line_widths(self, {w: web["evaluated"]["line %d" % w] for w in WIDTHS})
        self.assertEqual(web["evaluated"]["kept"], [5, "5"])
        # A good link opened in the running page, then a bad one opened anew.
        self.check_links(web["evaluated"]["good"], web["evaluated"]["bad"], fresh=True)
        stream = "".join(m["text"] + "\n" for m in web["console"]
                         if m["type"] == "log" and m["load"] == 1)
        probes = [web["probes"][name] for name in ("page", "full", "back")]
        self.names = web["names"]["start"]
        return web_capture(web, "start"), stream, web["status"], web["errors"], probes

    def test_keys_picture_status_and_drags_match_the_desktop(self):
        self.check_engine()
        # The Sun's name sits on its globe's centre here too.
        sun = self.names["labels"]["Sun"]
        centre = test_names.projected(desktop_state(""), self.names["canvas"])["Sun"]
        self.assertTrue(sun["shown"])
        self.assertLessEqual(math.dist(sun["box"][:2], centre), 2, (sun, centre))


class WebKitTest(EngineCase):
    """WebKitGTK: MiniBrowser through WebKitWebDriver, with real X input, on its own Xvfb."""

    def engine(self):
        server = harness.XServer(self.name + "-webkit")
        self.addCleanup(server.stop)
        browser = webkit.WebKit(server.name, test_web.SITE,
                                os.path.join(harness.ARTEFACTS, self.name + ".webkit.log"))
        self.addCleanup(browser.close)
        time.sleep(max(0.0, browser.first_frame + 3 - time.monotonic()))
        shot_path = os.path.join(harness.ARTEFACTS, self.name + "-webkit-start.png")
        moment = browser.screenshot(shot_path)
        shot = picture.Capture(picture.Image.open(shot_path))
        shot.moment = moment
        browser.key("Num_Lock")
        browser.key(*[x11 for _, x11 in KEYS])
        status = {}
        browser.key(*[x11 for _, x11, _ in STATUS_KEYS])
        for name, wait in (("first", 0.6), ("later", 1.0)):
            time.sleep(wait)
            status[name] = browser.status()
        browser.key(*[x11 for _, x11, _ in STATUS_KEYS_AFTER])
        time.sleep(0.6)
        status["after"] = browser.status()
        for buttons, points in DRAGS:
            browser.drag(buttons, points)
        browser.key("q")
        probes = [browser.probe()]
        browser.click("fullscreen")
        time.sleep(1)
        probes.append(browser.probe())
        browser.key("Escape")
        time.sleep(1)
        probes.append(browser.probe())
        self.check_pause_and_picture(browser)
        stream = "".join(line + "\n" for line in browser.lines())
        # A good link, then a bad one, opened in the running page.
        views = []
        for link in (GOOD_LINK, BAD_LINK):
            browser.run("location.hash = arguments[0]", link)
            time.sleep(0.3)
            views.append(browser.run(LINK_VIEW))
        self.check_links(*views, fresh=False)
        errors = browser.errors()
        self.check_line_widths(browser)
        return shot, stream, status, errors, probes

    def check_line_widths(self, browser):
        """The line widths in the start picture of a fresh load, and the last one kept over a
        reload."""
        def reload():
            browser.run("window.reloading = true; location.reload()")
            browser.wait_for("return !window.reloading && document.readyState === 'complete' && "
                             "tessaloran.started && Module._webFrameCount(3) > 0")
        reload()
        browser.run("document.getElementById('pause').click()")
        check_line_widths(self, {w: browser.run("return (%s)(%d)" % (MEASURE_LINE, w))
                                 for w in WIDTHS})
        reload()
        self.assertEqual(browser.run("return " + KEPT), [5, "5"])

    def check_pause_and_picture(self, browser):
        """Paused, the picture and the elapsed time stand, and the picture Save picture saves
        (the page draws WebGL itself here) is the one on the screen, names and all."""
        browser.click("pause")
        browser.run("scrollTo(0, 0)")  # the whole picture on the screen again
        time.sleep(0.6)
        paused = browser.status()
        shot_path = os.path.join(harness.ARTEFACTS, self.name + "-webkit-paused.png")
        browser.screenshot(shot_path, overlay=True)
        copy = browser.run("return tessaloran.pictureToSave().then((c) => c.toDataURL())")
        names, scale = browser.run(NAMES)
        time.sleep(1)
        later = browser.status()
        self.assertEqual((later["text"], later["numbers"]), (paused["text"], paused["numbers"]))
        self.assertIn("elapsed, paused", paused["text"])
        browser.click("pause")
        saved = picture.Capture(picture.Image.open(io.BytesIO(base64.b64decode(
            copy.split(",", 1)[1]))))
        shown = picture.Capture(picture.Image.open(shot_path))
        self.assertEqual(saved.image.size, shown.image.size)
        self.assertGreater(shown.count("drawn"), 0)
        same_picture(self, saved, shown, names, scale)

    def test_keys_picture_status_and_drags_match_the_desktop(self):
        self.check_engine()


if __name__ == "__main__":
    test_web.main()
