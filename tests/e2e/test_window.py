"""The program opens one 1024 x 768 window at the screen's origin, titled TESSALORAN and eleven
blanks, keeps running, and exits with status 0 when the window is closed."""

import time

import harness


class WindowTest(harness.ProgramTestCase):

    def test_one_window_with_title_size_and_position(self):
        time.sleep(1)  # a second window, if one were made, would exist by now
        self.assertEqual(self.app.find_windows(), [self.app.window])
        self.assertEqual(self.app.top_level_windows(), [self.app.window])
        title = self.app.title()
        self.assertRegex(title, r"^TESSALORAN {11}(?! )",
                         "title %r is not TESSALORAN and eleven blanks" % title)
        self.assertEqual(self.app.geometry(), (0, 0, 1024, 768))
        image = self.app.screenshot("window")
        self.assertEqual(image.size, (1024, 768))

    def test_keeps_running_then_closes_cleanly(self):
        time.sleep(4)
        self.assertTrue(self.app.alive(), "the program ended by itself:\n" +
                        self.app.stderr.text())
        self.assertEqual(self.app.find_windows(timeout=5), [self.app.window])
        self.app.close_window()
        status = self.app.wait(timeout=5)
        self.assertIsNotNone(status, "the program did not end within 5 s of the window closing")
        self.assertEqual(status, 0, "exit status %s; stderr:\n%s" % (status,
                                                                  self.app.stderr.text()))


if __name__ == "__main__":
    harness.main()
