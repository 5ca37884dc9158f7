"""keldwick preview: the example project's pages in every template variant as
PNGs with an index (they land in out/screens/preview), the language page and
the password page answered with the project's password, and the message when Wine or Xvfb is
missing. Each preview makes its own Wine prefix and Xvfb display."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

EXAMPLE = os.path.join(harness.ROOT, "examples", "hello", "project.toml")
SCREENS = os.path.join(harness.SCREENS_DIR, "preview")
TOOLS = ("wine", "wineserver", "wineboot", "Xvfb")
# The example's pages in the order the installer shows them.
EXAMPLE_PAGES = ["Main window", "Greeting", "Licence", "Readme", "Destination folder", "Start-menu folder", "Progress",
                 "Summary"]
FIGURE = re.compile(r'<img src="([^"]+)" width="(\d+)" height="(\d+)" alt="[^"]*"><figcaption>(\d+)\. (.*?)'
                    r'(?: <small>\((.*?)\)</small>)?</figcaption>')


def scratch(tag):
    """A fresh folder below out/preview-tests (the preview needs no test session)."""
    base = os.path.join(harness.ROOT, "out", "preview-tests")
    os.makedirs(base, exist_ok=True)
    return tempfile.mkdtemp(prefix=tag + "-", dir=base)


def preview(*args, env=None):
    return subprocess.run([harness.find_binary("keldwick"), "preview"] + list(args), capture_output=True,
                          text=True, env=env, timeout=900)


def need_tools():
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        raise unittest.SkipTest(f"no {', '.join(missing)} on this machine")


def read_png(path):
    """(width, height, rows of RGB bytes), with every chunk's CRC checked."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack_from(">I", data, at + 8 + length)
        assert zlib.crc32(kind + body) & 0xFFFFFFFF == crc, (path, kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour = header[:4]
    assert (depth, colour) == (8, 2), header
    raw = zlib.decompress(idat)
    stride = width * 3 + 1
    assert len(raw) == stride * height
    assert all(raw[y * stride] == 0 for y in range(height)), "a row uses a filter the writer never writes"
    return width, height, [raw[y * stride + 1:(y + 1) * stride] for y in range(height)]


def sections(index_html):
    """{heading: [(file, width, height, number, title, template)]} of index.html."""
    out, current = {}, None
    for line in index_html.splitlines():
        m = re.match(r"<h2>(.*)</h2>", line)
        if m:
            current = out.setdefault(m.group(1), [])
        for f in FIGURE.findall(line):
            current.append((f[0], int(f[1]), int(f[2]), int(f[3]), f[4], f[5]))
    return out


class ExamplePreviewTest(unittest.TestCase):
    """One --all-variants preview of examples/hello, shared by the tests."""

    @classmethod
    def setUpClass(cls):
        need_tools()
        shutil.rmtree(SCREENS, ignore_errors=True)
        cls.result = preview(EXAMPLE, "-o", SCREENS, "--all-variants")
        with open(os.path.join(SCREENS, "index.html"), encoding="utf-8") as f:
            cls.index = sections(f.read())

    def test_every_variant_shows_every_page_in_order(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)
        self.assertIn("keldwick: wrote 24 screenshots and ", self.result.stdout)
        self.assertEqual(list(self.index), ["Every page plain", "Every page with the side picture",
                                            "Every page with the banner"])
        suffix = {"Every page plain": "2", "Every page with the side picture": "", "Every page with the banner": "3"}
        for heading, shots in self.index.items():
            with self.subTest(heading):
                self.assertEqual([s[4] for s in shots], EXAMPLE_PAGES)
                self.assertEqual([s[3] for s in shots], list(range(1, len(shots) + 1)))
                templates = dict((s[4], s[5]) for s in shots)
                self.assertEqual(templates["Destination folder"], "ChooseDirDlg" + suffix[heading])
                self.assertEqual(templates["Licence"], "LicenseDlg" + suffix[heading])
                self.assertEqual(templates["Progress"], "ProgressDlg" + suffix[heading])
                self.assertEqual(templates["Summary"], "SummaryDlg" + suffix[heading])
                # The plain greeting is a message box; the banner template serves any other value.
                self.assertEqual(templates["Greeting"], {"2": "message box", "": "GreetingDlg", "3": "GreetingDlg3"}
                                 [suffix[heading]])
        files = sorted(f for f in os.listdir(SCREENS) if f.endswith(".png"))
        self.assertEqual(files, sorted(s[0] for shots in self.index.values() for s in shots))

    def test_each_png_is_a_plausible_picture(self):
        for shots in self.index.values():
            for file, width, height, _, title, _ in shots:
                with self.subTest(file):
                    w, h, rows = read_png(os.path.join(SCREENS, file))
                    self.assertEqual((w, h), (width, height))
                    if title == "Main window":
                        self.assertEqual((w, h), (1024, 768))
                    else:
                        self.assertTrue(200 <= w <= 1024 and 80 <= h <= 768, (w, h))
                    colours = {row[i:i + 3] for row in rows[::4] for i in range(0, len(row), 12)}
                    self.assertGreater(len(colours), 8, "the picture is (nearly) one colour")

    def test_variants_look_different(self):
        def folder_page(heading):
            shot = next(s for s in self.index[heading] if s[4] == "Destination folder")
            return read_png(os.path.join(SCREENS, shot[0]))[2]
        plain, side, banner = (folder_page(h) for h in self.index)
        self.assertNotEqual(plain, side)
        self.assertNotEqual(side, banner)
        # The side picture's column is blue where the plain page is the dialog's grey.
        def blue_left(rows):
            row = rows[len(rows) // 2]
            r, g, b = row[60:63]
            return b > r + 40
        self.assertEqual((blue_left(plain), blue_left(side)), (False, True))


class PasswordPreviewTest(unittest.TestCase):
    def test_language_and_password_pages_are_shot_and_answered(self):
        need_tools()
        d = scratch("password")
        files = os.path.join(harness.ROOT, "examples", "hello", "files").replace("\\", "\\\\")
        with open(os.path.join(d, "project.toml"), "w", encoding="utf-8") as f:
            f.write(f'[product]\nname = "KS Preview Password"\npassword = "open sesame"\n'
                    f'[options]\nno_greeting = true\nfolder_page = true\n'
                    f'[wizard]\ndialogs = {{ folder = "banner" }}\n'
                    f'[[files]]\nsource = "{files}"\n[[languages]]\nname = "English"\n[[languages]]\nname = "de"\n')
        out = os.path.join(d, "out")
        r = preview(os.path.join(d, "project.toml"), "-o", out)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(out, "index.html"), encoding="utf-8") as f:
            index = sections(f.read())
        shots = index["The pages as the project sets them"]
        # A wrong password would bring a message and the page again. Without
        # finish items the end is a message box, not the Summary page.
        self.assertEqual([(s[4], s[5]) for s in shots],
                         [("Main window", ""), ("Language", "LanguageDlg"), ("Password", "EnterPassword"),
                          ("Destination folder", "ChooseDirDlg3"), ("Message: Installation Complete", "")])
        for s in shots:
            read_png(os.path.join(out, s[0]))


class MissingToolsTest(unittest.TestCase):
    def run_with_path(self, tools):
        d = scratch("path")
        for tool in tools:
            os.symlink(shutil.which(tool) or "/bin/true", os.path.join(d, tool))
        out = os.path.join(d, "out")
        r = preview(EXAMPLE, "-o", out, env=dict(os.environ, PATH=d))
        self.assertFalse(os.path.exists(out), "nothing is written without the tools")
        return r

    def test_missing_wine_and_xvfb_are_named(self):
        r = self.run_with_path([])
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr,
                         "keldwick: preview runs the installer under Wine on a private Xvfb display, and wine, "
                         "wineserver, wineboot, Xvfb are not on the PATH.\n"
                         "Install Wine and Xvfb (Debian and Ubuntu: sudo apt-get install wine xvfb) and run the "
                         "preview again.\n")

    def test_missing_xvfb_alone(self):
        r = self.run_with_path(["wine", "wineserver", "wineboot"])
        self.assertEqual(r.returncode, 1)
        self.assertIn("display, and Xvfb is not on the PATH.\n", r.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
