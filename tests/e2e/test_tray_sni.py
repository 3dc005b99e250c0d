"""The notification area on a StatusNotifierItem panel (KDE, GNOME's AppIndicator extension,
Xfce, Wayland panels), under openbox: such panels send a single activation, never a double
click."""

import unittest

from glimra_desktop import CLOSE_BUTTON, MIN_BUTTON, Desktop

TRAY_ON = "[Settings]\nLanguage=en_US\nMinToTray=1\n"


class StatusNotifierPanelTest(unittest.TestCase):
    def test_min_and_the_window_managers_minimise_go_to_the_panel_and_activate_restores(self):
        with Desktop(panel="sni", settings=TRAY_ON, name="sni") as d:
            d.start_program()
            window = d.main_window()
            d.wait_shown(window)

            for minimise in (lambda: d.click_in(window, MIN_BUTTON), lambda: d.minimize(window)):
                mark = len(d.panel.lines)
                minimise()
                d.wait_panel("registered", after=mark)
                d.wait_hidden(window)
                self.assertTrue(d.program.running(), d.program_output())

                d.panel.activate()
                d.wait_shown(window)
                self.assertEqual(d.wm_state(window), "normal")
                d.wait_panel("unregistered", after=mark)

            d.click_in(window, CLOSE_BUTTON)
            self.assertEqual(d.wait_exit(), 0, d.program_output())

    def test_the_window_comes_back_when_the_panel_goes_away(self):
        with Desktop(panel="sni", settings=TRAY_ON, name="sni-gone") as d:
            d.start_program()
            window = d.main_window()
            d.wait_shown(window)
            d.click_in(window, MIN_BUTTON)
            d.wait_panel("registered")
            d.wait_hidden(window)

            d.panel.quit()
            d.wait_shown(window)
            self.assertTrue(d.program.running(), d.program_output())
            d.program.stop()
            self.assertEqual(d.wait_exit(), 0, d.program_output())

    def test_without_the_option_min_minimises_and_the_panel_gets_no_icon(self):
        with Desktop(panel="sni", name="sni-off") as d:
            d.start_program()
            window = d.main_window()
            d.wait_shown(window)
            d.click_in(window, MIN_BUTTON)
            d.wait_hidden(window)
            self.assertEqual(d.wm_state(window), "iconic")
            self.assertEqual(d.panel.count("registered"), 0)
            d.program.stop()
            self.assertEqual(d.wait_exit(), 0, d.program_output())


if __name__ == "__main__":
    unittest.main()
