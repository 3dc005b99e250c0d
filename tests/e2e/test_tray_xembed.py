"""The notification area on an XEmbed system tray (Debian's trayer, as Xfce's, LXDE's and
MATE's panels and stalonetray provide), under openbox. There the icon is a real widget of the
program, docked into the panel's window."""

import signal
import unittest

from glimra_desktop import CLOSE_BUTTON, MIN_BUTTON, Desktop

TRAY_ON = "[Settings]\nLanguage=en_US\nMinToTray=1\n"


class XEmbedTrayTest(unittest.TestCase):
    def minimise_to_tray(self, d, window, by_window_manager=False):
        if by_window_manager:
            d.minimize(window)
        else:
            d.click_in(window, MIN_BUTTON)
        icon = d.wait_tray_icon()
        d.wait_hidden(window)
        self.assertTrue(d.program.running(), d.program_output())
        return icon

    def start(self, d):
        d.start_program()
        window = d.main_window()
        d.wait_shown(window)
        return window

    def assert_clean_exit(self, d):
        self.assertEqual(d.wait_exit(), 0, d.program_output())
        self.assertNotIn("ERROR: AddressSanitizer", d.program_output())

    def test_a_click_on_the_icon_restores_and_each_way_out_ends_with_status_0(self):
        with Desktop(panel="xembed", settings=TRAY_ON, name="xembed") as d:
            window = self.start(d)
            icon = self.minimise_to_tray(d, window)
            d.screenshot("xembed-in-tray")
            d.click_icon(icon)
            d.wait_shown(window)
            d.screenshot("xembed-restored")
            d.wait_no_tray_icon()

            # The window manager's minimise goes the same way; then the icon's menu ends it.
            icon = self.minimise_to_tray(d, window, by_window_manager=True)
            d.click_icon(icon, button=3)
            d.key("Up", "Return")  # the tray menu's last item is Exit
            self.assert_clean_exit(d)

            # The window's own Exit, after a trip through the tray.
            window = self.start(d)
            icon = self.minimise_to_tray(d, window)
            d.click_icon(icon)
            d.wait_shown(window)
            d.click_in(window, CLOSE_BUTTON)
            self.assert_clean_exit(d)

            # SIGTERM while the window is in the tray.
            window = self.start(d)
            self.minimise_to_tray(d, window)
            d.program.popen.send_signal(signal.SIGTERM)
            self.assert_clean_exit(d)

    def test_the_window_comes_back_when_the_tray_goes_away(self):
        with Desktop(panel="xembed", settings=TRAY_ON, name="xembed-gone") as d:
            window = self.start(d)
            self.minimise_to_tray(d, window)
            d.trayer.stop()
            d.wait_shown(window)
            d.program.stop()
            self.assert_clean_exit(d)


if __name__ == "__main__":
    unittest.main()
