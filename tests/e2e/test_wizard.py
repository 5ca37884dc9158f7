"""The wizard pages seen through the UI probe: the texts of every control in
each template variant, which buttons are enabled and what they do, the folder
and start-menu checks, the password delay, the licence viewer's encodings, the
language page, the must-uninstall question, and that an attended run clicked
through installs what a silent one does."""
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402
from harness import boxes, probe_run, quote  # noqa: E402

BASE = ti.BASE
VARIANTS = ("plain", "side_picture", "banner")
OK, CANCEL, BROWSE = 1001, 1003, 1013
TEXT, VIEWER, FOLDER, LANGUAGES, PASSWORD = 1009, 1005, 1015, 1017, 1019
SIDE, BANNER, HEADING, SUBHEADING = 1021, 1032, 1034, 1035
SPACE_NEEDED, SPACE_FREE = 1036, 1037
STATUS, SEPARATOR = 1011, 66
OPEN_FIRST, LAUNCH, OPEN_LOG, OPEN_THIRD = 1023, 1025, 1027, 1029
YES, NO = 6, 7
LANGUAGES_TOML = '\n[[languages]]\nname = "English"\n[[languages]]\nname = "Deutsch"\n'
HEADING_TEXT = "Acme Heading"
# Which controls tell the variants apart.
DECORATION = {"plain": set(), "side_picture": {SIDE}, "banner": {BANNER, HEADING, SUBHEADING}}


def setUpModule():
    shutil.rmtree(ti.unix_path(BASE + "\\Wizard"), ignore_errors=True)


def project(name, variant="side_picture", options=None, product=None, extra=""):
    """An attended product with the folder and start-menu pages, every page in `variant`."""
    opts = {"folder_page": True, "start_menu_page": True}
    opts.update(options or {})
    prod = {"silent": False, "install_dir": f"{BASE}\\Wizard\\{name}", "uninstall_key": name}
    prod.update(product or {})
    dialogs = ", ".join(f'{page} = "{variant}"' for page in
                        ("greeting", "language", "licence", "readme", "folder", "start_menu", "progress", "summary"))
    wizard = f'\n[wizard]\ndialogs = {{ {dialogs} }}\nbanner_heading = "{HEADING_TEXT}"\n'
    return ti.project(name, options=opts, product=prod, extra=wizard + extra)


def controls(window, after=False):
    """{id: control} of a recorded dialog."""
    return {c["id"]: c for c in window["controls_after" if after else "controls"]}


def texts_of(window, after=False):
    return {i: c["text"] for i, c in controls(window, after).items()}


def enabled_buttons(window, after=False):
    """The buttons one can press: visible and enabled."""
    return {i for i, c in controls(window, after).items()
            if c["class"].lower() == "button" and c["enabled"] and c["visible"]}


def assert_silent_with_progress(test, report, t):
    """A silent run: exit code 1, and no dialog but the progress page (its
    caption, or the banner page's), which reports only."""
    test.assertEqual(report["exit_code"], 1)
    test.assertEqual([(w["caption"], w["text"]) for w in boxes(report) if w["caption"] not in (t[54], t[65])], [])


def wait_for(path, seconds=10):
    """Whether `path` (Unix) shows up within `seconds`: started programs run on their own."""
    end = time.time() + seconds
    while not os.path.exists(path) and time.time() < end:
        time.sleep(0.2)
    return os.path.exists(path)


def cleanup(name):
    ti.reg("delete", f"{ti.UNINSTALL_KEY}\\{name}", "/f")
    shutil.rmtree(ti.unix_path(f"{BASE}\\Wizard\\{name}"), ignore_errors=True)


def inside(control, window):
    """The control's rectangle lies within the window's client area."""
    left, top, right, bottom = control["rect"]
    c_left, c_top, c_right, c_bottom = window["client"]
    return c_left <= left <= right <= c_right and c_top <= top <= bottom <= c_bottom


class PageChecks(unittest.TestCase):
    def check_page(self, window, variant, caption, expected, buttons):
        """The page's caption (or banner subheading), its texts and enabled buttons."""
        got = texts_of(window)
        decoration = DECORATION[variant]
        self.assertTrue(decoration <= set(got), (variant, set(got)))
        for other in set().union(*DECORATION.values()) - decoration:
            self.assertNotIn(other, got)
        if variant == "banner":
            self.assertEqual((window["caption"], got[SUBHEADING], got[HEADING]), (self.t[65], caption, HEADING_TEXT))
        else:
            self.assertEqual(window["caption"], caption)
        for control, text in expected.items():
            self.assertEqual(got[control], text, (variant, window["caption"], control))
        self.assertEqual(enabled_buttons(window), buttons, (variant, window["caption"]))


class PagesTest(PageChecks):
    """Each variant clicked through from the language page to the Summary page."""

    def run_pages(self, variant, name, log_pixels=None):
        """Builds, clicks through every page, then installs silently; the attended
        run's pages and both runs' files."""
        folder = f"{BASE}\\Wizard\\{name}"
        cleanup(name)
        installer = ti.build(project(name, variant, options={"progress_page": True, "offer_log": True},
                                     product={"min_status_time": 1500},
                                     extra='\n[finish]\nlicence = ["eula.txt"]\n' + LANGUAGES_TOML),
                             {"files/a.txt": b"a", "files/sub/b.txt": b"b", "eula.txt": b"Terms\nof use"})
        self.t = ti.texts(installer)
        # Every page's default button; the progress page is watched, not pressed.
        report = probe_run(quote(installer), timeout=40, settle=300, press=["default"] * 5 + ["none", "default"])
        self.assertEqual(report["exit_code"], 1)
        attended = ti.files_below(folder)
        cleanup(name)
        # The progress page shows in the silent run too; nobody presses its Cancel.
        assert_silent_with_progress(self, probe_run(quote(installer) + " /a", timeout=30, press="none"), self.t)
        self.assertEqual(ti.files_below(folder), attended)
        self.assertIn("sub\\b.txt", attended)
        cleanup(name)
        return boxes(report)

    def test_each_variant_shows_its_pages_and_installs_like_a_silent_run(self):
        for variant in VARIANTS:
            name = f"KS Wizard Pages {variant}"
            with self.subTest(variant):
                shown = self.run_pages(variant, name)
                t = self.t
                self.assertEqual(len(shown), 7, [w["caption"] for w in shown])
                language, greeting, licence, chooser, start_menu, progress, summary = shown
                self.check_page(language, variant, t[94], {TEXT: t[82], OK: t[48], CANCEL: t[49]}, {OK, CANCEL})
                self.assertEqual(controls(language)[LANGUAGES]["class"].lower(), "listbox")
                if variant == "plain":  # the greeting without picture is a message box
                    self.assertEqual((greeting["caption"], greeting["text"]), (t[65], t[1]))
                else:
                    message = ("\r\n\r\n" if variant == "banner" else "") + t[1]
                    self.check_page(greeting, variant, t[103] if variant == "banner" else t[65],
                                    {TEXT: message, OK: t[48], CANCEL: t[49]}, {OK, CANCEL})
                self.check_page(licence, variant, t[44],
                                {TEXT: t[47], VIEWER: "Terms\r\nof use", OK: t[45], CANCEL: t[46]}, {OK, CANCEL})
                self.check_page(chooser, variant, t[24],
                                {TEXT: t[11], FOLDER: f"{BASE}\\Wizard\\{name}", BROWSE: t[52], OK: t[48],
                                 CANCEL: t[49]}, {OK, CANCEL, BROWSE})
                got = texts_of(chooser)
                self.assertRegex(got[SPACE_NEEDED], "^" + t[92] + r" \d+\.\d\d [KMG]B$")
                self.assertRegex(got[SPACE_FREE], "^" + t[93] + r" \d+\.\d\d [KMGT]B$")
                self.check_page(start_menu, variant, t[89],
                                {TEXT: t[88], FOLDER: name, BROWSE: t[52], OK: t[90], CANCEL: t[49]},
                                {OK, CANCEL, BROWSE})
                self.check_page(progress, variant, t[54], {TEXT: t[39], STATUS: t[8], CANCEL: t[49]}, {CANCEL})
                self.assertNotIn(OK, texts_of(progress))
                # The view-log box is the only one offered; it starts clear.
                self.check_page(summary, variant, t[43], {TEXT: t[42], OK: t[95], OPEN_LOG: t[85]}, {OK, OPEN_LOG})
                boxes_shown = {i for i, c in controls(summary).items() if i in (OPEN_FIRST, LAUNCH, OPEN_LOG, OPEN_THIRD)
                               and c["visible"]}
                self.assertEqual((boxes_shown, controls(summary)[OPEN_LOG]["checked"]), ({OPEN_LOG}, 0))

    def test_pages_at_144_dpi_open_and_hold_their_controls(self):
        """A 144 dpi prefix: every page opens larger and no control sticks out of it."""
        sizes = {}
        desktop = "HKCU\\Control Panel\\Desktop"
        try:
            for dpi in (96, 144):
                ti.wine_tool(["reg", "add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"])
                for variant in VARIANTS:
                    with self.subTest(dpi=dpi, variant=variant):
                        shown = self.run_pages(variant, f"KS Wizard Dpi {variant}")
                        self.assertEqual(len(shown), 7, [w["caption"] for w in shown])
                        for window in shown:
                            outside = [c["id"] for c in window["controls"] if c["visible"] and not inside(c, window)]
                            self.assertEqual(outside, [], (dpi, variant, window["caption"]))
                        sizes[dpi, variant] = [w["client"][2] for w in shown if w["text"] is None]
        finally:
            ti.wine_tool(["reg", "delete", desktop, "/v", "LogPixels", "/f"])
        for variant in VARIANTS:
            for small, large in zip(sizes[96, variant], sizes[144, variant]):
                self.assertAlmostEqual(large / small, 1.5, delta=0.15, msg=(variant, sizes))


class ProgressTest(PageChecks):
    """The progress page: Cancel asks, Yes stops the run before any file, No goes on."""
    NAME = "KS Wizard Progress"
    FOLDER = f"{BASE}\\Wizard\\{NAME}"

    def build(self, variant="side_picture", options=None, appearance=""):
        opts = {"no_greeting": True, "folder_page": False, "start_menu_page": False, "progress_page": True}
        opts.update(options or {})
        return ti.build(project(self.NAME, variant, options=opts, product={"min_status_time": 3000},
                                extra=appearance), {"files/a.txt": b"a", "files/sub/b.txt": b"b"})

    def test_cancel_asks_in_each_variant(self):
        for variant in VARIANTS:
            with self.subTest(variant):
                cleanup(self.NAME)
                installer = self.build(variant)
                t = self.t = ti.texts(installer)
                report = probe_run(quote(installer), timeout=30, settle=300, press=[CANCEL, YES, "default"])
                page, question, notice = boxes(report)[:3]
                self.check_page(page, variant, t[54], {TEXT: t[39], STATUS: t[8], CANCEL: t[49]}, {CANCEL})
                self.assertEqual((question["caption"], question["text"], texts_of(question)[YES]), (t[20], t[28], t[79]))
                self.assertEqual((notice["caption"], notice["text"]), (t[111], t[98]))
                self.assertEqual((report["exit_code"], ti.files_below(self.FOLDER)), (1, set()))
        # No: the installation goes on to its end.
        cleanup(self.NAME)
        report = probe_run(quote(installer), timeout=30, settle=300, press=[CANCEL, NO, "default"])
        self.assertEqual([b["text"] for b in boxes(report)][1:], [t[28], t[42]])
        self.assertLessEqual({"a.txt", "sub\\b.txt"}, ti.files_below(self.FOLDER))
        cleanup(self.NAME)

    def test_no_cancel_and_placement(self):
        cleanup(self.NAME)
        installer = self.build(options={"no_cancel": True}, appearance='\nprogress_horizontal = "left"\n'
                               'progress_vertical = "top"\n')
        report = probe_run(quote(installer), timeout=30, settle=300, press=["none", "default"])
        page = boxes(report)[0]
        self.assertEqual(enabled_buttons(page), set())
        self.assertEqual(page["frame"][:2], [0, 0])
        self.assertIn("a.txt", ti.files_below(self.FOLDER))
        cleanup(self.NAME)


class SummaryTest(unittest.TestCase):
    """The Summary page's boxes: offered ones only, one below the other, first
    states from the project; OK starts what is checked, the close box nothing."""
    NAME = "KS Wizard Summary"
    FOLDER = f"{BASE}\\Wizard\\{NAME}"
    # Dialog units: (x, first y) per variant; four boxes offered.
    START = {"plain": (4, 32 + 7 * 4), "side_picture": (102, 52), "banner": (20, 78)}

    def build(self, variant):
        finish = ('\n[finish]\nopen_first = "first.txt"\nrun_second = "cmd.exe /c mkdir launched"\n'
                  'open_third = "third.txt"\n')
        return ti.build(project(self.NAME, variant, options={"no_greeting": True, "folder_page": False,
                                                             "start_menu_page": False, "offer_log": True,
                                                             "run_second_checked": True}, extra=finish),
                        {"files/a.txt": b"a"})

    def test_boxes_per_variant_and_what_ok_and_close_start(self):
        for variant in VARIANTS:
            with self.subTest(variant):
                cleanup(self.NAME)
                installer = self.build(variant)
                t = ti.texts(installer)
                report = probe_run(quote(installer), timeout=30, settle=300)
                page = boxes(report)[0]
                got = controls(page)
                self.assertEqual((page["caption"] if variant != "banner" else texts_of(page)[SUBHEADING],
                                  got[TEXT]["text"], got[OK]["text"]), (t[43], t[42], t[95]))
                order = [LAUNCH, OPEN_FIRST, OPEN_THIRD, OPEN_LOG]
                self.assertEqual([(got[i]["text"], got[i]["checked"], got[i]["visible"]) for i in order],
                                 [(t[84], 1, True), (t[83], 0, True), (t[87], 0, True), (t[85], 0, True)])
                # Placed top to bottom at the variant's start, 14 units apart. The
                # units in pixels: OK's left edge is at 198; the boxes' own steps.
                unit_x = got[OK]["rect"][0] / 198
                unit_y = (got[order[-1]]["rect"][1] - got[order[0]]["rect"][1]) / (14 * 3)
                x, y = self.START[variant]
                for n, i in enumerate(order):
                    left, top, right, _ = got[i]["rect"]
                    self.assertAlmostEqual(left / unit_x, x, delta=0.6, msg=(variant, i))
                    self.assertAlmostEqual(right / unit_x, 275, delta=0.6, msg=(variant, i))
                    self.assertAlmostEqual(top / unit_y, y + 14 * n, delta=1.0, msg=(variant, i))
                # Every box, OK and the separator stay inside the page and apart.
                self.assertEqual([c["id"] for c in page["controls"] if c["visible"] and not inside(c, page)], [])
                self.assertLess(got[OPEN_LOG]["rect"][3], got[SEPARATOR]["rect"][1])
                self.assertTrue(wait_for(ti.unix_path(self.FOLDER + "\\launched")))
        # The close box starts nothing, whatever was checked.
        cleanup(self.NAME)
        report = probe_run(quote(installer), timeout=30, settle=300, press=["close"])
        self.assertEqual((len(boxes(report)), report["exit_code"]), (1, 1))
        self.assertFalse(wait_for(ti.unix_path(self.FOLDER + "\\launched"), 3))
        cleanup(self.NAME)


class UninstallerTest(PageChecks):
    """The uninstaller's confirmation, support offer and progress page."""
    NAME = "KS Wizard Uninstall"
    FOLDER = f"{BASE}\\Wizard\\{NAME}"

    def test_confirmation_offer_and_progress(self):
        cleanup(self.NAME)
        # The closing message keeps the progress page up long enough to be read.
        installer = ti.build(project(self.NAME, "banner", options={"uninstall_done_message": True},
                                     extra='support_offer = " https://help.example.com/acme "\n'),
                             {"files/a.txt": b"a"})
        t = self.t = ti.texts(installer)
        ti.assert_silent_success(self, ti.run_setup(installer))
        uninstaller = f'"{self.FOLDER}\\uninstall\\uninstall.exe" /u:"{self.NAME}"'
        report = probe_run(uninstaller, timeout=40, settle=300, press=[YES, CANCEL, "default"])
        shown = boxes(report)
        confirm, offer = shown[:2]
        self.assertEqual((confirm["caption"], confirm["text"], texts_of(confirm)[YES], texts_of(confirm)[NO]),
                         (t[55], t[53], t[79], t[80]))
        got = texts_of(offer)
        self.assertEqual((offer["caption"], got[TEXT], got[OK], got[CANCEL]), (t[110], t[109], t[110], t[104]))
        # The rest in either order: the progress page and, owned by it, the closing message.
        progress = next(w for w in shown[2:] if w["text"] is None)
        done = next(w for w in shown[2:] if w["text"] is not None)
        # The uninstaller keeps no variants: the side-picture page, Cancel disabled.
        self.check_page(progress, "side_picture", t[55], {TEXT: t[71], CANCEL: t[49]}, set())
        self.assertEqual((done["caption"], done["text"]), (t[15], t[34]))
        self.assertEqual(report["exit_code"], 0)
        self.assertEqual(ti.reg("query", f"{ti.UNINSTALL_KEY}\\{self.NAME}"), 1)
        cleanup(self.NAME)


class CancelTest(unittest.TestCase):
    """Cancel on a page leaves nothing installed; past the greeting it says so."""
    NAME = "KS Wizard Cancel"
    FOLDER = f"{BASE}\\Wizard\\{NAME}"

    def test_cancel_on_each_page(self):
        installer = ti.build(project(self.NAME, extra='\n[finish]\nlicence = ["eula.txt"]\n' + LANGUAGES_TOML),
                             {"files/a.txt": b"a", "eula.txt": b"terms"})
        t = ti.texts(installer)
        # (pages accepted before, what Cancel shows afterwards)
        for before, page in [(0, "language"), (1, "greeting"), (2, "licence"), (3, "folder"), (4, "start menu")]:
            with self.subTest(page):
                cleanup(self.NAME)
                report = probe_run(quote(installer), timeout=30, press=["default"] * before + [CANCEL, "default"])
                self.assertEqual(report["exit_code"], 1)
                self.assertEqual(boxes(report)[before]["pressed"], CANCEL)
                after = [(b["caption"], b["text"]) for b in boxes(report)[before + 1:]]
                # The language page and the greeting go quietly; later pages give the abort notice.
                self.assertEqual(after, [] if page in ("language", "greeting") else [(t[111], t[98])])
                self.assertFalse(os.path.exists(ti.unix_path(self.FOLDER)))


class FolderChecksTest(unittest.TestCase):
    NAME = "KS Wizard Folder"

    def test_refused_folders_bring_the_page_back(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, options={"no_greeting": True, "start_menu_page": False}),
                             {"files/a.txt": b"a"})
        t = ti.texts(installer)
        tries = [("relative\\path", t[14] + "\r\n\r\nrelative\\path"),
                 ("C:\\Program Files", t[18] % "C:\\Program Files"), ("Q:\\Acme", t[16] % "Q")]
        actions = [(1 + 2 * i, FOLDER, folder) for i, (folder, _) in enumerate(tries)]
        report = probe_run(quote(installer), timeout=30, actions=actions,
                           press=["default"] * (2 * len(tries)) + [CANCEL, "default"])
        shown = boxes(report)
        for i, (folder, message) in enumerate(tries):
            page, box = shown[2 * i], shown[2 * i + 1]
            self.assertEqual(texts_of(page, after=True)[FOLDER], folder)
            self.assertEqual((box["caption"], box["text"]), (t[21], message))
        # The last page offered again, with the last refused text; then Cancel.
        self.assertEqual(texts_of(shown[2 * len(tries)])[FOLDER], "Q:\\Acme")
        self.assertEqual(texts_of(shown[2 * len(tries)])[OK], t[90])  # no start-menu page follows
        self.assertEqual(report["exit_code"], 1)

    def test_space_lines_follow_the_typed_drive(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, options={"no_greeting": True, "start_menu_page": False}),
                             {"files/a.txt": b"a" * 5000})
        t = ti.texts(installer)
        report = probe_run(quote(installer), timeout=20, settle=300, actions=[(1, FOLDER, "\\\\server\\share")],
                           press=[CANCEL, "default"])
        page = boxes(report)[0]
        before, after = texts_of(page), texts_of(page, after=True)
        # Without a drive letter the free-space line keeps what it said.
        self.assertEqual(after[SPACE_FREE], before[SPACE_FREE])
        self.assertTrue(after[SPACE_NEEDED].startswith(t[92] + " "))


class StartMenuTest(unittest.TestCase):
    NAME = "KS Wizard Start Menu"

    def test_ok_follows_the_name_check_and_the_name_is_used(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, options={"no_greeting": True}), {"files/a.txt": b"a"})
        cases = [("Acme\\Tools", True), ("\\Acme", False), ("Acme\\\\Tools", False), ("C:Acme", False),
                 ("a;b", False), ("", True)]
        for text, enabled in cases:
            with self.subTest(text):
                report = probe_run(quote(installer), timeout=20, actions=[(2, FOLDER, text)] if text else
                                   [(2, FOLDER, "x"), (2, FOLDER, "")], press=["default", "none"], max_boxes=2)
                page = boxes(report)[1]
                self.assertEqual(OK in enabled_buttons(page, after=True), enabled)
        cleanup(self.NAME)


class PasswordTest(unittest.TestCase):
    NAME = "KS Wizard Password"

    def test_wrong_password_waits_then_says_so_and_the_page_stays(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, product={"password": "S3cret"}, options={"no_greeting": True}),
                             {"files/a.txt": b"a"})
        t = ti.texts(installer)
        report = probe_run(quote(installer), timeout=6, actions=[(1, PASSWORD, "s3cret")], press=[OK, "default"])
        page, box = boxes(report)[:2]
        self.assertEqual((page["caption"], texts_of(page)[TEXT], texts_of(page)[1039]), (t[75], t[76], t[27]))
        self.assertEqual(texts_of(page)[CANCEL], t[49])
        self.assertEqual((box["caption"], box["text"]), (t[21], t[102]))
        self.assertGreaterEqual(box["seen_ms"] - page["pressed_ms"], 500)
        self.assertEqual(page["gone_ms"], 0)  # still open when the probe gave up
        self.assertFalse(os.path.exists(ti.unix_path(f"{BASE}\\Wizard\\{self.NAME}")))

    def test_silent_run_still_asks_and_installs_with_the_right_one(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, product={"password": "S3cret"}), {"files/a.txt": b"a"})
        report = probe_run(quote(installer) + " /a", timeout=20, actions=[(1, PASSWORD, "S3cret")])
        self.assertEqual([b["caption"] for b in boxes(report)], [ti.texts(installer)[75]])
        self.assertEqual(report["exit_code"], 1)
        self.assertIn("a.txt", ti.files_below(f"{BASE}\\Wizard\\{self.NAME}"))
        cleanup(self.NAME)

    def test_cancel_aborts(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, product={"password": "S3cret"}), {"files/a.txt": b"a"})
        t = ti.texts(installer)
        report = probe_run(quote(installer) + " /a", timeout=20, press=[CANCEL])
        # A silent run aborts without the notice.
        self.assertEqual(([b["caption"] for b in boxes(report)], report["exit_code"]), ([t[75]], 1))


class ViewerTest(unittest.TestCase):
    NAME = "KS Wizard Viewer"

    def test_licence_texts_in_each_encoding(self):
        cleanup(self.NAME)
        word = "Za\u017c\u00f3\u0142\u0107"  # fits no 8-bit code page but UTF-8 and UTF-16
        files = {
            "rich.rtf": b"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Rich \\b bold\\b0  text\\par}",
            "utf16.txt": b"\xff\xfe" + f"UTF-16 {word}\nnext".encode("utf-16-le"),
            "utf8.txt": b"\xef\xbb\xbf" + f"UTF-8 {word}".encode("utf-8"),
            "ansi.txt": "8-bit caf\u00e9".encode("cp1252"),
            "bad.txt": b"\xef\xbb\xbf\xe9t\xe9",
        }
        licences = ", ".join(f'"{n}"' for n in files)
        installer = ti.build(project(self.NAME, options={"no_greeting": True},
                                     extra=f"\n[finish]\nlicence = [{licences}]\n"),
                             dict(files, **{"files/a.txt": b"a"}))
        report = probe_run(quote(installer), timeout=30, press=["default"] * 5 + [CANCEL, "default"], settle=300)
        pages = boxes(report)[:5]
        viewers = [controls(p)[VIEWER] for p in pages]
        # (The rich edit control may keep the last paragraph mark.)
        self.assertEqual([v["text"].rstrip("\r") if i == 0 else v["text"] for i, v in enumerate(viewers)], [
            "Rich bold text", f"UTF-16 {word}\r\nnext", f"UTF-8 {word}", "8-bit caf\u00e9",
            "\u00ef\u00bb\u00bf\u00e9t\u00e9"])
        self.assertEqual(viewers[0]["class"].lower(), "richedit20w")
        self.assertEqual({v["class"].lower() for v in viewers[1:]}, {"edit"})


class LanguageTest(unittest.TestCase):
    NAME = "KS Wizard Language"

    def test_list_relabels_and_the_choice_holds(self):
        cleanup(self.NAME)
        extra = '\n[[languages]]\nname = "English"\n[[languages]]\nname = "Deutsch"\n'
        installer = ti.build(project(self.NAME, options={"no_greeting": True}, extra=extra), {"files/a.txt": b"a"})
        table = harness.inspect(installer)["settings"]["StringTable"]
        english = {i: row[0] for i, row in enumerate(table)}
        german = {i: row[1] for i, row in enumerate(table)}
        report = probe_run(quote(installer), timeout=20, actions=[(1, LANGUAGES, 1)], press=["default", CANCEL, "default"])
        page, chooser = boxes(report)[:2]
        got, after = controls(page), controls(page, after=True)
        self.assertEqual(got[LANGUAGES]["class"].lower(), "listbox")
        self.assertEqual((page["caption"], got[TEXT]["text"], got[OK]["text"]), (english[94], english[82], english[48]))
        self.assertEqual((after[TEXT]["text"], after[OK]["text"], after[CANCEL]["text"]),
                         (german[82], german[48], german[49]))
        # The next page is in the chosen language.
        self.assertEqual(chooser["caption"], german[24].replace("<product>", self.NAME))


class MustUninstallTest(unittest.TestCase):
    NAME = "KS Wizard Must"

    def test_question_texts_and_cancel(self):
        cleanup(self.NAME)
        installer = ti.build(project(self.NAME, options={"must_uninstall_first": True}), {"files/a.txt": b"a"})
        t = ti.texts(installer)
        ti.assert_silent_success(self, ti.run_setup(installer))
        for args in ("", "/a"):  # the question also interrupts a silent run
            with self.subTest(args=args):
                report = probe_run(quote(installer) + (" " + args if args else ""), timeout=20,
                                   press=["default"] * (0 if args else 1) + [CANCEL])
                page = boxes(report)[-1]
                self.assertEqual((page["caption"], texts_of(page)[TEXT], texts_of(page)[OK], texts_of(page)[CANCEL]),
                                 (t[21], t[9], t[104], t[49]))
                self.assertEqual(report["exit_code"], 1)
        cleanup(self.NAME)


if __name__ == "__main__":
    harness.main()
