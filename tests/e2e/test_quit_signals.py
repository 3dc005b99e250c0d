"""SIGTERM and SIGINT (a logout, a service manager, Ctrl-C in a terminal) end the program
cleanly, with status 0, at any moment: during start-up, with a dialog open, during a firmware
transfer."""

import os
import signal
import time
import unittest

from glimra_desktop import Desktop, wait_for

SETTINGS = "[Settings]\nLanguage=en_US\nMinToTray=0\n"
SETTING_BUTTON = (748, 11)


def catches(pid, sig):
    """Whether the process has a handler for sig (SigCgt in /proc/<pid>/status)."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("SigCgt:"):
                    return bool(int(line.split()[1], 16) & (1 << (sig - 1)))
    except OSError:
        pass
    return False


class QuitSignalTest(unittest.TestCase):
    def assert_ends_cleanly(self, d, sig, within=10.0):
        d.program.popen.send_signal(sig)
        self.assertEqual(d.wait_exit(within), 0, d.program_output())
        self.assertEqual(d.read_settings(), SETTINGS)

    def test_each_signal_with_the_help_dialog_open(self):
        with Desktop(settings=SETTINGS, name="signal-help") as d:
            for sig in (signal.SIGTERM, signal.SIGINT):
                d.start_program()
                window = d.main_window()
                d.wait_shown(window)
                d.activate(window)
                d.key("F1")
                help_window = d.wait(lambda: d.find_window("Help"), 10, "the help dialog")
                d.wait_shown(help_window)
                self.assert_ends_cleanly(d, sig)

    def test_a_signal_during_start_up(self):
        with Desktop(settings=SETTINGS, name="signal-start") as d:
            for sig in (signal.SIGTERM, signal.SIGINT):
                program = d.start_program()
                # As soon as the program can take it: before its window exists.
                wait_for(lambda: catches(program.pid, sig) or not program.running(), 10,
                         "the program to catch the signal", interval=0.001)
                self.assert_ends_cleanly(d, sig)

    def test_sigterm_during_a_firmware_transfer(self):
        with Desktop(settings=SETTINGS, name="signal-firmware") as d:
            image = os.path.join(d.root, "image.bin")
            with open(image, "wb") as f:
                f.write(bytes(range(256)) * 4096)  # 1 MiB: about half a minute of blocks
            d.start_program({"GLIMRA_AUTO_DISMISS": "1", "GLIMRA_FIRMWARE_FILE": image})
            window = d.main_window()
            d.wait_shown(window)
            d.click_in(window, SETTING_BUTTON)
            # Advanced Settings, the third item, then its Firmware Update.
            d.key("Down", "Down", "Down", "Right", "Return")
            blocks = lambda: sum(1 for line in d.trace_lines() if '"event":"block"' in line)
            d.wait(lambda: blocks() >= 10, 30, "the transfer to start")
            started = time.monotonic()
            self.assert_ends_cleanly(d, signal.SIGTERM)
            self.assertLess(time.monotonic() - started, 5.0)
            sent = blocks()
            self.assertLess(sent, 8192, "the transfer ran to its end")


if __name__ == "__main__":
    unittest.main()
