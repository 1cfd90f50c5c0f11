"""The start-up line probe in the real program. Where Mesa's llvmpipe drops line segments that
reach far outside the window, the program switches itself to softpipe and says so in one line on
standard error; where llvmpipe draws them it changes nothing and says nothing; a driver the user
chose is always kept. The truth comes from the picture llvmpipe draws when the user chooses it,
and the renderer a window really draws with shows in the program's threads: llvmpipe runs
rasterizer threads named llvmpipe-N, softpipe none. A probe that faults or hangs in the
program's own GL does not stop the program."""

import os
import sys
import time

# The end-to-end harness and picture tools live beside the shared end-to-end tests.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
import picture  # noqa: E402
from picture import Camera  # noqa: E402

SWITCH_LINE = ("tessaloran: the OpenGL renderer \"llvmpipe",
               "\" drops lines that reach far outside the window; drawing with Mesa's softpipe "
               "renderer instead (GALLIUM_DRIVER=softpipe; set GALLIUM_DRIVER to choose a driver "
               "yourself)")


def llvmpipe_threads(app):
    tasks = "/proc/%d/task" % app.process.pid
    names = []
    for task in os.listdir(tasks):
        with open(os.path.join(tasks, task, "comm")) as comm:
            names.append(comm.read().strip())
    return [name for name in names if name.startswith("llvmpipe")]


def every_grid_line_drawn(shot):
    """Whether each line of the start scene's two grids that crosses the window is drawn along
    nine tenths of its length."""
    camera = Camera()
    for extent in (10 * camera.distance, 2 * camera.distance):
        for line in picture.grid_lines(extent):
            got, n = shot.coverage("drawn", camera, line)
            if n >= 20 and got < 0.9:
                return False
    return True


class DriverChoiceTest(harness.ProgramTestCase):
    # The program chooses only where the user has not: a driver set for the whole test run (as
    # under emulation, softpipe) is left out here.
    environment = {"GALLIUM_DRIVER": None}

    def test_softpipe_exactly_where_llvmpipe_drops_lines_and_a_chosen_driver_kept(self):
        time.sleep(1)  # the default run: its first frames are drawn by now
        said, threads = self.app.stderr.lines(), llvmpipe_threads(self.app)
        self.app.stop()

        chosen = harness.App(self.server, "chosen", {"GALLIUM_DRIVER": "llvmpipe"})
        self.addCleanup(chosen.stop)
        chosen.wait_for_window()
        shot = picture.capture_until(chosen, "llvmpipe", picture.drawn)
        self.assertEqual(chosen.stderr.lines(), [], "a chosen driver was not simply kept")
        self.assertNotEqual(llvmpipe_threads(chosen), [], "GALLIUM_DRIVER=llvmpipe was overridden")
        chosen.stop()

        # Without LIBGL_ALWAYS_SOFTWARE the program must see for itself that Mesa draws in
        # software here (Xvfb offers no DRI), and choose as it did with it.
        plain = harness.App(self.server, "plain", {"LIBGL_ALWAYS_SOFTWARE": None,
                                                   "GALLIUM_DRIVER": None})
        self.addCleanup(plain.stop)
        plain.wait_for_window()
        picture.capture_until(plain, "plain", picture.drawn)  # its renderer's threads run by now
        self.assertEqual((plain.stderr.lines(), llvmpipe_threads(plain) != []),
                         (said, threads != []), "chose otherwise without LIBGL_ALWAYS_SOFTWARE")

        if every_grid_line_drawn(shot):
            self.assertEqual(said, [], "switched although llvmpipe draws every line")
            self.assertNotEqual(threads, [], "not drawing with llvmpipe, yet nothing was said")
        else:
            self.assertEqual(len(said), 1, said)
            self.assertTrue(said[0].startswith(SWITCH_LINE[0]) and said[0].endswith(SWITCH_LINE[1]),
                            said[0])
            self.assertEqual(threads, [], "llvmpipe drops lines, yet the window still uses it")


class FailingProbeTest(harness.ProgramTestCase):
    """With a GL whose glReadPixels faults or hangs, the probe fails in the program's own GL: the
    program starts anew in the same process, does not probe again, keeps the default GL, draws
    and says nothing."""

    @property
    def environment(self):
        self.log = os.path.join(harness.ARTEFACTS, self.id().split(".")[-1] + ".probe-calls.txt")
        if os.path.exists(self.log):
            os.remove(self.log)
        fault = "hang" if "hang" in self.id() else "fault"
        return {"LD_PRELOAD": harness.GL_FAULT, "TESSALORAN_TEST_GL_FAULT": fault,
                "TESSALORAN_TEST_GL_FAULT_LOG": self.log, "GALLIUM_DRIVER": None}

    def check_started_anew(self):
        picture.capture_until(self.app, "drawn", picture.drawn)
        said = self.app.stderr.lines()
        if not os.path.exists(self.log) and len(said) == 1 and said[0].startswith(SWITCH_LINE[0]):
            self.skipTest("the GL's names settle the verdict here: no probe is drawn")
        with open(self.log) as calls:
            self.assertEqual(len(calls.readlines()), 1, "the probe did not run exactly once")
        self.assertTrue(self.app.alive())
        self.assertEqual(said, [])
        self.assertNotEqual(llvmpipe_threads(self.app), [], "the default GL was not kept")

    def test_fault(self):
        self.check_started_anew()

    def test_hang(self):
        self.check_started_anew()


if __name__ == "__main__":
    harness.main()
