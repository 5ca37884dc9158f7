"""`keldwick inspect --project`: an installer back as a project file and its
files. Building that project again must give the same settings, field by field,
and the same payload, byte for byte; a setting no project key expresses is an
error that names it and leaves nothing behind. Native builder only, no Wine."""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import tomllib
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import settings_script as ss  # noqa: E402
import setup_image as si  # noqa: E402
import test_every_feature as ef  # noqa: E402
from test_finish import icon_file  # noqa: E402
from test_main_window import bmp  # noqa: E402

EXAMPLE = os.path.join(harness.ROOT, "examples", "hello", "project.toml")

# Everything the every-feature product leaves out: texts, pictures and icons
# as files, the look of the window and the wizard, languages, lists, a cipher
# and the sources' own file times.
MORE_TABLES = r"""
[required_product]
key = "KS Base"
name = "KS Base Product"
version = "2.0"

[finish]
readme = ["readme.rtf"]
licence = ["licence.txt", "licence2.txt"]
save_licence = true
product_icon = "product.ico"
uninstaller_icon = "product.ico"
background_bitmap = "back.bmp"
bitmap_size = 80
bitmap_tpi = 3
open_first = "%InstallDir%\\readme.txt"

[appearance]
title_size = 1.25
title_color = "#FFEE00"
title_position = "top_centre"
top_color = "#102030"
copyright = "© KS Everything Co"
copyright_size = 0.5

[wizard]
dialogs = { greeting = "banner", summary = "plain" }
picture_frame = "sunken"
progress_horizontal = "right"
banner_heading = "Setting up <product>"
greeting_link = "https://example.invalid/"

[notify]
start = "http://example.invalid/start"
uninstall = "http://example.invalid/bye"

[archive]
key = "0011223344556677"
file_times = "sources"

[[languages]]
name = "English"
messages = { 60 = "Ready?\nGo.", 150 = "one past the defaults" }

[[languages]]
name = "de"

[[languages]]
name = "Klingon"
messages = { 2 = "Qapla'" }

[[delete]]
path = "%InstallDir%\\old.log"
compare = "size_at_least"
value = 1000
restart = "on_failure"

[[delete]]
path = "%InstallDir%\\stale.dat"
at_uninstall = true

[[close]]
window_class = "KsEverythingWnd"
program_name = "KS Everything"
action = "ask"

[[uninstall_values]]
name = "Edition"
data = "Pro"

[[uninstall_values]]
name = "Extra\\Seats"
type = "dword"
data = 5

[desktop_folder]
name = "KS Tools"
icon = "product.ico"

[root_shortcut]
target = "%InstallDir%\\app.exe"
name = "KS Everything"

[taskbar_pin]
target = "%InstallDir%\\app.exe"

[[shortcuts]]
target = "%InstallDir%\\readme.txt"
name = "Docs\\Read me"
start_menu = true
window = "maximized"
keep_on_uninstall = true

[[files]]
source = "files"
dest = "%InstallDir%\\copy\\"
overwrite = "if_missing"
attributes = ["read_only", "hidden"]

[[files]]
source = "shared.dll"
dest = "%SharedDir%\\sub\\lib.dll"
permanent = true

[[files]]
source = "files/readme.txt"
into_uninstall_folder = true
keep_attributes = true

[[files]]
source = "deep"
dest = "%InstallDir%\\deep\\"

[[files]]
source = "files/app.exe"
dest = "tools\\app2.exe"
desktop_shortcut = true
shortcut_name = "App Two"
arguments = "-x"
working_folder = "%InstallDir%"
icon = "%InstallDir%\\app.exe"

[[files]]
source = "shared.dll"
kind = "versioned"
version = "1.2.3.4"
dest = "lib\\v.dll"
overwrite = "unless_newer"

[[files]]
source = "shared.dll"
kind = "applet"
applet_name = "KS Applet"
dest = "ks.cpl"

[[registry]]
key = "HKCU\\Software\\KS Everything Co\\Temp"

[[registry]]
key = "HKCU\\Software\\KS Everything Co"
name = "Blob"
type = "binary"
value = "0a ff"
uninstall_only = true
remove_at_uninstall = false

[[registry]]
key = "HKCU\\Software\\KS Everything Co"
name = "Big"
type = "qword"
value = 9000000000

[[associations]]
extension = ".ksx"
file_type = "!KsX.Doc"
command = "x"
language = "Deutsch"
kind = "open_with"
icon = "%InstallDir%\\app.exe,0"

[[firewall]]
port = 9000
protocol = "both"
name = "KS port"
keep = true

[[delete]]
path = "%InstallDir%\\a.tmp"
compare = "date_on_or_before"
value = 2024-03-05

[[delete]]
path = "%InstallDir%\\b.tmp"
compare = "date_equal"
value = 2024-03-05T14:30:00
restart = "always"

[[close]]
window_title = "KS Window"
action = "terminate"
at_install = false
at_uninstall = true

[[uninstall_values]]
name = "Where"
type = "expand"
data = "%SystemRoot%\\ks"

[[shortcuts]]
target = "%InstallDir%\\app.exe"
name = "KS Start"
arguments = "--name=Zo\u00eb"
startup = true
other_folder = "%InstallDir%\\links"
window = "minimized"
"""

# Keys added to the every-feature product's [product] and [options].
MORE_PRODUCT = ('description = "everything, twice"\npassword = "sesame"\nbitness = "32"\n'
                'excluded_systems = ["xp", "vista"]\nmin_status_time = 1500\nextra_space = 4096\n'
                'install_dir_registry_value = "HKLM\\\\Software\\\\KS\\\\Dir"\nmust_uninstall_below = "2.0"\n')
MORE_PRODUCT += ('all_users = true\nshared_folder = "KS Shared"\nshared_folder_base = "common32"\n'
                 'no_downgrade_below = "1.0"\nconfirm_upgrade_below = "3.0"\npath_subfolder = "bin"\n')
MORE_OPTIONS = ("blowfish = true\nmust_uninstall_first = true\nno_greeting = true\nengine_checksum = false\n"
                "confirm_upgrade = true\n")


def richest_project():
    text = ef.project(MORE_PRODUCT).replace("[options]\n", "[options]\n" + MORE_OPTIONS, 1)
    return text + MORE_TABLES


def richest_tree():
    tree = dict(ef.tree())
    tree.update({"readme.rtf": b"{\\rtf1 read me}", "licence.txt": b"Licence one\r\n",
                 "licence2.txt": "Zweite Lizenz \u00e4\r\n".encode("utf-8"),
                 "product.ico": icon_file(b"\x28" + bytes(60)),
                 "back.bmp": bmp(4, 3, 24, lambda x, y: (x * 60, y * 80, 200, 255)),
                 "deep/a/b.txt": b"deep b", "deep/c.txt": b"deep c"})
    return tree


def keldwick(*args):
    return subprocess.run([harness.find_binary("keldwick"), *args], capture_output=True, text=True)


def compared(info):
    """The parts of `keldwick inspect` a project decides: every settings field,
    the named view of them, the archive flags and key, and each payload record
    with its size and checksum (the script's own size and key may differ)."""
    header = info["header"]
    return {"settings": info["settings"], "project": info["project"], "files": info["files"],
            "ArchiveFlags": header["ArchiveFlags"], "BlowfishKey": header.get("BlowfishKey")}


class InspectProjectTest(unittest.TestCase):
    def setUp(self):
        base = os.path.join(harness.ROOT, "out", "inspect-project")
        os.makedirs(base, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix="t-", dir=base)
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)

    def build(self, project, out):
        r = keldwick("build", project, "-o", out, "--engine", harness.find_binary("keldwick-engine.exe"))
        self.assertEqual(r.returncode, 0, r.stderr)
        return out

    def inspect(self, path):
        r = keldwick("inspect", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        return json.loads(r.stdout)

    def write_tree(self, text, tree):
        root = os.path.join(self.dir, "source")
        for rel, data in tree.items():
            p = os.path.join(root, *rel.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data)
        with open(os.path.join(root, "project.toml"), "w", encoding="utf-8") as f:
            f.write(text)
        return os.path.join(root, "project.toml")

    def round_trip(self, project):
        """Builds `project`, recovers a project from the installer, builds that;
        returns both inspections and the recovered folder."""
        first = self.build(project, os.path.join(self.dir, "first.exe"))
        folder = os.path.join(self.dir, "recovered")
        r = keldwick("inspect", first, "--project", "-o", folder)
        self.assertEqual(r.returncode, 0, r.stderr)
        second = self.build(os.path.join(folder, "project.toml"), os.path.join(self.dir, "second.exe"))
        a, b = self.inspect(first), self.inspect(second)
        self.maxDiff = None
        self.assertEqual(compared(a), compared(b))
        return a, folder

    def assert_sources_equal(self, info, folder, tree_root):
        """Each file the recovered [[files]] entries take (a folder with all it
        holds, in the builder's order) has the bytes of one of the original
        files, as many as its record's."""
        with open(os.path.join(folder, "project.toml"), "rb") as f:
            entries = tomllib.load(f)["files"]
        taken = []
        for entry in entries:
            path = os.path.join(folder, *entry["source"].split("/"))
            if not os.path.isdir(path):
                taken.append(path)
                continue
            below = [os.path.relpath(os.path.join(d, n), path) for d, _, names in os.walk(path) for n in names]
            taken += [os.path.join(path, rel) for rel in sorted(below, key=lambda r: r.split(os.sep))]
        self.assertEqual(len(taken), len(info["files"]))
        originals = set()
        for d, _, names in os.walk(tree_root):
            for n in names:
                if n != "project.toml":
                    with open(os.path.join(d, n), "rb") as f:
                        originals.add(f.read())
        for path, record in zip(taken, info["files"]):
            with open(path, "rb") as f:
                data = f.read()
            self.assertEqual(len(data), record["size"], path)
            self.assertIn(data, originals, path)
        return entries

    def test_example_project(self):
        info, folder = self.round_trip(EXAMPLE)
        # The example's one folder source comes back as that folder.
        self.assertEqual(self.assert_sources_equal(info, folder, os.path.dirname(EXAMPLE)), [{"source": "files"}])
        with open(os.path.join(folder, "project.toml"), encoding="utf-8") as f:
            text = f.read()
        self.assertTrue(text.startswith("# Installer project recovered from first.exe"), text[:200])
        # Tables the example leaves at their defaults stay unwritten.
        for table in ("[archive]", "[required_product]", "[batches]", "[notify]", "[languages.messages]"):
            self.assertNotIn(table, text)

    def test_every_feature_product(self):
        project = self.write_tree(ef.project(), ef.tree())
        info, folder = self.round_trip(project)
        self.assert_sources_equal(info, folder, os.path.dirname(project))

    def test_every_setting_with_texts_pictures_and_icons(self):
        project = self.write_tree(richest_project(), richest_tree())
        info, folder = self.round_trip(project)
        self.assert_sources_equal(info, folder, os.path.dirname(project))
        s = info["settings"]
        # The round trip saw what it was meant to see.
        self.assertEqual(len(s["LicenseTexts"]), 2)
        self.assertNotEqual(s["BackgroundPicture"]["length"], 0)
        self.assertEqual(s["LanguageCount"], 3)
        self.assertEqual(len(s["StringTable"]), 151)
        self.assertIn("BlowfishKey", info["header"])
        with open(os.path.join(folder, "project.toml"), "rb") as f:
            recovered = tomllib.load(f)
        # The sources' own times: kept as the recovered files' dates.
        self.assertEqual(recovered["archive"]["file_times"], "sources")
        fixed = (946684800 + 11644473600) * 10_000_000
        self.assertNotIn(fixed, {f["FileTime"]["last_write"] for f in info["files"]})
        first = os.stat(os.path.join(folder, recovered["files"][0]["source"])).st_mtime_ns
        self.assertEqual(first, (info["files"][0]["FileTime"]["last_write"] - 11644473600 * 10_000_000) * 100)
        # Texts, pictures and icons are files the project names, with the installer's bytes.
        tree = richest_tree()
        for key, original in (("licence", ["licence.txt", "licence2.txt"]), ("readme", ["readme.rtf"])):
            for name, source in zip(recovered["finish"][key], original):
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(f.read(), tree[source], name)
        with open(os.path.join(folder, recovered["finish"]["product_icon"]), "rb") as f:
            self.assertEqual(f.read(), tree["product.ico"])
        with open(os.path.join(folder, recovered["finish"]["background_bitmap"]), "rb") as f:
            self.assertEqual(f.read(), tree["back.bmp"])
        with open(os.path.join(folder, recovered["desktop_folder"]["icon"]), "rb") as f:
            self.assertEqual(f.read(), tree["product.ico"])

    def test_refuses_a_non_empty_folder(self):
        first = self.build(EXAMPLE, os.path.join(self.dir, "first.exe"))
        folder = os.path.join(self.dir, "taken")
        os.makedirs(folder)
        with open(os.path.join(folder, "mine.txt"), "w") as f:
            f.write("keep me")
        r = keldwick("inspect", first, "--project", "-o", folder)
        self.assertNotEqual(r.returncode, 0)
        self.assertIn("not an empty folder", r.stderr)
        self.assertEqual(os.listdir(folder), ["mine.txt"])

    def test_inexpressible_settings_are_errors_naming_the_field(self):
        first = self.build(EXAMPLE, os.path.join(self.dir, "first.exe"))
        # (field named in the error, change of the plain script)
        cases = [
            ("UninstallBatch1", lambda s: ss.replace_field(s, "UninstallBatches", b"echo x\0\0\0\0")),
            ("SilentMode", lambda s: ss.set_uint(s, "SilentMode", 2)),
            ("OptionFlags", lambda s: ss.set_uint(s, "OptionFlags", ss.walk(s)[1]["OptionFlags"] | 0x800)),
            ("ExcludedSystems", lambda s: ss.set_uint(s, "ExcludedSystems", 0x80000000)),
            # No check of its own: the written project builds another value.
            ("TaskbarText", lambda s: ss.replace_field(s, "TaskbarText", ss.pstr(b"Another taskbar text"))),
        ]
        for field, change in cases:
            with self.subTest(field=field):
                image = si.SetupImage.load(first)
                image.set_script(change(image.script()))
                changed = image.save(os.path.join(self.dir, f"{field}.exe"))
                self.inspect(changed)  # still a sound installer
                folder = os.path.join(self.dir, f"out-{field}")
                r = keldwick("inspect", changed, "--project", "-o", folder)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertIn(f"cannot write a project: {field}", r.stderr)
                self.assertFalse(os.path.exists(folder))
                self.assertFalse([n for n in os.listdir(self.dir) if ".partial" in n])

    def test_command_line(self):
        first = self.build(EXAMPLE, os.path.join(self.dir, "first.exe"))
        for args in (["--project"], ["-o", os.path.join(self.dir, "x")]):
            r = keldwick("inspect", first, *args)
            self.assertEqual(r.returncode, 2, r.stderr)
        # An empty folder is taken, also when named with a trailing slash.
        folder = os.path.join(self.dir, "empty")
        os.makedirs(folder)
        r = keldwick("inspect", first, "--project", "-o", folder + "/")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(os.path.isfile(os.path.join(folder, "project.toml")))
        self.assertEqual(sorted(os.listdir(self.dir)), ["empty", "first.exe"])
        r = keldwick("--help")
        self.assertIn("inspect SETUP.exe [--project -o FOLDER]", r.stdout)


if __name__ == "__main__":
    unittest.main(verbosity=2)
