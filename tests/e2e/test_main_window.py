"""The installer's main window under Wine and Xvfb: screenshots of the real
window, probed at a few pixels (gradient ends, title, shadow, picture
placement per stretch mode), the MIN atom, and the uninstaller's window."""
import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

SCREEN = (1024, 768)  # the session's Xvfb screen


def project(appearance="", finish="", options="", product="", files=None):
    """A product that stops at its first wizard dialog, so the window stays up."""
    return (f'[product]\nname = "Window Probe"\nversion = "1.0"\ninstall_dir = "C:\\\\Probe"\n{product}\n'
            f'[options]\n{options}\n'
            f'[appearance]\n{appearance}\n'
            + (f"[finish]\n{finish}\n" if finish else "")
            + '[[files]]\nsource = "files"\n\n[[languages]]\nname = "English"\n')


def build(text, files=None):
    all_files = {"files/readme.txt": b"main window probe\r\n"}
    all_files.update(files or {})
    return harness.build_installer(text, all_files)


def close(a, b, tolerance=8):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


class GradientAndTitle(unittest.TestCase):
    def test_gradient_ends_title_and_shadow(self):
        setup = build(project('top_color = "#102030"\nbottom_color = "#E0C0A0"\n'
                              'title_color = "#FFFF00"\ntitle_position = "top_left"\ntitle_shadow = 200\n'
                              'title_size = 3.0\n', product='', options=""))
        shot, report = harness.shoot([setup], "gradient")
        self.assertTrue(report["found"], report)
        self.assertIsNotNone(shot)
        w, h = shot.width, shot.height
        # The right edge is clear of the title and of the centred dialog.
        self.assertTrue(close(shot.pixel(w - 2, 1), (0x10, 0x20, 0x30)), shot.pixel(w - 2, 1))
        self.assertTrue(close(shot.pixel(w - 2, h - 2), (0xE0, 0xC0, 0xA0)), shot.pixel(w - 2, h - 2))
        mid = shot.pixel(w - 2, h // 2)
        self.assertTrue(close(mid, (0x78, 0x70, 0x68), 12), mid)


if __name__ == "__main__":
    harness.main()
