"""Shortcuts made by silent installations under Wine: the links in the
desktop, a desktop folder, the start menu (with subfolders), Startup and other
folders, read back through the shell's link object by lnk_probe; their
records in Uninstall.DAT, the verbose lines and a failure line in Install.log.

wineboot links the user's Desktop and Documents to the Unix home folder: the
module turns every such link of the prefix into a real folder first, so no
shortcut leaves the prefix."""
import json
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402
from harness import find_binary  # noqa: E402
from test_finish import icon_file  # noqa: E402

BASE = ti.BASE
ACP = ti.ACP
SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE = 1, 3, 7
ICON = icon_file(bytes(range(40)) * 26)
FOLDER_ICON = b"\0\0\1\0folder" + bytes(20)


def user_profile():
    """C:\\users\\<name> of the prefix's user (the one folder there besides Public)."""
    users = os.path.join(harness.env().prefix, "drive_c", "users")
    names = [n for n in os.listdir(users) if n.lower() != "public"]
    assert len(names) == 1, names
    return "C:\\users\\" + names[0]


def setUpModule():
    users = os.path.join(harness.env().prefix, "drive_c", "users")
    for d, subdirs, _ in os.walk(users):
        for n in subdirs:
            p = os.path.join(d, n)
            if os.path.islink(p):
                os.unlink(p)
                os.makedirs(p)
    shutil.rmtree(ti.unix_path(BASE), ignore_errors=True)


def read_links(*paths):
    """lnk_probe's fields of each link: {path: fields}."""
    log = os.path.join(harness.work_dir("lnk"), "links.json")
    harness.env().run_logged([find_binary("lnk_probe.exe")] + list(paths), log)
    with open(log, encoding="utf-8", errors="replace") as f:
        text = f.read()
    return {e["path"]: e for e in json.loads(text[text.index("["):])}


def uninstall_items(folder):
    """The main section of Uninstall.DAT: one item per line."""
    with open(ti.unix_path(f"{folder}\\uninstall\\Uninstall.DAT"), "rb") as f:
        data = f.read().decode(ACP)
    return data.split("\r\n\r\n[Strings]")[0].split("\r\n")


def log_text(folder):
    return ti.read_log(folder)[3:].decode("utf-8")


def toml(v):
    return '"' + v.replace("\\", "\\\\").replace('"', '\\"') + '"'


class ShortcutListTest(unittest.TestCase):
    NAME = "KS Shortcuts"
    FOLDER = f"{BASE}\\{NAME}"
    OTHER = f"{BASE}\\Other Place"

    @classmethod
    def setUpClass(cls):
        extra = f"""
start_menu_shortcut = true
shortcut_name = "From Files"

[[shortcuts]]
target = "%InstallDir%\\\\app.exe"
name = "Tools\\\\App"
arguments = "-x \\"a b\\""
working_folder = "C:\\\\\\\\"
icon = "%InstallDir%\\\\app.exe"
window = "minimized"
desktop = true
start_menu = true

[[shortcuts]]
target = "readme.txt"
start_menu = true
startup = true
other_folder = {toml(cls.OTHER)}
window = "maximized"

[[shortcuts]]
target = ""
arguments = "~\\"%InstallDir%\\\\sub\\\\..\\\\app.exe\\"  /y "
name = "Tilde"
working_folder = "%InstallDir%\\\\missing"
start_menu = true

[[shortcuts]]
target = "app.exe"
name = "Bad"
other_folder = "%InstallDir%\\\\blocker.txt"

[[shortcuts]]
target = "app.exe"
name = "Kept"
startup = true
keep_on_uninstall = true

[finish]
uninstaller_icon = "uninstall.ico"
"""
        text = ti.project(cls.NAME, files="app.exe", options={
            "verbose_log": True, "uninstall_shortcut": True, "desktop_uninstall_shortcut": True,
            "uninstall_folder_shortcut": True, "log_shortcut": True}, extra=extra)
        text += '\n[[files]]\nsource = "readme.txt"\n[[files]]\nsource = "blocker.txt"\n'
        cls.installer = harness.build_installer(text, {"app.exe": b"MZ not really", "readme.txt": "read me",
                                                       "blocker.txt": "in the way", "uninstall.ico": ICON})
        cls.report = ti.run_setup(cls.installer)
        cls.profile = user_profile()
        cls.desktop = cls.profile + "\\Desktop"
        cls.programs = cls.profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
        cls.menu = cls.programs + "\\" + cls.NAME
        cls.uninstall_dir = cls.FOLDER + "\\uninstall"

    def startup(self):
        """The Startup folder as Wine names it (its letter case varies)."""
        for n in os.listdir(ti.unix_path(self.programs)):
            if n.lower() == "startup":
                return self.programs + "\\" + n
        self.fail("no Startup folder")

    def expected_links(self):
        """path -> (target, arguments, working folder, icon, show) of every link the run makes."""
        f, u = self.FOLDER, self.uninstall_dir
        app, readme = f + "\\app.exe", f + "\\readme.txt"
        startup = self.startup()
        uninstaller = (u + "\\uninstall.exe", f'/u:"{self.NAME}"', f, u + "\\uninstall.ico", SW_SHOWNORMAL)
        return {
            self.desktop + "\\Tools\\App.LNK": (app, '-x "a b"', "C:\\", app, SW_SHOWNORMAL),
            self.menu + "\\Tools\\App.LNK": (app, '-x "a b"', "C:\\", app, SW_SHOWMINNOACTIVE),
            self.menu + "\\readme.txt.LNK": (readme, "", f, readme, SW_SHOWMAXIMIZED),
            startup + "\\readme.txt.LNK": (readme, "", f, readme, SW_SHOWMAXIMIZED),
            self.OTHER + "\\readme.txt.LNK": (readme, "", f, readme, SW_SHOWMAXIMIZED),
            self.menu + "\\Tilde.LNK": (app, "/y", f, app, SW_SHOWNORMAL),
            startup + "\\Kept.LNK": (app, "", f, app, SW_SHOWNORMAL),
            self.menu + "\\From Files.LNK": (app, "", f, app, SW_SHOWNORMAL),
            self.menu + f"\\Uninstall {self.NAME}.LNK": uninstaller,
            self.desktop + f"\\Uninstall {self.NAME}.LNK": uninstaller,
            u + f"\\Uninstall {self.NAME}.LNK": uninstaller,
            self.menu + f"\\{self.NAME} Installation Log.LNK": (u + "\\Install.log", "", f, u + "\\Install.log",
                                                                  SW_SHOWNORMAL),
        }

    def test_links_and_their_fields(self):
        ti.assert_silent_success(self, self.report)
        expected = self.expected_links()
        links = read_links(*expected)
        for path, (target, arguments, working, icon, show) in expected.items():
            with self.subTest(path=path):
                got = links[path]
                self.assertTrue(got["loaded"], got)
                self.assertEqual(
                    (got["target"].lower(), got["arguments"], got["working_folder"].lower(), got["icon"].lower(),
                     got["icon_index"], got["header_show"]),
                    (target.lower(), arguments, working.lower(), icon.lower(), 0, show))
        with open(ti.unix_path(self.uninstall_dir + "\\uninstall.ico"), "rb") as f:
            self.assertEqual(f.read(), ICON)
        # Nothing but the expected links in the product's start-menu folder.
        menu = {p.lower() for p in expected if p.lower().startswith(self.menu.lower() + "\\")}
        found = {(self.menu + "\\" + rel).lower() for rel in ti.files_below(self.menu)}
        self.assertEqual(found, menu)

    def test_inspect_names_the_entries(self):
        s = harness.inspect(self.installer)["settings"]
        self.assertEqual([(e["Name"], e["window"], e["KeepOnUninstall"]) for e in s["ShortcutList"]],
                         [("Tools\\App", "minimized", 0), ("", "maximized", 0), ("Tilde", "normal", 0),
                          ("Bad", "normal", 0), ("Kept", "normal", 1)])

    def test_uninstall_records(self):
        ti.assert_silent_success(self, self.report)
        items = uninstall_items(self.FOLDER)
        startup = self.startup()
        u = self.uninstall_dir
        # In the order the shortcuts were made, after the payload's own records.
        wanted = [
            u + "\\uninstall.ico",
            self.desktop + "\\Tools\\App.LNK", "~" + self.desktop + "\\Tools",
            self.menu + "\\Tools\\App.LNK", "~" + self.menu + "\\Tools",
            self.menu + "\\readme.txt.LNK", startup + "\\readme.txt.LNK",
            self.OTHER + "\\readme.txt.LNK", "~" + self.OTHER,
            self.menu + "\\Tilde.LNK",
            self.menu + "\\From Files.LNK",
            self.desktop + f"\\Uninstall {self.NAME}.LNK", self.menu + f"\\Uninstall {self.NAME}.LNK",
            u + f"\\Uninstall {self.NAME}.LNK",
            self.menu + f"\\{self.NAME} Installation Log.LNK",
        ]
        lowered = [i.lower() for i in items]
        at = [lowered.index(w.lower()) if w.lower() in lowered else -1 for w in wanted]
        self.assertNotIn(-1, at, [w for w, a in zip(wanted, at) if a < 0])
        self.assertEqual(at, sorted(at), items)
        # Startup's folder is never recorded; a kept shortcut is not recorded at all.
        self.assertNotIn("~" + startup.lower(), lowered)
        self.assertFalse([i for i in lowered if "kept.lnk" in i or "bad.lnk" in i], items)

    def test_log_lines_and_failure(self):
        ti.assert_silent_success(self, self.report)
        log = log_text(self.FOLDER)
        startup = self.startup()
        lines = [
            f"Desktop Shortcut(Tools\\App) >>> {self.desktop}\\Tools\\App.LNK",
            f"Start Menu Shortcut(Tools\\App) >>> {self.menu}\\Tools\\App.LNK",
            f"Start Menu Shortcut(readme.txt) >>> {self.menu}\\readme.txt.LNK",
            f"Startup Shortcut(readme.txt) >>> {startup}\\readme.txt.LNK",
            f"Shortcut(readme.txt) >>> {self.OTHER}\\readme.txt.LNK",
            f"Start Menu Shortcut(Tilde) >>> {self.menu}\\Tilde.LNK",
        ]
        at = []
        for line in lines:
            self.assertIn("\r\n" + line + "\r\n", log)
            at.append(log.index(line))
        self.assertEqual(at, sorted(at))
        t = ti.texts(self.installer)
        bad = f"{self.FOLDER}\\blocker.txt\\Bad.LNK"
        self.assertRegex(log, "\r\n" + ti.re.escape(f"{t[31]} {bad}") + "\r\n[^\r\n]+\r\n\r\n")
        self.assertFalse(os.path.exists(ti.unix_path(bad)))


class DesktopFolderTest(unittest.TestCase):
    NAME = "KS Desk Folder"
    FOLDER = f"{BASE}\\{NAME}"

    @classmethod
    def setUpClass(cls):
        extra = """
[[shortcuts]]
target = "app.exe"
name = "First"
desktop = true

[[shortcuts]]
target = "app.exe"
name = "Deep\\\\Second"
desktop = true

[desktop_folder]
name = "KS Desk"
icon = "folder.ico"
"""
        text = ti.project(cls.NAME, files="app.exe", options={"verbose_log": True}, extra=extra)
        cls.installer = harness.build_installer(text, {"app.exe": b"MZ", "folder.ico": FOLDER_ICON})
        cls.report = ti.run_setup(cls.installer)
        cls.folder = user_profile() + "\\Desktop\\KS Desk"

    def test_folder_with_icon_links_and_records(self):
        ti.assert_silent_success(self, self.report)
        icon = self.FOLDER + "\\uninstall\\Desktop Icon.ico"
        with open(ti.unix_path(icon), "rb") as f:
            self.assertEqual(f.read(), FOLDER_ICON)
        with open(ti.unix_path(self.folder + "\\Desktop.ini"), "rb") as f:
            ini = f.read().decode(ACP).replace("\r\n", "\n")
        self.assertIn("[.ShellClassInfo]\nIconFile=" + icon + "\nIconIndex=0\n", ini)
        self.assertEqual(ti.attributes(self.folder).get("Desktop.ini", "").replace("A", ""), "HS")
        links = read_links(self.folder + "\\First.LNK", self.folder + "\\Deep\\Second.LNK")
        for link in links.values():
            self.assertTrue(link["loaded"], link)
            self.assertEqual(link["target"].lower(), (self.FOLDER + "\\app.exe").lower())
        log = log_text(self.FOLDER)
        self.assertIn(f"\r\nDesktop Folder Shortcut(First) >>> {self.folder}\\First.LNK\r\n", log)
        self.assertIn(f"\r\nDesktop Folder Shortcut(Deep\\Second) >>> {self.folder}\\Deep\\Second.LNK\r\n", log)
        items = [i.lower() for i in uninstall_items(self.FOLDER)]
        wanted = [self.folder + "\\Desktop.ini", "~" + self.folder, icon, self.folder + "\\First.LNK",
                  self.folder + "\\Deep\\Second.LNK", "~" + self.folder + "\\Deep"]
        at = [items.index(w.lower()) if w.lower() in items else -1 for w in wanted]
        self.assertNotIn(-1, at, items)
        self.assertEqual(at, sorted(at), items)
        # The folder is prepared once: one record of each.
        self.assertEqual(items.count(("~" + self.folder).lower()), 1)


class TaskbarPinTest(unittest.TestCase):
    """Wine reports Windows 7, but its shell has no "taskbarpin" verb and
    starts the link's program for an unknown verb: no pin is tried there."""
    NAME = "KS Pin"
    FOLDER = f"{BASE}\\{NAME}"

    def test_no_pin_under_wine(self):
        extra = '\n[taskbar_pin]\ntarget = "\\"%InstallDir%\\\\app.exe\\" -pinned"\nname = "<product> Pinned"\n'
        text = ti.project(self.NAME, files="app.exe", options={"verbose_log": True}, extra=extra)
        installer = harness.build_installer(text, {"app.exe": b"MZ"})
        self.assertEqual(harness.inspect(installer)["settings"]["TaskbarPinTarget"],
                         '"%InstallDir%\\app.exe" -pinned')
        report = ti.run_setup(installer)
        ti.assert_silent_success(self, report)
        log = log_text(self.FOLDER)
        self.assertNotIn("Pin to taskbar", log)
        items = [i.lower() for i in uninstall_items(self.FOLDER)]
        self.assertFalse([i for i in items if "taskbar" in i], items)
        for temp in ("\\Temp", "\\AppData\\Local\\Temp"):
            self.assertFalse(os.path.exists(ti.unix_path(user_profile() + temp + "\\KS Pin Pinned.LNK")))


class RemovableDrive:
    """A folder mapped as drive R: that Wine reports as removable, for the time
    of a with block (Wine reads drive types when its server starts)."""

    def __init__(self):
        e = harness.env()
        self.folder = os.path.join(e.out_dir, "drive-r")
        self.link = os.path.join(e.prefix, "dosdevices", "r:")

    def restart(self):
        e = harness.env()
        subprocess.run(["wineserver", "-k"], env=e.env)
        subprocess.run(["wineserver", "-w"], env=e.env)
        e._server_kept = False

    def __enter__(self):
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        if os.path.lexists(self.link):
            os.remove(self.link)
        os.symlink(self.folder, self.link)
        ti.reg("add", r"HKLM\Software\Wine\Drives", "/v", "r:", "/d", "floppy", "/f")
        self.restart()
        return self

    def __exit__(self, *exc):
        ti.reg("delete", r"HKLM\Software\Wine\Drives", "/v", "r:", "/f")
        os.remove(self.link)
        self.restart()
        return False

    def path(self, windows):
        assert windows[:3].upper() == "R:\\", windows
        return os.path.join(self.folder, *windows[3:].split("\\"))


class RootShortcutTest(unittest.TestCase):
    NAME = "KS Root"
    FOLDER = "R:\\KS Root"

    def test_root_shortcut_on_a_removable_destination(self):
        extra = """
[[shortcuts]]
target = "app.exe"
name = "Skipped"
start_menu = true

[root_shortcut]
target = "\\"%InstallDir%\\\\app.exe\\" -portable"
name = "<product> Start"
"""
        text = ti.project(self.NAME, files="app.exe", options={"verbose_log": True, "no_start_menu_on_removable": True},
                          product={"install_dir": self.FOLDER}, extra=extra)
        installer = harness.build_installer(text, {"app.exe": b"MZ"})
        with RemovableDrive() as drive:
            ti.assert_silent_success(self, ti.run_setup(installer))
            link = "R:\\KS Root Start.lnk"
            got = read_links(link)[link]
            self.assertTrue(got["loaded"], got)
            app = (self.FOLDER + "\\app.exe").lower()
            self.assertEqual((got["target"].lower(), got["arguments"], got["working_folder"].lower(),
                              got["icon"].lower()), (app, "-portable", self.FOLDER.lower(), app))
            with open(drive.path(self.FOLDER + "\\uninstall\\Install.log"), "rb") as f:
                log = f.read()[3:].decode("utf-8")
            with open(drive.path(self.FOLDER + "\\uninstall\\Uninstall.DAT"), "rb") as f:
                items = f.read().decode(ACP).split("\r\n")
        self.assertIn(f"\r\nRoot Shortcut(KS Root Start) >>> {link}\r\n", log)
        self.assertIn(link, items)
        # The list is skipped on removable drives when asked.
        self.assertNotIn("Skipped", log)


if __name__ == "__main__":
    harness.main()
