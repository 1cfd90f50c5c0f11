"""The Debian package that scripts/package.sh makes: its name and fields, exactly the files it
should hold, data files that pass their validators and name one another rightly, and a packaged
program that opens its window and draws. The program given with --binary is not used: the tests
run the one unpacked from the package."""

import collections
import gzip
import os
import re
import shutil
import subprocess
import unittest
from xml.etree import ElementTree

import harness
import picture

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
APP_ID = "io.github.tessaloran.Tessaloran"
FILES = {
    "usr/bin/tessaloran",
    "usr/share/applications/%s.desktop" % APP_ID,
    "usr/share/metainfo/%s.metainfo.xml" % APP_ID,
    "usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
    "usr/share/icons/hicolor/48x48/apps/%s.png" % APP_ID,
    "usr/share/icons/hicolor/256x256/apps/%s.png" % APP_ID,
    "usr/share/man/man1/tessaloran.1.gz",
    "usr/share/doc/tessaloran/README.md",
    "usr/share/doc/tessaloran/LICENSE",
    "usr/share/doc/tessaloran/copyright",
    "usr/share/doc/tessaloran/changelog.gz",
}
# The languages the menu entry and the software centre's page are written in besides English.
LANGUAGES = ("de", "fr", "es", "it", "pt_BR", "nl", "pl", "ru", "tr", "zh_CN", "ja", "ar")
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"

# Set by setUpModule: the .deb and the folder it is unpacked in.
PACKAGE = None
ROOT = None


def setUpModule():
    global PACKAGE, ROOT
    build = os.path.join(harness.ARTEFACTS, "build")
    made = subprocess.run([os.path.join(REPO, "scripts", "package.sh"), "--build-dir", build],
                          capture_output=True, text=True, timeout=harness.patience(600))
    if made.returncode != 0:
        raise RuntimeError("scripts/package.sh failed:\n" + made.stderr[-4000:])
    PACKAGE = made.stdout.splitlines()[-1]
    ROOT = os.path.join(harness.ARTEFACTS, "root")
    shutil.rmtree(ROOT, ignore_errors=True)
    subprocess.run(["dpkg-deb", "-x", PACKAGE, ROOT], check=True)
    harness.BINARY = os.path.join(ROOT, "usr", "bin", "tessaloran")


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=harness.patience(60), **options)


def path(name):
    return os.path.join(ROOT, name)


class PackageContentsTest(unittest.TestCase):

    def test_name_fields_and_exact_file_list(self):
        fields = dict(re.findall(r"^(\w[\w-]*): (.*)$", run("dpkg-deb", "-f", PACKAGE).stdout,
                                 re.M))
        self.assertEqual(os.path.basename(PACKAGE), "tessaloran_%s_%s.deb"
                         % (fields["Version"], fields["Architecture"]))
        self.assertEqual((fields["Package"], fields["Section"]), ("tessaloran", "science"))
        for library in ("libglut", "libGLU|libglu", "libc6"):
            self.assertRegex(fields.get("Depends", ""), library, "dependency not worked out")
        # Every place that names the version agrees with the package's.
        with gzip.open(path("usr/share/doc/tessaloran/changelog.gz"), "rt") as changelog:
            self.assertEqual(changelog.readline().split()[1], "(%s)" % fields["Version"])
        with open(path("usr/share/metainfo/%s.metainfo.xml" % APP_ID)) as metainfo:
            self.assertIn('<release version="%s"' % fields["Version"], metainfo.read())

        found = set()
        for folder, _, names in os.walk(ROOT):
            found.update(os.path.relpath(os.path.join(folder, name), ROOT) for name in names)
        self.assertEqual(found, FILES)
        self.assertIn(", stripped", run("file", "-L", harness.BINARY).stdout)

    def test_data_files_validate_and_name_one_another(self):
        desktop = path("usr/share/applications/%s.desktop" % APP_ID)
        metainfo = path("usr/share/metainfo/%s.metainfo.xml" % APP_ID)
        checks = [run("desktop-file-validate", desktop),
                  run("appstreamcli", "validate", "--no-net", metainfo)]
        with gzip.open(path("usr/share/man/man1/tessaloran.1.gz"), "rt") as page:
            checks.append(run("groff", "-man", "-ww", "-z", input=page.read(),
                              env=dict(os.environ, LC_ALL="C.UTF-8")))
        for check in checks:
            self.assertEqual(check.returncode, 0, "%s:\n%s%s" % (check.args, check.stdout,
                                                                 check.stderr))
            self.assertNotRegex(check.stdout + check.stderr, r"(?i)error|warning", check.args)

        with open(desktop, encoding="utf-8") as entry:
            keys = dict(re.findall(r"^(\w+(?:\[\w+\])?)=(.*)$", entry.read(), re.M))
        self.assertEqual((keys["Exec"], keys["Icon"]), ("tessaloran", APP_ID))
        with open(metainfo, encoding="utf-8") as data:
            text = data.read()
        self.assertIn("<id>%s</id>" % APP_ID, text)
        self.assertIn('<launchable type="desktop-id">%s.desktop</launchable>' % APP_ID, text)

        # Each language has its own words for every text a menu or software centre shows, as many
        # paragraphs as the English, and the program's name stays TESSALORAN in all of them.
        component = ElementTree.fromstring(text.encode("utf-8"))
        self.assertEqual({value for key, value in keys.items() if key.startswith("Name")}
                         | {name.text for name in component.findall("name")}, {"TESSALORAN"})
        shown = ("name", "summary", "description/p", "screenshots/screenshot/caption")
        texts = collections.Counter((where, element.get(XML_LANG)) for where in shown
                                    for element in component.findall(where))
        for language in LANGUAGES:
            self.assertIn("Name[%s]" % language, keys, "desktop entry: %s has no Name" % language)
            for key in ("GenericName", "Comment", "Keywords"):
                self.assertNotIn(keys.get("%s[%s]" % (key, language), ""), ("", keys[key]),
                                 "desktop entry: %s has no %s" % (language, key))
            for where in shown:
                self.assertEqual(texts[(where, language)], texts[(where, None)],
                                 "metainfo: %s has not every %s" % (language, where))


class PackagedProgramTest(harness.ProgramTestCase):

    def test_opens_its_window_and_draws(self):
        self.assertRegex(self.app.title(), r"^TESSALORAN ")
        shot = picture.capture_until(self.app, "start", picture.drawn)
        self.assertTrue(picture.drawn(shot), "the window stayed black")
        self.assertTrue(self.app.alive(), "the program ended:\n" + self.app.stderr.text())


if __name__ == "__main__":
    harness.main()
