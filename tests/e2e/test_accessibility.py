"""The main window as a screen reader meets it: the program under openbox with an accessibility
bus (at-spi2-core's at-spi-bus-launcher, accessibility switched on as a desktop does for a screen
reader), read and driven by an AT-SPI client (atspi_probe.py on python3-pyatspi) against
glimra-sim."""

import json
import os
import subprocess
import sys
import unittest

from glimra_desktop import HERE, Desktop

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def start_accessibility_bus(d):
    """The accessibility bus beside the session bus, switched on as for a screen reader."""
    d._spawn("a11y-bus", [BUS_LAUNCHER, "--launch-immediately"])
    ask = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus"]

    def answers():
        return subprocess.run(ask + ["org.a11y.Bus.GetAddress"], env=d.env,
                              capture_output=True).returncode == 0
    d.wait(answers, 10, "the accessibility bus")
    subprocess.run(ask + ["org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                          "string:IsEnabled", "variant:boolean:true"], env=d.env, check=True,
                   capture_output=True)


def probe(d, *args):
    """Runs the AT-SPI client on the desktop; its JSON answer, or None when it found nothing."""
    result = subprocess.run([sys.executable, os.path.join(HERE, "atspi_probe.py")] +
                            [str(a) for a in args], env=d.env, capture_output=True, text=True,
                            timeout=30)
    if result.returncode != 0:
        return None
    return json.loads(result.stdout)


def child(node, name):
    return next((c for c in node.get("children", []) if c["name"] == name), None)


def names(node):
    yield node["name"]
    for c in node.get("children", []):
        yield from names(c)


def checked(group):
    return [c["name"] for c in group["children"] if "checked" in c["states"]]


class ScreenReaderTest(unittest.TestCase):
    def test_the_selected_mode_and_swatch_are_checked_and_a_swatch_can_be_pressed(self):
        with Desktop(sim=True, name="a11y") as d:
            start_accessibility_bus(d)
            d.start_program()
            window = d.main_window()
            d.wait_shown(window)

            def connected_window():
                tree = probe(d, "tree", d.program.pid)
                for w in (tree or {}).get("children", []):
                    modes = child(w, "Lighting mode")
                    if modes and checked(modes):
                        return w
                return None
            w = d.wait(connected_window, 30, "a window whose lighting mode is checked")

            modes = child(w, "Lighting mode")
            self.assertEqual([c["name"] for c in modes["children"]],
                             ["Static Mode", "Strobe Mode", "Breath Mode", "Gradual Mode",
                              "Static Cycle", "Breath Cycle"])
            self.assertEqual(len(checked(modes)), 1, modes)
            for mode in modes["children"]:
                self.assertEqual(mode["role"], "radio button", mode)
            colours = child(w, "Color")
            self.assertIsNotNone(colours, list(names(w)))
            self.assertEqual(len(colours["children"]), 8)
            self.assertEqual(len(checked(colours)), 1, colours)
            for swatch in colours["children"]:
                self.assertEqual(swatch["role"], "radio button", swatch)

            # What is on show, and only that: the version's text, the level as a value, no
            # "Device not found!" while connected.
            shown = list(names(w))
            self.assertTrue(any(n.startswith("V ") for n in shown), shown)
            self.assertNotIn("Device not found!", shown)
            level = next(c for c in w["children"] if c["name"].startswith("Brightness level"))
            self.assertEqual(level["name"], "Brightness level %d of 8" % int(level["value"]))

            # Press a swatch that is not the selected one: its SetColor frame reaches the
            # controller, and the reader sees the check move to it.
            target = "Cyan" if checked(colours) != ["Cyan"] else "Red"
            frames_before = len(d.trace_lines())
            self.assertEqual(probe(d, "press", d.program.pid, "Color/" + target)["done"], True)

            def set_color_frame():
                for line in d.trace_lines()[frames_before:]:
                    event = json.loads(line)
                    if event.get("event") == "frame" and event.get("cmd") == 4:
                        return event
                return None
            frame = d.wait(set_color_frame, 10, "the SetColor frame")
            payload = bytes.fromhex(frame["payload"])
            red, green, blue = payload[1], payload[2], payload[3]
            if target == "Cyan":
                self.assertTrue(red == 0 and green == blue and green > 0, frame)
            else:
                self.assertTrue(red > 0 and green == 0 and blue == 0, frame)

            def checked_now():
                tree = probe(d, "tree", d.program.pid) or {}
                for w in tree.get("children", []):
                    group = child(w, "Color")
                    if group and checked(group) == [target]:
                        return True
                return False
            d.wait(checked_now, 10, target + " checked")

            d.program.stop()
            self.assertEqual(d.wait_exit(), 0, d.program_output())


if __name__ == "__main__":
    unittest.main()
