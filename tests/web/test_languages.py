"""The page in its languages. CatalogTest, without a browser: every catalog has every message of
the English one, no other, with the same placeholders, and every language is offered wherever
the page lists its languages; each language calls each thing of its glossary by the glossary's
name, on the page and in the desktop entry and metainfo. LanguageTest, in headless Chromium: the
browser's languages pick the page's, the control changes it at once and a reload keeps the
choice; in Polish, Arabic and Russian no English word is left, the status line's numbers are
grouped as Intl groups them, and the on-screen keys, keys and drags make the program print what
they make it print in English; in Arabic the page runs right to left over the same picture.

    /usr/bin/python3 tests/web/test_languages.py --binary build/tessaloran --site SITE_DIR \
        --artefacts DIR [CatalogTest | LanguageTest]
"""

import json
import os
import re
import sys
import unittest
from xml.etree import ElementTree

import test_web
from test_web import BrowserCase, browse, path, web_capture

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE = os.path.join(HERE, "..", "..", "web", "page")
PLACEHOLDER = re.compile(r"\{(\w+)\}")


def catalog(language):
    with open(os.path.join(PAGE, "messages", language + ".json"), encoding="utf-8") as f:
        return json.load(f)


def read(*parts):
    with open(os.path.join(HERE, "..", "..", *parts), encoding="utf-8") as f:
        return f.read()


def glossary(language):
    with open(os.path.join(PAGE, "messages", "glossary", language + ".json"),
              encoding="utf-8") as f:
        return json.load(f)


# Scripts that put spaces between words, where a glossary spelling matches whole words only.
SPACED = re.compile(r"[A-Za-z\u00c0-\u024f\u0400-\u04ff]")


def spelling(text):
    """A glossary spelling as a pattern: '*' stands for a word's ending (the cases of Polish or
    Russian, a German genitive s)."""
    pattern = r"\w*".join(map(re.escape, text.split("*")))
    if SPACED.match(text[0]):
        pattern = r"(?<!\w)" + pattern
    if SPACED.match(text[-1]):
        pattern += r"(?!\w)"
    return pattern


def packaged(language):
    """What the desktop entry and the metainfo say in a language, but the keywords, which list a
    word's other spellings on purpose, for a search to find them."""
    locale = None if language == "en" else language.replace("-", "_")
    app = os.path.join("dist", "io.github.tessaloran.Tessaloran")
    texts = [text for _, tag, text in re.findall(r"^(GenericName|Comment)(?:\[(\w+)\])?=(.*)$",
                                                 read(app + ".desktop"), re.M)
             if (tag or None) == locale]
    component = ElementTree.fromstring(read(app + ".metainfo.xml").encode("utf-8"))
    return texts + [" ".join(element.text.split())
                    for where in ("summary", "description/p", "screenshots/screenshot/caption")
                    for element in component.findall(where)
                    if element.get("{http://www.w3.org/XML/1998/namespace}lang") == locale]


def words(text):
    """The words of a text, lower case, without its placeholders' names."""
    return {w.lower() for w in re.findall(r"[^\W\d_]+", PLACEHOLDER.sub(" ", text))}


class CatalogTest(unittest.TestCase):

    def test_every_catalog_has_every_message_with_the_same_placeholders(self):
        english = catalog("en")
        found = sorted(f[:-5] for f in os.listdir(os.path.join(PAGE, "messages"))
                       if f.endswith(".json"))
        # The languages the page offers, loads and the build makes scripts of are the catalogs.
        control = re.search(r'<select id="language".*?</select>', read("web", "page", "index.html"),
                            re.S)[0]
        offered = re.findall(r'<option value="([\w-]+)"', control)
        loaded = re.findall(r"'([\w-]+)'", re.search(r"const languages = \[([^\]]*)\]",
                                                      read("web", "page", "i18n.js"))[1])
        built = re.search(r"set\(TESSALORAN_LANGUAGES ([^)]*)\)",
                          read("web", "CMakeLists.txt"))[1].split()
        self.assertEqual(len(found), 13)
        self.assertEqual((sorted(offered), sorted(loaded), sorted(built + ["en"])),
                         (found, found, found))
        # Every message the page marks exists, and the page's own English is the catalog's, so
        # that writing it in English changes nothing.
        page = read("web", "page", "index.html")
        marked = re.findall(r'data-i18n(?:-aria-label|-content)?="([\w.]+)"', page)
        self.assertEqual(sorted(set(marked) - set(english)), [])
        for name, text in re.findall(r'<(?:\w+) [^>]*data-i18n="([\w.]+)"[^>]*>([^<]*)<', page):
            if not PLACEHOLDER.search(english[name]):
                self.assertEqual(" ".join(text.split()), english[name], name)
        for language in found:
            messages = catalog(language)
            with self.subTest(language=language):
                self.assertEqual(sorted(set(english) - set(messages)), [], "missing")
                self.assertEqual(sorted(set(messages) - set(english)), [], "not in en.json")
                for name, text in english.items():
                    own = messages.get(name, text)
                    self.assertTrue(isinstance(own, str) and own.strip(), name)
                    # The same placeholders, each at least once ("1/{factor}" beside "{factor}").
                    self.assertEqual(sorted(set(PLACEHOLDER.findall(own))),
                                     sorted(set(PLACEHOLDER.findall(text))), name)

    def test_each_language_calls_each_thing_by_its_glossary_name(self):
        # Each catalog has its glossary: per thing, the spellings to use and the ones not to.
        languages = sorted(f[:-5] for f in os.listdir(os.path.join(PAGE, "messages"))
                           if f.endswith(".json"))
        glossaries = sorted(f[:-5] for f in os.listdir(os.path.join(PAGE, "messages", "glossary")))
        self.assertEqual(glossaries, languages)
        for language in languages:
            page = "\n".join(catalog(language).values())
            package = packaged(language)
            self.assertGreaterEqual(len(package), 5, language)  # the package speaks it too
            for thing, spellings in glossary(language).items():
                with self.subTest(language=language, thing=thing):
                    self.assertTrue(any(re.search(spelling(use), page, re.I)
                                        for use in spellings["use"]), "unused on the page")
                    for wrong in spellings["not"]:
                        # Only a capital tells "soleil" from "Soleil": that one is matched as cased.
                        cased = wrong.lower() in map(str.lower, spellings["use"])
                        for where, text in (("page", page), ("package", "\n".join(package))):
                            found = re.findall(spelling(wrong), text, 0 if cased else re.I)
                            self.assertEqual(found, [], "the %s says it otherwise than %s"
                                             % (where, " or ".join(spellings["use"])))


# The same input in every language: on-screen keys (the Earth followed, two zooms in), a key
# and a right-button drag to the right, then the picture; then time 10^4 times faster, for
# grouped digits in the status line.
def actions(tag):
    def tap(key):
        return {"click": 'button[data-key="%d"]' % key}
    return ([tap(35), tap(122), tap(122), {"key": "a"},
             {"drag": ["right"], "path": path((300, 400), (700, 400), 8)}, {"key": "q"},
             {"at": 5000}, {"screenshot": tag}] + [tap(93)] * 4 +
            [{"wait": 600}, {"words": tag}, {"probe": tag}])


# What a page in trouble shows: its language, whether it is painted, the language notice's text
# (null while hidden) and the status line.
SHOWN = """(() => {
  const root = document.documentElement;
  const notice = document.getElementById('language-notice');
  return { lang: root.lang, painted: !root.classList.contains('i18n-loading') &&
      getComputedStyle(document.body).visibility === 'visible',
    notice: notice && !notice.hidden ? notice.textContent.replace(/\s+/g, ' ') : null,
    status: document.querySelector('#status > span').textContent };
})()"""
CATALOG_FAULTS = ["catalog fails", "catalog late", "catalog empty", "catalog unwritable"]

# Whether the page's largest paint is its first contentful one: its largest text ("Starting…" in
# the status line among them) is there from the start, not written later by the program.
LARGEST_PAINT_FIRST = {"evaluate": "largest paint first", "expression": """
new Promise((resolve) => {
  new PerformanceObserver((list) => {
    const [paint] = performance.getEntriesByName('first-contentful-paint');
    const largest = list.getEntries().pop();
    resolve(Boolean(paint && largest) && largest.startTime <= paint.startTime + 1);
  }).observe({ type: 'largest-contentful-paint', buffered: true });
})"""}


def stream(web, load):
    return [m["text"] for m in web["console"] if m["type"] == "log" and m["load"] == load]


class LanguageTest(BrowserCase):

    def assertInLanguage(self, said, language, direction="ltr"):
        """The page is in `language`, with no word of the English catalog that is not also one
        of that language's catalog, and the status line's numbers as Intl writes them there."""
        self.assertEqual((said["lang"], said["dir"], said["control"]),
                         (language, direction, language))
        english = set().union(*map(words, catalog("en").values()))
        own = set().union(*map(words, catalog(language).values()))
        shown = words(" ".join([said["text"], said["title"], said["description"]] +
                               said["labels"]))
        self.assertEqual(sorted(shown & (english - own)), [], language)
        for name in ("time", "globes", "km"):
            self.assertIn(said["intl"][name], said["status"], (language, name))

    def test_the_page_speaks_the_browsers_language_and_the_one_chosen(self):
        english = browse(self.name + "-en", actions("en") + [
            LARGEST_PAINT_FIRST,
            {"evaluate": "matches",
             "expression": "['pt-PT', 'zh', 'zh-CN', 'zh-TW', 'de-AT', 'sv', 'en-GB', 'AR']"
                           ".map((tag) => tessaloran.i18n.bestMatch(['sv-SE', tag]))"}],
                         languages="en-US")
        self.assertClean(english)
        self.assertIs(english["evaluated"]["largest paint first"], True)
        self.assertEqual(english["evaluated"]["matches"],
                         ["pt-BR", "zh-CN", "zh-CN", "zh-CN", "de", "en", "en", "ar"])
        said = english["words"]["en"]
        self.assertEqual((said["lang"], said["dir"]), ("en", "ltr"))
        self.assertRegex(said["status"], r"^time ×10,000 · .* elapsed · following Earth · ")
        # Polish from the browser's languages; Arabic from the control, at once and after a
        # reload with the server gone (the page kept offline), with the same input again. The
        # installability check has the browser fetch the app's icons before the server stops.
        web = browse(self.name, actions("pl") + [
            LARGEST_PAINT_FIRST, {"select": "#language", "value": "ar"}, {"wait": 300},
            {"words": "chosen"}, {"serviceWorker": "active"}, {"installability": "visit"},
            {"server": "stop"}, {"reload": True}] + actions("ar"), languages="pl-PL,pl,en-US")
        self.assertClean(web)
        offline = [r["url"] for r in web["responses"] if r["load"] == 2]
        self.assertTrue(any(url.endswith("/messages-ar.js") for url in offline), offline)
        self.assertTrue(all(r["serviceWorker"] for r in web["responses"] if r["load"] == 2))
        self.assertIs(web["evaluated"]["largest paint first"], True)
        self.assertInLanguage(web["words"]["pl"], "pl")
        self.assertNotIn("14,142", web["words"]["pl"]["status"])  # not English's grouping
        self.assertInLanguage(web["words"]["chosen"], "ar", "rtl")
        self.assertInLanguage(web["words"]["ar"], "ar", "rtl")
        # Nothing moved as the page was written in its language.
        for tag in ("pl", "ar"):
            self.assertEqual(web["probes"][tag]["layoutShift"], 0, web["probes"][tag])
        # The keys and the drag did what they do in English; the picture is not mirrored.
        self.assertIn("view dir horiz", "".join(stream(english, 1)))
        self.assertEqual(stream(web, 1), stream(english, 1))
        self.assertEqual(stream(web, 2), stream(english, 1))
        self.assertSamePicture([web_capture(english, "en")], web_capture(web, "ar"), "Arabic")

    def test_a_german_page_is_shown_whatever_fails(self):
        # One page load in German, then a load for each fault, in English where the catalog
        # cannot serve, in German with plain units where Intl has none.
        actions = [{"wait": 600}, {"evaluate": "de", "expression": SHOWN}]
        for fault in CATALOG_FAULTS + ["old Intl", "program fails"]:
            actions += [{"fault": fault}, {"reload": True, "frame": fault != "program fails"},
                        {"wait": 600}, {"evaluate": fault, "expression": SHOWN}]
        web = browse(self.name, actions, languages="de-DE")
        self.assertEqual(web["errors"], [])
        shown = web["evaluated"]
        self.assertEqual((shown["de"]["lang"], shown["de"]["painted"], shown["de"]["notice"]),
                         ("de", True, None))
        for fault in CATALOG_FAULTS:
            said = shown[fault]
            self.assertEqual((said["lang"], said["painted"], said["notice"]),
                             ("en", True, "The page could not be shown in this language: "
                              "Deutsch. Close"), fault)
            self.assertRegex(said["status"], r"^time ×1 · .* elapsed · ", fault)
        # No unit from Intl: kilometres and the elapsed time as the units' symbols.
        said = shown["old Intl"]
        self.assertEqual((said["lang"], said["painted"], said["notice"]), ("de", True, None))
        self.assertRegex(said["status"], r"^Zeit ×1 · \d+ s vergangen · .* [\d.]+ km ", said)
        # No program: the status line says so, rather than "Starting…" for good.
        said = shown["program fails"]
        self.assertEqual((said["lang"], said["painted"], said["status"]),
                         ("de", True, catalog("de")["status.failed"]))

    def test_a_phone_in_russian_keeps_the_keys_in_place(self):
        # Time 10^8 times faster: the status line's words change as it runs, wrapping anew.
        web = browse(self.name, [{"tapButton": 93}] * 8 + [{"wait": 1500}, {"words": "ru"},
                                                           {"probe": "later"}],
                     viewport=(390, 844), touch=True, languages="ru-RU")
        self.assertClean(web)
        self.assertInLanguage(web["words"]["ru"], "ru")
        self.assertEqual(web["probes"]["later"]["layoutShift"], 0,
                         web["probes"]["later"]["layoutShifted"])
        self.assertEqual(re.findall(r"key pressed = (\d+)", "".join(stream(web, 1))),
                         ["93"] * 8)


def main():
    # --site for the browser's cases; --state, which the other browser cases take, is not used.
    for option in ("--site", "--state"):
        if option in sys.argv:
            at = sys.argv.index(option)
            if option == "--site":
                test_web.SITE = os.path.abspath(sys.argv[at + 1])
            del sys.argv[at:at + 2]
    test_web.harness.main()


if __name__ == "__main__":
    main()
