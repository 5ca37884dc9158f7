"""One product that asks for every system change an installation makes:
components, shortcuts, registry values, an association, firewall items, the
PATH entry, folder rights and a batch. Installed silently twice; the test reads
back what each feature left and what it recorded for the uninstaller."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402
from test_components import (COM_VALUE_KEY, FONT_SOURCE, FONTS, MSI_VALUE_KEY, SHARED_DLLS, TYPELIB_KEY,  # noqa: E402
                             component, reg32, reg_query, shared_counts)
from test_registry import exported, uninstall_sections  # noqa: E402
from test_shortcuts import read_links, uninstall_items, user_profile  # noqa: E402

NAME = "KS Everything"
FOLDER = f"{ti.BASE}\\{NAME}"
BACKUP = f"{NAME} Backup"
PRODUCT_KEY = r"HKLM\Software\KS Everything Co\Everything"
COM_DEST = FOLDER + "\\com\\"
# Shared files go to the publisher's folder below Common Files.
SHARED = r"C:\Program Files (x86)\Common Files\KS Everything Co\shared.dll"
APP = "%InstallDir%\\app.exe"
USER_KEY = "HKAU\\Software\\KS Everything Co"
COMMAND = '"%InstallDir%\\app.exe" "%1"'


def toml(v):
    return '"' + v.replace("\\", "\\\\").replace('"', '\\"') + '"'


def project(product_lines=""):
    """The every-feature project; `product_lines` adds keys to [product]."""
    return PROJECT.replace("[product]\n", "[product]\n" + product_lines, 1)


def tree():
    """{relative path: bytes} of the files beside the project."""
    with open(FONT_SOURCE, "rb") as f:
        font = f.read()
    return {"files/app.exe": b"MZ", "files/readme.txt": b"read me\r\n", "shared.dll": b"shared",
            "kscomponent.dll": component("kscomponent.dll"), "kscomponent.tlb": component("kscomponent.tlb"),
            "kscomponent.inf": component("kscomponent.inf"), "kscomponent.msi": component("kscomponent.msi"),
            "KsTestSans.ttf": font}


def installer(text=None):
    """Builds the every-feature installer from its project text."""
    return ti.build(text or PROJECT, tree())


PROJECT = f"""
[product]
name = "{NAME}"
version = "3.1.4"
publisher = "KS Everything Co"
silent = true
install_dir = {toml(FOLDER)}
start_menu = "KS Everything"

[options]
no_main_window = true
write_log = true
verbose_log = true
add_to_path = true
folder_rights = true
uninstall_shortcut = true

[batches]
post_install = "echo batch saw %InstallDir%> batch.txt"

[[files]]
source = "files"

[[files]]
source = "shared.dll"
kind = "shared"

[[files]]
source = "kscomponent.dll"
kind = "com_server"
dest = {toml(COM_DEST)}

[[files]]
source = "kscomponent.tlb"
kind = "type_library"
dest = {toml(COM_DEST)}

[[files]]
source = "kscomponent.inf"
kind = "driver_inf"

[[files]]
source = "kscomponent.msi"
kind = "msi_package"
msi_ui_level = "none"
uninstall_with_product = true

[[files]]
source = "KsTestSans.ttf"
kind = "font"
font_face = "KS Test Sans (TrueType)"

[[shortcuts]]
target = {toml(APP)}
name = "KS Everything"
arguments = "--start"
desktop = true
start_menu = true

[[registry]]
key = {toml(PRODUCT_KEY)}
name = "InstallPath"
value = "%InstallDir%"

[[registry]]
key = {toml(PRODUCT_KEY)}
name = "Build"
type = "dword"
value = 314

[[registry]]
key = {toml(USER_KEY)}
name = "Theme"
value = "dark"

[[associations]]
extension = "kseverything"
file_type = "KsEverything.Doc"
description = "KS Everything document"
verb_label = "&Open"
command = {toml(COMMAND)}
kind = "default"

[[firewall]]
port = 8181
protocol = "tcp"

[[firewall]]
program = "app.exe"
name = "KS Everything app"
"""


def setUpModule():
    # As a Windows machine has them; Wine makes neither key.
    reg32("add", SHARED_DLLS, "/f")
    for key in (COM_VALUE_KEY, MSI_VALUE_KEY, PRODUCT_KEY, r"HKCR\KsEverything.Doc", r"HKCR\.kseverything"):
        reg32("delete", key, "/f")
    reg32("delete", FONTS, "/v", "KS Test Sans (TrueType)", "/f")
    for left in (r"C:\windows\inf\kscomponent.inf", r"C:\windows\Fonts\KsTestSans.ttf"):
        if os.path.exists(ti.unix_path(left)):
            os.remove(ti.unix_path(left))
    # Another program's file type for the extension: the association keeps it.
    ti.wine_tool(["reg", "add", r"HKCR\.kseverything", "/ve", "/d", "Other.Viewer", "/f"])


class EveryFeatureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.saved_path = ti.machine_path()
        cls.installer = installer()
        started = time.monotonic()
        cls.report = ti.run_setup(cls.installer, timeout=120)
        cls.seconds = time.monotonic() - started
        print(f"\nevery-feature product: silent install {cls.seconds:.2f} s", file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        ti.reg("add", ti.ENVIRONMENT_KEY, "/v", "Path", "/t", cls.saved_path[0], "/d", cls.saved_path[1], "/f")

    def test_1_first_installation(self):
        self.maxDiff = None
        ti.assert_silent_success(self, self.report)
        f = FOLDER
        self.assertTrue(os.path.isfile(ti.unix_path(SHARED)))
        self.assertLessEqual({"app.exe", "readme.txt", "com\\kscomponent.dll", "com\\kscomponent.tlb",
                              "kscomponent.inf", "kscomponent.msi", "batch.txt", "uninstall\\uninstall.exe",
                              "uninstall\\Uninstall.DAT", "uninstall\\Install.log"}, ti.files_below(f))

        # Components: counted, registered, installed.
        counts = shared_counts()
        self.assertEqual([counts.get(p) for p in (SHARED, f"{f}\\com\\kscomponent.dll")], [1, 1])
        self.assertEqual(reg_query(COM_VALUE_KEY, "kscomponent.dll"), f"{f}\\com\\kscomponent.dll")
        self.assertIsNotNone(exported(TYPELIB_KEY, "32"))
        self.assertIsNotNone(exported(MSI_VALUE_KEY, "32"))
        self.assertEqual(reg_query(FONTS, "KS Test Sans (TrueType)"), "KsTestSans.ttf")

        # Shortcuts, read back through the shell link object.
        desktop = f"{user_profile()}\\Desktop\\KS Everything.LNK"
        links = read_links(desktop)
        self.assertEqual(links[desktop]["target"], f"{f}\\app.exe")
        self.assertEqual(links[desktop]["arguments"], "--start")

        # Registry: the product's values in the 32-bit view only, the user's value in the user's hive.
        self.assertEqual(exported(PRODUCT_KEY, "32"), {"InstallPath": ("sz", f), "Build": ("dword", 314)})
        self.assertIsNone(exported(PRODUCT_KEY, "64"))
        self.assertEqual(exported(r"HKCU\Software\KS Everything Co", "32"), {"Theme": ("sz", "dark")})
        # The association, with the replaced type kept beside it.
        self.assertEqual(exported(r"HKCR\.kseverything", "64"),
                         {"": ("sz", "KsEverything.Doc"), BACKUP: ("sz", "Other.Viewer")})
        self.assertEqual(exported(r"HKCR\KsEverything.Doc\shell\open\command", "64"),
                         {"": ("sz", f'"{f}\\app.exe" "%1"')})
        # Registered in the 64-bit view of the uninstall key.
        key = exported(ti.UNINSTALL_KEY + "\\" + NAME, "64")
        self.assertEqual(key["DisplayVersion"], ("sz", "3.1.4"))
        # COM servers and type libraries are counted too, with their markers.
        self.assertEqual(key["SharedFiles"], ("sz", f'"{SHARED}";"{f}\\com\\kscomponent.dll^";'
                                                    f'"{f}\\com\\kscomponent.tlb\u00a9"'))

        # PATH and rights.
        self.assertEqual(ti.machine_path()[1], self.saved_path[1].rstrip(";") + ";" + f)
        log = ti.logged_text(self, f)
        self.assertIn(f'Granting rights to directory "{f}"...OK\r\n', log)
        # The batch ran and saw the folder; Wine's firewall objects take both items.
        with open(ti.unix_path(f + "\\batch.txt"), "rb") as bf:
            self.assertEqual(bf.read().strip(), f"batch saw {f}".encode("cp1252"))
        for line in (f'Registering COM File "{f}\\com\\kscomponent.dll"...OK\r\n',
                     f'Registering Type Library "{f}\\com\\kscomponent.tlb"...OK\r\n',
                     f'Installing MSI package "{f}\\kscomponent.msi"...OK\r\n',
                     "Added firewall exception: TCP port 8181\r\n",
                     f"Added firewall exception: {f}\\app.exe\r\n",
                     f'Associated .kseverything with "%InstallDir%\\app.exe" "%1"\r\n',
                     f"Desktop Shortcut(KS Everything) >>> {desktop}\r\n"):
            self.assertIn(line, log)
        self.assertNotIn("FAILURE SUMMARY", log)

        # What the uninstaller will undo.
        sections = uninstall_sections(f)
        self.assertEqual(sections["[Associations]"], [".kseverything~!~KsEverything.Doc~!~open~!~"])
        self.assertEqual(sections["[Firewall]"], ["8181;;1;", "app.exe;KS Everything app;0;"])
        self.assertEqual(sections["[MSI]"], [f'"{f}\\kscomponent.msi",2'])
        self.assertEqual(sections["[INF]"], [r"C:\windows\inf\kscomponent.inf"])
        self.assertEqual(len(sections["[Registry2]"]), 3)
        self.assertIn(desktop, uninstall_items(f))

    def test_2_second_installation_counts_nothing_twice(self):
        ti.assert_silent_success(self, ti.run_setup(self.installer, timeout=120))
        self.assertEqual(shared_counts().get(SHARED), 1)
        # Our own type is now the extension's: the backup still names the other program's.
        self.assertEqual(exported(r"HKCR\.kseverything", "64"),
                         {"": ("sz", "KsEverything.Doc"), BACKUP: ("sz", "Other.Viewer")})
        self.assertEqual(ti.machine_path()[1], self.saved_path[1].rstrip(";") + ";" + FOLDER)


if __name__ == "__main__":
    harness.main()
