"""The installer's main window under Wine and Xvfb: screenshots of the real
window, probed at a few pixels (gradient ends, title and shadow, picture
placement per stretch mode), the MIN atom, no window when the settings turn it
off, and the uninstaller's window from the saved values. The screenshots stay
in out/screens."""
import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

MAIN = "SEA Window Class"
GREEN, BLUE, GREY = (0, 255, 0), (0, 0, 255), (0x20, 0x20, 0x20)
_count = iter(range(1000))


def project(appearance="", finish="", options="", product=""):
    """A product that stops at its closing message box, so that the window stays
    up; without the greeting, whose page would cover the window's middle."""
    n = next(_count)
    return (f'[product]\nname = "Window Probe"\nversion = "1.0"\ninstall_dir = "C:\\\\Window Probe {n}"\n'
            f'uninstall_key = "WindowProbe{n}"\n{product}\n'
            f'[options]\nno_greeting = true\n{options}\n[appearance]\n{appearance}\n'
            + (f"[finish]\n{finish}\n" if finish else "")
            + '[[files]]\nsource = "files"\n\n[[languages]]\nname = "English"\n')


def build(text, files=None):
    all_files = {"files/readme.txt": b"main window probe\r\n"}
    all_files.update(files or {})
    return harness.build_installer(text, all_files)


def close(a, b, tolerance=8):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def bmp(width, height, bits, pixel):
    """A bottom-up BMP file; pixel(x, y) (y from the top) gives a palette
    index (8 bits, palette: 0 blue, 1 green) or (r, g, b, a) (24/32 bits)."""
    palette = b""
    if bits == 8:
        palette = bytes([255, 0, 0, 0, 0, 255, 0, 0]) + bytes(4 * 254)
    stride = (width * bits // 8 + 3) & ~3
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            p = pixel(x, y)
            if bits == 8:
                row.append(p)
            else:
                r, g, b, a = p
                row += bytes([b, g, r] + ([a] if bits == 32 else []))
        rows += row + bytes(stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 2835, 2835,
                         256 if bits == 8 else 0, 0)
    offset = 14 + 40 + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + palette + bytes(rows)


def bounds(shot, match, box):
    """Bounding box (left, top, right, bottom) of the pixels in `box` for which match(rgb) holds."""
    xs, ys = [], []
    for y in range(box[1], box[3]):
        for x in range(box[0], box[2]):
            if match(shot.pixel(x, y)):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


class GradientAndTitle(unittest.TestCase):
    def test_gradient_ends_title_and_shadow(self):
        # 3.0 x 26 points at 96 dpi: 104 pixels; shadow 200/1300 of that: 16 pixels.
        setup = build(project('top_color = "#102030"\nbottom_color = "#E0C0A0"\ntitle_color = "#FFFF00"\n'
                              'title_position = "top_left"\ntitle_shadow = 200\ntitle_size = 3.0\n'))
        shot, report = harness.shoot([setup], "gradient-title")
        self.assertTrue(report["found"], report)
        w, h = shot.width, shot.height
        self.assertEqual((w, h), (1024, 768))
        # The gradient's ends and middle, at the right edge (clear of title and dialog).
        self.assertTrue(close(shot.pixel(w - 2, 0), (0x10, 0x20, 0x30)), shot.pixel(w - 2, 0))
        self.assertTrue(close(shot.pixel(w - 2, h - 1), (0xE0, 0xC0, 0xA0)), shot.pixel(w - 2, h - 1))
        self.assertTrue(close(shot.pixel(w - 2, h // 2), (0x78, 0x70, 0x68), 12), shot.pixel(w - 2, h // 2))
        # The title at the top left (margins 5, 1) and its black shadow 16 pixels lower right.
        area = (0, 0, w, 200)
        title = bounds(shot, lambda p: p[0] > 230 and p[1] > 230 and p[2] < 40, area)
        shadow = bounds(shot, lambda p: max(p) < 12, area)
        self.assertIsNotNone(title)
        self.assertIsNotNone(shadow)
        self.assertLess(title[0], 40)
        self.assertLess(title[1], 40)
        self.assertAlmostEqual(shadow[2] - title[2], 16, delta=2)
        self.assertAlmostEqual(shadow[3] - title[3], 16, delta=2)

    def test_too_wide_title_is_shrunk_to_fit(self):
        setup = build(project('top_color = "#202020"\ntitle_color = "#FFFF00"\ntitle_position = "top_right"\n'
                              'title_shadow = 0\ntitle_size = 4.0\n', product='title = "' + "W" * 40 + '"'))
        shot, report = harness.shoot([setup], "title-shrunk")
        self.assertTrue(report["found"], report)
        w = shot.width
        title = bounds(shot, lambda p: p[0] > 230 and p[1] > 230 and p[2] < 40, (0, 0, w, 200))
        self.assertIsNotNone(title)
        # Right-aligned inside the margin (1024 / 200 = 5) and starting inside the screen:
        # at 4 x 26 points (138 pixels) forty Ws would be far wider than the screen.
        self.assertLessEqual(title[2], w - 5 + 1)
        self.assertGreaterEqual(title[0], 0)
        self.assertLess(title[3] - title[1], 100)  # a smaller font than asked for

    def test_one_colour_bottom_right_copyright_without_shadow(self):
        setup = build(project('top_color = "#202020"\ntitle_position = "none"\n'
                              'copyright = "(c) Probe"\ncopyright_color = "#FF0000"\n'
                              'copyright_position = "bottom_right"\n'))
        shot, report = harness.shoot([setup], "copyright")
        self.assertTrue(report["found"], report)
        w, h = shot.width, shot.height
        self.assertEqual(shot.pixel(w - 2, 0), GREY)
        self.assertEqual(shot.pixel(0, h // 2), GREY)
        red = bounds(shot, lambda p: p[0] > 200 and p[1] < 40 and p[2] < 40, (w - 300, h - 100, w, h))
        self.assertIsNotNone(red)
        self.assertGreater(red[2], w - 20)   # right-aligned against the margin
        self.assertGreater(red[3], h - 20)   # on the bottom row
        self.assertIsNone(bounds(shot, lambda p: max(p) < 12, (w - 300, h - 100, w, h)))  # no shadow
        self.assertIsNone(bounds(shot, lambda p: p[0] > 200 and p[1] < 40, (0, 0, w, 100)))  # no title


class BackgroundPicture(unittest.TestCase):
    """Screen 1024x768 at bitmap_size 50: the scaled rectangle is (256, 192, 768, 576)."""

    SOLID = bmp(100, 30, 24, lambda x, y: (0, 255, 0, 255))
    HALVES8 = bmp(100, 30, 8, lambda x, y: 0 if x < 50 else 1)                               # 0 is transparent
    HALVES32 = bmp(100, 30, 32, lambda x, y: (0, 0, 0, 0) if x < 50 else (0, 255, 0, 255))   # alpha 0 left

    # (name, picture, stretch mode, size, tpi, green rectangle, background-coloured point)
    CASES = [
        ("stretch", SOLID, 0, 50, -1, (256, 192, 768, 576), None),
        ("fit", SOLID, 1, 50, -1, (256, 307, 768, 460), None),
        ("multiples", SOLID, 2, 50, -1, (262, 309, 762, 459), None),
        ("tile", SOLID, 3, 50, -1, (0, 0, 1024, 768), None),
        ("transparent-index", HALVES8, 0, 50, 0, (512, 192, 768, 576), (300, 200)),
        ("alpha", HALVES32, 0, 50, -1, (512, 192, 768, 576), (300, 200)),
        ("size-0", SOLID, 0, 0, -1, None, (300, 200)),
    ]

    def test_placement_per_stretch_mode(self):
        for name, picture, mode, size, tpi, green, clear in self.CASES:
            with self.subTest(name):
                finish = (f'background_bitmap = "back.bmp"\nbitmap_size = {size}\nstretch_mode = {mode}\n'
                          f'bitmap_tpi = {tpi}\n')
                setup = build(project('top_color = "#202020"\ntitle_position = "none"\n', finish=finish),
                              {"back.bmp": picture})
                shot, report = harness.shoot([setup], f"picture-{name}")
                self.assertTrue(report["found"], report)
                if green:
                    l, t, r, b = green
                    # Inside each corner green, just outside it the background (the dialog sits in the middle).
                    for x, y in ((l + 2, t + 2), (r - 3, t + 2), (l + 2, b - 3), (r - 3, b - 3)):
                        self.assertEqual(shot.pixel(x, y), GREEN, (name, x, y))
                    for x, y in ((l - 3, t + 2), (r + 2, b - 3), (l + 2, t - 3), (r - 3, b + 2)):
                        if 0 <= x < shot.width and 0 <= y < shot.height:
                            self.assertEqual(shot.pixel(x, y), GREY, (name, x, y))
                if clear:
                    self.assertEqual(shot.pixel(*clear), GREY, name)


class WindowFlags(unittest.TestCase):
    def test_min_atom_minimises_the_window(self):
        setup = build(project('top_color = "#202020"\n'))
        _, report = harness.shoot([setup, "/MIN"], "minimised")
        main = [w for w in report["windows"] if w["class"] == MAIN]
        self.assertEqual(len(main), 1, report)
        self.assertTrue(main[0]["minimized"], report)

    def test_no_window_when_turned_off(self):
        setup = build(project('top_color = "#202020"\n', options="no_main_window = true"))
        _, report = harness.shoot([setup], "no-window", window_class="#32770")
        self.assertTrue(report["found"], report)  # the first dialog is up
        self.assertNotIn(MAIN, [w["class"] for w in report["windows"]], report)


class UninstallerWindow(unittest.TestCase):
    def test_rebuilt_from_the_saved_values(self):
        picture = bmp(100, 30, 24, lambda x, y: (0, 255, 0, 255))
        finish = 'background_bitmap = "back.bmp"\nbitmap_size = 50\nstretch_mode = 0\n'
        text = project('top_color = "#304050"\nbottom_color = "#A0B0C0"\ntitle_position = "top_left"\n'
                       'title_color = "#FFFF00"\ntitle_size = 2.0\n', finish=finish,
                       options="keep_background = true", product="silent = true")
        setup = build(text, {"back.bmp": picture})
        folder = "C:\\Window Probe " + text.split("Window Probe ")[1].split('"')[0]
        name = text.split('uninstall_key = "')[1].split('"')[0]
        report = harness.probe_run(harness.quote(setup), timeout=60)
        self.assertEqual((harness.boxes(report), report["exit_code"]), ([], 1), report)  # 1 also after success
        uninstaller = f"{folder}\\uninstall\\uninstall.exe"
        saved = os.path.join(harness.env().prefix, "drive_c", folder[3:], "uninstall", "Installer Background.bmp")
        with open(saved, "rb") as f:
            self.assertEqual(f.read(), picture)  # the file header rebuilt as it was
        # Not silent: the confirmation question keeps the window up.
        shot, report = harness.shoot([uninstaller, f"/u:{name}"], "uninstaller")
        self.assertTrue(report["found"], report)
        w, h = shot.width, shot.height
        self.assertTrue(close(shot.pixel(w - 2, 0), (0x30, 0x40, 0x50)), shot.pixel(w - 2, 0))
        self.assertTrue(close(shot.pixel(w - 2, h - 1), (0xA0, 0xB0, 0xC0)), shot.pixel(w - 2, h - 1))
        self.assertEqual(shot.pixel(258, 194), GREEN)   # the kept picture, stretched into the middle half
        self.assertEqual(shot.pixel(765, 573), GREEN)
        self.assertIsNotNone(bounds(shot, lambda p: p[0] > 230 and p[1] > 230 and p[2] < 40, (0, 0, 400, 120)))


if __name__ == "__main__":
    harness.main()
