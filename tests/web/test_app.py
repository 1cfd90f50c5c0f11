"""The web page as an app, in headless Chromium: installable with the icons it claims, running
with its server gone after one visit, moving whole to a new release, and opened from a folder;
each time the program prints the desktop's lines for the same keys.

    /usr/bin/python3 tests/web/test_app.py --binary build/tessaloran --site SITE_DIR \
        --next-site OTHER_SITE_DIR --artefacts DIR

OTHER_SITE_DIR is the same sources built another way (a new release of SITE_DIR's files).
"""

import hashlib
import json
import math
import os
import sys
import time

import test_web
from test_web import BrowserCase, browse
from PIL import Image

NEXT_SITE = None  # from --next-site
# A few presses on both sides (puppeteer's names, xdotool's): turning, following, zooming, time.
KEYS = [("a", "a"), ("Shift+3", "shift+3"), ("z", "z"), ("]", "bracketright"),
        ("Backspace", "BackSpace"), ("q", "q")]
PRESS_KEYS = [{"key": key} for key, _ in KEYS]
_desktop = []
# An inline script added to the page, as an injection would: whether it ran.
INJECT = """(() => {
  const script = document.createElement('script');
  script.textContent = 'window.injected = true;';
  document.head.appendChild(script);
  return window.injected === true;
})()"""


def digests(site):
    """{file name: SHA-256} for every file of a site."""
    found = {}
    for folder, _, files in os.walk(site):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, site)] = hashlib.sha256(f.read()).hexdigest()
    return found


def last_load(web):
    """The result with only the console messages of the page's last document."""
    final = max(m["load"] for m in web["console"])
    return dict(web, console=[m for m in web["console"] if m["load"] == final])


class AppTest(BrowserCase):

    def desktop_lines(self):
        """The desktop program's output for KEYS (run once for all the tests)."""
        if not _desktop:
            app = self.desktop()
            app.key(*[x11 for _, x11 in KEYS])
            deadline = time.monotonic() + 20
            while app.stdout.text().count("key pressed") < len(KEYS) and \
                    time.monotonic() < deadline:
                time.sleep(0.05)
            _desktop.append(self.settled(app))
        self.assertEqual(_desktop[0].count("key pressed"), len(KEYS), _desktop[0])
        return _desktop[0]

    def test_installable_with_icons_of_the_sizes_they_claim(self):
        web = browse(self.name, [{"installability": "page"}])
        self.assertClean(web)
        self.assertEqual(web["installability"]["page"], [])
        with open(os.path.join(test_web.SITE, "manifest.webmanifest")) as f:
            icons = json.load(f)["icons"]
        for icon in icons:
            with Image.open(os.path.join(test_web.SITE, icon["src"])) as image:
                self.assertEqual("%dx%d" % image.size, icon["sizes"], icon)
        self.assertEqual({(i["sizes"], i.get("purpose", "any")) for i in icons},
                         {("192x192", "any"), ("512x512", "any"), ("512x512", "maskable")})
        # iOS shows a transparent touch icon's corners black: it must be opaque.
        with Image.open(os.path.join(test_web.SITE, "apple-touch-icon.png")) as image:
            touch = image.convert("RGBA")
        self.assertEqual(touch.size, (180, 180))
        self.assertEqual(touch.getchannel("A").getextrema(), (255, 255))
        # A mask may keep only the middle circle of 80 % of the width: outside it, nothing but
        # the opaque background (within the artwork's own smoothing of its background's edge).
        with Image.open(os.path.join(test_web.SITE, "icon-maskable.png")) as image:
            mask = image.convert("RGBA")
        width = mask.size[0]
        outside = {mask.getpixel((x, y)) for x in range(width) for y in range(width)
                   if math.dist((x + 0.5, y + 0.5), (width / 2, width / 2)) > 0.4 * width}
        background = mask.getpixel((0, 0))
        self.assertEqual(background[3], 255)
        self.assertEqual({p for p in outside if max(map(abs, map(int.__sub__, p, background))) > 2},
                         set(), "artwork outside the maskable icon's safe zone")

    def test_runs_after_one_visit_with_the_server_gone(self):
        # The installability check makes the browser fetch the app's icons now, not while the
        # server stops. The site is under a path of a larger one, as on a school's server.
        web = browse(self.name, [{"serviceWorker": "active"}, {"installability": "visit"},
                                 {"server": "stop"}, {"reload": True}] + PRESS_KEYS,
                     base="/school/tessaloran/")
        self.assertClean(web)
        final = [r for r in web["responses"] if r["load"] == 2]
        self.assertTrue(final and all(r["serviceWorker"] for r in final), final)
        self.assertSameStream(self.desktop_lines(), last_load(web))

    def test_a_new_release_replaces_the_old_whole_within_two_loads(self):
        old, new = digests(test_web.SITE), digests(NEXT_SITE)
        self.assertNotEqual(old["tessaloran.js"], new["tessaloran.js"], "the releases are alike")
        web = browse(self.name, [
            {"serviceWorker": "active"}, {"installability": "visit"}, {"server": NEXT_SITE},
            {"reload": True}, {"serviceWorker": "waiting"}, {"probe": "old"},  # the first load
            {"reload": True}, {"caches": "new"},  # the second
            {"server": "stop"}, {"reload": True}] + PRESS_KEYS)
        self.assertClean(web)
        self.assertTrue(web["probes"]["old"]["updateNotice"], "no notice of the new release")
        # Each load that ran the page got all its files from one release: the first visit and
        # the first load after the switch the old one, the second and the offline one the new.
        self.assertEqual(self.releases(web, old, new), ["old", "old", "new", "new"])
        self.assertOnlyCached(web, new)
        self.assertSameStream(self.desktop_lines(), last_load(web))

    def test_the_notice_reloads_under_the_new_release_at_once(self):
        old, new = digests(test_web.SITE), digests(NEXT_SITE)
        web = browse(self.name, [
            {"serviceWorker": "active"}, {"installability": "visit"}, {"server": NEXT_SITE},
            {"reload": True}, {"serviceWorker": "waiting"}, {"accept": "#update button"},
            {"probe": "new"}, {"caches": "new"}])
        self.assertClean(web)
        self.assertEqual(self.releases(web, old, new), ["old", "old", "new"])
        self.assertFalse(web["probes"]["new"]["updateNotice"])
        self.assertOnlyCached(web, new)

    def releases(self, web, old, new):
        """The release of each load that ran the page: "old" or "new" when all its files are of
        that release (Chromium does not always keep the body of its own fetch of the manifest's
        icon), else the files. A load of the document alone, which loads the page again under the
        new release, is left out."""
        releases = []
        for load in sorted({r["load"] for r in web["responses"]}):
            files = {r["url"][len(web["url"]):] or "index.html": r["sha256"]
                     for r in web["responses"] if r["load"] == load and r["sha256"]}
            if len(files) > 1:
                self.assertLessEqual({"index.html", "page.js", "offline.js", "tessaloran.js"},
                                     files.keys())
                releases.append("old" if files.items() <= old.items() else
                                "new" if files.items() <= new.items() else files)
        return releases

    def assertOnlyCached(self, web, release):
        """One cache is left, with every file of the release (its worker aside) and no other."""
        self.assertEqual(len(web["caches"]["new"]), 1, web["caches"]["new"].keys())
        kept = {url[len(web["url"]):]: digest
                for url, digest in next(iter(web["caches"]["new"].values())).items()}
        self.assertEqual(kept, {k: v for k, v in release.items() if k != "service-worker.js"})

    def test_opened_from_a_folder(self):
        web = browse(self.name, PRESS_KEYS + [{"evaluate": "injected", "expression": INJECT}],
                     url="file://" + os.path.join(test_web.SITE, "index.html"))
        # A script put into the page does not run: its policy refuses it, and the refusal is the
        # page's only error.
        self.assertFalse(web["evaluated"]["injected"])
        refused = [e for e in web["errors"] if "script-src" in e]
        self.assertEqual(len(refused), 1, web["errors"])
        self.assertClean(dict(web, errors=[e for e in web["errors"] if e not in refused],
                              console=[m for m in web["console"] if "script-src" not in m["text"]
                                       and "Content Security Policy" not in m["text"]]))
        self.assertSameStream(self.desktop_lines(), web)


def main():
    global NEXT_SITE
    for option in ("--site", "--next-site"):
        at = sys.argv.index(option)
        value = os.path.abspath(sys.argv[at + 1])
        del sys.argv[at:at + 2]
        if option == "--site":
            test_web.SITE = value
        else:
            NEXT_SITE = value
    test_web.harness.main()


if __name__ == "__main__":
    main()
