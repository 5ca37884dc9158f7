"""The uninstaller seen from outside: a product installed silently, then its
written uninstaller run as the quiet uninstall string runs it, and the machine
as it was before; the start-up refusals; a file held open keeping the key and a
rewritten Uninstall.DAT until a second run finishes the job."""
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402
import test_components as tc  # noqa: E402
import test_shortcuts as ts  # noqa: E402
from harness import boxes, probe_run  # noqa: E402

BASE = ti.BASE
UNINSTALL_KEY = ti.UNINSTALL_KEY
PRODUCT_REG = r"HKLM\Software\KS Uninstall Maker\Viewer"
DIR_VALUE_KEY = r"HKLM\Software\KS Uninstall Dir"
TREE = {"files/app.exe": b"MZ app", "files/readme.txt": b"read me", "files/data/deep/one.dat": b"1",
        "files/data/deep/two.dat": b"2", "files/Data/three.dat": b"3"}


def product_text(name, folder, options=None, extra=""):
    text = ti.project(name, options=dict({"uninstall_shortcut": True, "remove_install_dir_value": True},
                                         **(options or {})),
                      product={"install_dir": folder, "registry_key": "KS Uninstall Maker\\Viewer",
                               "install_dir_registry_value": DIR_VALUE_KEY + r"\Folder"})
    return text + """
[[shortcuts]]
target = "%InstallDir%\\\\app.exe"
name = "Tools\\\\Viewer"
start_menu = true

[[registry]]
key = "HKLM\\\\Software\\\\KS Uninstall Entries\\\\Whole"

[[registry]]
key = "HKLM\\\\Software\\\\KS Uninstall Entries\\\\Whole\\\\Below"
name = "Inside"
value = "gone with its key"

[[registry]]
key = "HKCU\\\\Software\\\\KS Uninstall Entries"
name = "Gone"
value = "%InstallDir%"

[[registry]]
key = "HKCU\\\\Software\\\\KS Uninstall Entries"
name = "Kept"
value = "stays"
remove_at_uninstall = false
""" + extra


def run_uninstaller(folder, name, press="default", args="/a"):
    uninstaller = f"{folder}\\uninstall\\uninstall.exe"
    return probe_run(f'"{uninstaller}" {args} /u:"{name}"'.replace("  ", " "), timeout=40, press=press)


def wait_gone(test, win_path, seconds=20):
    """The self-deletion batch runs after the uninstaller has ended."""
    deadline = time.time() + seconds
    while os.path.exists(ti.unix_path(win_path)) and time.time() < deadline:
        time.sleep(0.2)
    test.assertFalse(os.path.exists(ti.unix_path(win_path)), f"{win_path} still there: {ti.files_below(win_path)}")


def reg32(*args):
    return ti.wine_tool(["reg"] + list(args) + ["/reg:32"])[0]


def key_values(key):
    return ti.reg_values(key)


class RemovalTest(unittest.TestCase):
    maxDiff = None
    NAME = "KS Uninstall Full"
    FOLDER = f"{BASE}\\Uninstall Full"
    KEY = f"{UNINSTALL_KEY}\\{NAME}"

    def setUp(self):
        shutil.rmtree(ti.unix_path(self.FOLDER), ignore_errors=True)
        for key in (self.KEY, r"HKLM\Software\KS Uninstall Maker", DIR_VALUE_KEY):
            ti.reg("delete", key, "/f")
        reg32("delete", r"HKLM\Software\KS Uninstall Maker", "/f")
        reg32("delete", r"HKLM\Software\KS Uninstall Entries", "/f")
        ti.reg("delete", r"HKCU\Software\KS Uninstall Entries", "/f")
        for marker in ("ks-uninst-b1", "ks-uninst-b2"):
            if os.path.isdir(ti.unix_path(f"C:\\{marker}")):
                os.rmdir(ti.unix_path(f"C:\\{marker}"))

    tearDown = setUp

    def install(self, extra=""):
        installer = harness.build_installer(product_text(self.NAME, self.FOLDER, extra=extra), TREE)
        ti.assert_silent_success(self, ti.run_setup(installer))
        # What the (32-bit) product itself wrote below its registry key.
        self.assertEqual(reg32("add", PRODUCT_REG, "/v", "Setting", "/d", "x", "/f"), 0)
        # The batches the uninstaller runs before and after the removal.
        for n in (1, 2):
            self.assertEqual(ti.reg("add", self.KEY, "/v", f"UninstallBatch{n}", "/d",
                                    f"mkdir C:\\ks-uninst-b{n}", "/f"), 0)
        return installer

    def test_quiet_uninstall_leaves_the_machine_as_before(self):
        self.install('\n[[delete]]\npath = "made-later.log"\nat_install = false\nat_uninstall = true\n')
        profile = ts.user_profile()
        menu = profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\" + self.NAME
        self.assertTrue(os.path.exists(ti.unix_path(menu + "\\Tools\\Viewer.lnk")) or
                        os.path.exists(ti.unix_path(menu + "\\Tools\\Viewer.LNK")), ti.files_below(menu))
        self.assertIn("Folder", key_values(DIR_VALUE_KEY))
        with open(ti.unix_path(self.FOLDER + "\\made-later.log"), "wb") as f:
            f.write(b"a file the program wrote")
        # Quiet uninstall string as the system stores it.
        self.assertEqual(reg32("query", r"HKLM\Software\KS Uninstall Entries\Whole\Below", "/v", "Inside"), 0)
        self.assertEqual(set(ti.reg_values(r"HKEY_CURRENT_USER\Software\KS Uninstall Entries")), {"Gone", "Kept"})
        quiet = key_values(self.KEY)["QuietUninstallString"].replace('\\"', '"')
        self.assertEqual(quiet, f'"{self.FOLDER}\\uninstall\\uninstall.exe" /a /u:"{self.NAME}"')

        report = run_uninstaller(self.FOLDER, self.NAME)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        wait_gone(self, self.FOLDER)
        self.assertFalse(os.path.exists(ti.unix_path(menu)), ti.files_below(menu))
        self.assertEqual(key_values(self.KEY), {})
        self.assertNotIn("Folder", key_values(DIR_VALUE_KEY))
        self.assertEqual(reg32("query", r"HKLM\Software\KS Uninstall Maker"), 1)
        # The entries: the key whole, a value removed, a value kept.
        self.assertEqual(reg32("query", r"HKLM\Software\KS Uninstall Entries\Whole"), 1)
        self.assertEqual(reg32("query", r"HKLM\Software\KS Uninstall Entries"), 0)
        self.assertEqual(ti.reg_values(r"HKEY_CURRENT_USER\Software\KS Uninstall Entries"), {"Kept": "stays"})
        for n in (1, 2):
            self.assertTrue(os.path.isdir(ti.unix_path(f"C:\\ks-uninst-b{n}")), f"UninstallBatch{n} did not run")

    def test_held_file_keeps_the_key_until_a_second_run(self):
        self.install()
        held = self.FOLDER + "\\data\\deep\\one.dat"
        with ti.Holder(held):
            report = run_uninstaller(self.FOLDER, self.NAME)
            self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        # Only the held file and what holds it stay; everything else went.
        self.assertEqual({f.lower() for f in ti.files_below(self.FOLDER)},
                         {"data\\deep\\one.dat", "uninstall\\uninstall.exe", "uninstall\\uninstall.dat"})
        with open(ti.unix_path(self.FOLDER + "\\uninstall\\Uninstall.DAT"), "rb") as f:
            data = f.read()
        # The held file, and the folders still holding it for the next run to remove.
        main = data.split(b"\r\n\r\n\r\n[Strings]\r\n")[0].decode("cp1252").split("\r\n")
        self.assertEqual(main[0], held)
        self.assertEqual({m.lower() for m in main[1:]},
                         {f"~{self.FOLDER}\\data".lower(), f"~{self.FOLDER}\\data\\deep".lower()})
        values = key_values(self.KEY)
        self.assertIn("InstallLocation", values)
        self.assertIn("UninstallBatch2", values)
        self.assertNotIn("UninstallBatch1", values)
        self.assertFalse(os.path.isdir(ti.unix_path("C:\\ks-uninst-b2")))

        report = run_uninstaller(self.FOLDER, self.NAME)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        wait_gone(self, self.FOLDER)
        self.assertEqual(key_values(self.KEY), {})
        self.assertTrue(os.path.isdir(ti.unix_path("C:\\ks-uninst-b2")))

    def test_no_to_the_question_keeps_everything_then_r_program_runs(self):
        self.install()
        before = ti.files_below(self.FOLDER)
        report = run_uninstaller(self.FOLDER, self.NAME, press="No", args="")
        self.assertEqual([b["text"] for b in boxes(report)],
                         [f"Do you want to remove {self.NAME} and all of its parts from this computer?"])
        self.assertEqual(report["exit_code"], 0)
        self.assertEqual(ti.files_below(self.FOLDER), before)
        self.assertIn("UninstallBatch1", key_values(self.KEY))
        self.assertFalse(os.path.isdir(ti.unix_path("C:\\ks-uninst-b1")))
        # A clean run starts the /r: program.
        marker = "C:\\ks-uninst-after"
        shutil.rmtree(ti.unix_path(marker), ignore_errors=True)
        report = run_uninstaller(self.FOLDER, self.NAME, args=f'/a /r:"cmd.exe /c mkdir {marker}"')
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        deadline = time.time() + 20
        while not os.path.isdir(ti.unix_path(marker)) and time.time() < deadline:
            time.sleep(0.2)
        self.assertTrue(os.path.isdir(ti.unix_path(marker)))
        os.rmdir(ti.unix_path(marker))
        wait_gone(self, self.FOLDER)

    def test_attended_failure_reports_the_held_file(self):
        self.install()
        held = self.FOLDER + "\\readme.txt"
        with ti.Holder(held):
            report = run_uninstaller(self.FOLDER, self.NAME, args="")
        # Message boxes; the progress page (no text) stays up behind the last one.
        shown = [(b["caption"], b["text"]) for b in boxes(report) if b["text"] is not None]
        self.assertEqual(len([b for b in boxes(report) if b["text"] is None]), 1)
        self.assertEqual(report["exit_code"], 0)
        self.assertEqual(len(shown), 2, shown)
        self.assertIn(self.NAME, shown[0][1])  # the confirmation names the product
        self.assertIn(held, shown[1][1])        # the failure summary names the file
        run_uninstaller(self.FOLDER, self.NAME)
        wait_gone(self, self.FOLDER)


class SharedFilesTest(unittest.TestCase):
    """SharedDLLs counts go down; a file no longer counted goes unless kept."""
    NAME = "KS Uninstall Shared"
    FOLDER = f"{BASE}\\{NAME}"

    def setUp(self):
        shutil.rmtree(ti.unix_path(self.FOLDER), ignore_errors=True)
        ti.reg("delete", f"{UNINSTALL_KEY}\\{self.NAME}", "/f")

    tearDown = setUp

    def test_counts_and_files(self):
        entries = [{"source": "one.dll", "kind": "shared"}, {"source": "two.dll", "kind": "shared"},
                   {"source": "kept.dll", "kind": "shared", "permanent": True}]
        tc.reg32("add", tc.SHARED_DLLS, "/f")
        installer = ti.build(tc.files_project(self.NAME, entries),
                             {"one.dll": b"one", "two.dll": b"two", "kept.dll": b"kept"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        counts = tc.shared_counts()
        one = [p for p in counts if p.endswith("\\one.dll") and self.NAME in p]
        self.assertEqual(len(one), 1, counts)
        shared = one[0][:-len("\\one.dll")]
        # Another product counts two.dll as well (1 + 2).
        self.assertEqual(tc.reg32("add", tc.SHARED_DLLS, "/v", f"{shared}\\two.dll", "/t", "REG_DWORD",
                                  "/d", "3", "/f"), 0)
        report = run_uninstaller(self.FOLDER, self.NAME)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        after = {p: c for p, c in tc.shared_counts().items() if p.startswith(shared + "\\")}
        self.assertEqual(after, {f"{shared}\\two.dll": 2})
        self.assertEqual(ti.files_below(shared), {"two.dll", "kept.dll"})
        wait_gone(self, self.FOLDER)
        for name in ("two.dll", "kept.dll"):
            os.remove(ti.unix_path(f"{shared}\\{name}"))
        tc.reg32("delete", tc.SHARED_DLLS, "/v", f"{shared}\\two.dll", "/f")


def default_value(key):
    """The default value's text of a key, None when key or value is missing."""
    rc, out = ti.wine_tool(["reg", "query", key, "/ve"])
    if rc != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


class AssociationsTest(unittest.TestCase):
    """The replaced defaults come back from their backups, the added keys go."""
    NAME = "KS Uninstall Assoc"
    FOLDER = f"{BASE}\\{NAME}"
    KEYS = [r"HKCR\.ksuo", r"HKCR\Ks.Old", r"HKCR\KsUn.Doc", r"HKCR\.ksun", r"HKCR\KsUn.New"]

    def setUp(self):
        shutil.rmtree(ti.unix_path(self.FOLDER), ignore_errors=True)
        ti.reg("delete", f"{UNINSTALL_KEY}\\{self.NAME}", "/f")
        for key in self.KEYS:
            ti.wine_tool(["reg", "delete", key, "/f"])

    tearDown = setUp

    def test_backups_restored(self):
        # An extension another program owns, with its own type.
        ti.wine_tool(["reg", "add", r"HKCR\.ksuo", "/ve", "/d", "Ks.Old", "/f"])
        ti.wine_tool(["reg", "add", r"HKCR\Ks.Old\shell\open\command", "/ve", "/d", "old.exe", "/f"])
        extra = """
[[associations]]
extension = "ksuo"
file_type = "KsUn.Doc"
description = "KS document"
command = "a.exe %1"
icon = "a.exe,1"
kind = "default"
[[associations]]
extension = "ksun"
file_type = "KsUn.New"
command = "a.exe %1"
"""
        installer = ti.build(ti.project(self.NAME, extra=extra), {"files/a.exe": b"MZ"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertEqual(default_value(r"HKCR\.ksuo"), "KsUn.Doc")
        self.assertEqual(default_value(r"HKCR\.ksun"), "KsUn.New")
        report = run_uninstaller(f"{BASE}\\{self.NAME}", self.NAME)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        self.assertEqual(default_value(r"HKCR\.ksuo"), "Ks.Old")
        rc, out = ti.wine_tool(["reg", "query", r"HKCR\.ksuo"])
        self.assertNotIn("Backup", out)
        self.assertEqual(default_value(r"HKCR\Ks.Old\shell\open\command"), "old.exe")
        for key in (r"HKCR\KsUn.Doc", r"HKCR\.ksun", r"HKCR\KsUn.New"):
            self.assertEqual(ti.wine_tool(["reg", "query", key])[0], 1, key)
        wait_gone(self, self.FOLDER)


class PathAndFirewallTest(unittest.TestCase):
    """The PATH entry goes; the firewall exceptions are removed without a failure."""
    NAME = "KS Uninstall Path"
    FOLDER = f"{BASE}\\{NAME}"

    def setUp(self):
        shutil.rmtree(ti.unix_path(self.FOLDER), ignore_errors=True)
        ti.reg("delete", f"{UNINSTALL_KEY}\\{self.NAME}", "/f")

    tearDown = setUp

    def test_path_entry_removed(self):
        extra = '[[firewall]]\nport = 8080\n[[firewall]]\nprogram = "tool.exe"\n'
        installer = ti.build(ti.project(self.NAME, options={"add_to_path": True}, extra=extra),
                             {"files/tool.exe": b"MZ"})
        before = ti.machine_path()
        ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertIn(self.FOLDER.lower(), [p.lower() for p in ti.machine_path()[1].split(";")])
        report = run_uninstaller(self.FOLDER, self.NAME)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        kind, text = ti.machine_path()
        self.assertEqual(kind, before[0])
        self.assertNotIn(self.FOLDER.lower(), [p.lower() for p in text.split(";")])
        self.assertTrue(text.startswith("%SystemRoot%"), text)
        self.assertEqual(key_values(f"{UNINSTALL_KEY}\\{self.NAME}"), {})
        wait_gone(self, self.FOLDER)


class ComponentsTest(unittest.TestCase):
    """Font, applets, Windows Installer package and driver package go with the product."""
    NAME = "KS Uninstall Components"
    FOLDER = f"{BASE}\\{NAME}"

    def setUp(self):
        shutil.rmtree(ti.unix_path(self.FOLDER), ignore_errors=True)
        ti.reg("delete", f"{UNINSTALL_KEY}\\{self.NAME}", "/f")
        tc.reg32("add", tc.CPLS, "/f")

    tearDown = setUp

    def test_components_removed(self):
        with open(tc.FONT_SOURCE, "rb") as f:
            font = f.read()
        tree = {"kscomponent.msi": tc.component("kscomponent.msi"), "kscomponent.inf": tc.component("kscomponent.inf"),
                "KsTestSans.ttf": font, "tool.cpl": b"applet"}
        entries = [
            {"source": "kscomponent.msi", "kind": "msi_package", "msi_ui_level": "none",
             "uninstall_with_product": True},
            {"source": "KsTestSans.ttf", "kind": "font", "font_face": "KS Test Sans (TrueType)"},
            {"source": "tool.cpl", "kind": "applet", "applet_name": "KS Tool"},
            {"source": "kscomponent.inf", "kind": "driver_inf"},
        ]
        installer = ti.build(tc.files_project(self.NAME, entries), tree)
        ti.assert_silent_success(self, ti.run_setup(installer, timeout=90))
        font_file = r"C:\windows\Fonts\KsTestSans.ttf"
        self.assertEqual(tc.reg_query(tc.FONTS, "KS Test Sans (TrueType)"), "KsTestSans.ttf")
        self.assertEqual(tc.reg_query(tc.CPLS, "KS Tool"), f"{self.FOLDER}\\tool.cpl")
        self.assertEqual(tc.reg_query(tc.MSI_VALUE_KEY, "Installed"), "yes")

        report = run_uninstaller(self.FOLDER, self.NAME)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        self.assertFalse(os.path.exists(ti.unix_path(font_file)))
        self.assertIsNone(tc.reg_query(tc.FONTS, "KS Test Sans (TrueType)"))
        self.assertIsNone(tc.reg_query(tc.CPLS, "KS Tool"))
        self.assertIsNone(tc.reg_query(tc.MSI_VALUE_KEY, "Installed"))
        self.assertFalse(os.path.exists(ti.unix_path(r"C:\windows\inf\kscomponent.inf")))
        self.assertEqual(key_values(f"{UNINSTALL_KEY}\\{self.NAME}"), {})
        wait_gone(self, self.FOLDER)


class RefusalTest(unittest.TestCase):
    NAME = "KS Uninstall Corrupt"
    KEY = f"{UNINSTALL_KEY}\\{NAME}"

    def tearDown(self):
        ti.reg("delete", self.KEY, "/f")

    def test_start_up_checks(self):
        folder = f"{BASE}\\Uninstall Refusal"
        installer = harness.build_installer(ti.project(self.NAME, product={"install_dir": folder}),
                                            {"files/a.txt": b"a"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        uninstaller = f"{folder}\\uninstall\\uninstall.exe"
        cases = [
            ("KS No Such Product", "No product named 'KS No Such Product' is installed."),
        ]
        for name, text in cases:
            report = probe_run(f'"{uninstaller}" /a /u:"{name}"', timeout=30)
            self.assertEqual([b["text"] for b in boxes(report)], [text])
            self.assertEqual(report["exit_code"], 0)
        # Without InstallLocation the key is corrupt and nothing changes.
        self.assertEqual(ti.reg("delete", self.KEY, "/v", "InstallLocation", "/f"), 0)
        report = probe_run(f'"{uninstaller}" /a /u:"{self.NAME}"', timeout=30)
        self.assertEqual([b["text"] for b in boxes(report)],
                         [f"The uninstall information for {self.NAME} is corrupt.\r\n\r\n"
                          "The uninstallation cannot be performed."])
        self.assertIn("a.txt", ti.files_below(folder))
        self.assertIn("DisplayName", key_values(self.KEY))
        # An unreadable Uninstall.DAT stops before anything is removed.
        self.assertEqual(ti.reg("add", self.KEY, "/v", "InstallLocation", "/d", folder, "/f"), 0)
        os.remove(ti.unix_path(folder + "\\uninstall\\Uninstall.DAT"))
        report = probe_run(f'"{uninstaller}" /a /u:"{self.NAME}"', timeout=30)
        texts = [b["text"] for b in boxes(report)]
        self.assertEqual(len(texts), 1, texts)
        self.assertTrue(texts[0].startswith(f"The uninstall information for {self.NAME} could not be loaded.\r\n\r\n"
                                            f"Filepath: {folder}\\uninstall\\Uninstall.DAT\r\nCode 2: "), texts[0])
        self.assertIn("a.txt", ti.files_below(folder))


if __name__ == "__main__":
    harness.main()
