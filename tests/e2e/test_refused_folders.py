"""The whole-folder removal at uninstall never takes a shell folder, a system
folder, a folder holding one of them, or a drive root in any spelling. One
installer; for each case its uninstall key is pointed at the folder (the
uninstall data stays where it is, reached through a relative sub-folder) and
the uninstaller runs with the whole-folder flag: every file and folder of the
prefix outside the product's own stays in place."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402
import test_shortcuts as ts  # noqa: E402
from harness import boxes, probe_run  # noqa: E402

NAME = "KS Refused Folders"
FOLDER = f"{ti.BASE}\\Refused Folders"
KEY = f"{ti.UNINSTALL_KEY}\\{NAME}"
OPT_DELETE_INSTALL_FOLDER = 0x400
SENTINEL = "ks-keep.txt"


def cases():
    """(label, path): each folder in the spellings a key might hold."""
    p = ts.user_profile()
    roaming = p + r"\AppData\Roaming"
    menu = roaming + r"\Microsoft\Windows\Start Menu"
    common_menu = r"C:\ProgramData\Microsoft\Windows\Start Menu"
    folders = [p + "\\" + n for n in ("Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos")]
    folders += ["C:\\users\\Public\\" + n for n in ("Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos")]
    folders += [p, r"C:\users", p + r"\AppData", p + r"\AppData\Local", roaming, menu, menu + r"\Programs",
                menu + r"\Programs\StartUp", r"C:\ProgramData", common_menu, common_menu + r"\Programs",
                common_menu + r"\Programs\StartUp", r"C:\windows", r"C:\windows\system32", r"C:\windows\syswow64",
                r"C:\Program Files", r"C:\Program Files (x86)", r"C:\Program Files\Common Files",
                r"C:\Program Files (x86)\Common Files"]
    table = [(f, f) for f in folders]
    # Other case, trailing backslash, "." and ".." spellings of the same folders.
    table += [("other case", p.upper() + r"\DESKTOP"), ("trailing backslash", r"c:\windows" + "\\"),
              ("dot", p + r"\Documents\."), ("dot-dot", r"C:\KS E2E\..\Program Files")]
    # Drive roots. ("\\?\C:\" and "C:\\" make no valid path to the uninstall
    # data, so the run stops before removing anything: the Win32 and native
    # tables cover them.)
    table += [(r, r) for r in ("C:", "C:\\", "c:\\", "C:\\.")]
    return table


def relative_to_root(path):
    """The ".." steps from `path` back up to its drive's root."""
    parts = [x for x in path.split("\\") if x not in ("", ".")]
    depth = 0
    for x in parts[1:]:
        depth = max(depth - 1, 0) if x == ".." else depth + 1
    return "..\\" * depth


def prefix_tree():
    """Every file and folder below drive_c outside the product's folder and
    the temporary folders (the self-deletion batch lives there)."""
    root = os.path.join(harness.env().prefix, "drive_c")
    own = os.path.relpath(ti.unix_path(FOLDER), root)
    found = set()
    for d, dirs, names in os.walk(root):
        rel = os.path.relpath(d, root)
        if rel == own or rel.startswith(own + os.sep) or re.search(r"(^|/)temp(/|$)", rel.lower()):
            continue
        found.add(rel + "/")
        found.update(os.path.join(rel, n) for n in names)
    return found


def setUpModule():
    ts.setUpModule()  # the shell folders as real folders inside the prefix


class RefusedFoldersTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.installer = harness.build_installer(ti.project(NAME, product={"install_dir": FOLDER}),
                                                {"files/a.txt": b"a"})
        cls.cases = cases()
        cls.sentinels = []
        # The product's folder goes with the uninstaller; the folder above it stays.
        os.makedirs(ti.unix_path(ti.BASE), exist_ok=True)
        for _, path in cls.cases + [("base", ti.BASE)]:
            if re.match(r"^[A-Za-z]:\\[^.]", path) and os.path.isdir(ti.unix_path(path)):
                s = ti.unix_path(path.rstrip("\\") + "\\" + SENTINEL)
                with open(s, "wb") as f:
                    f.write(b"keep")
                cls.sentinels.append(s)

    @classmethod
    def tearDownClass(cls):
        for s in cls.sentinels:
            if os.path.exists(s):
                os.remove(s)
        ti.reg("delete", KEY, "/f")

    def test_whole_folder_removal_refuses(self):
        for label, path in self.cases:
            with self.subTest(label=label, path=path):
                ti.assert_silent_success(self, ti.run_setup(self.installer))
                values = ti.reg_values(KEY)
                flags = int(values["ProductFlags"]) | OPT_DELETE_INSTALL_FOLDER
                sub = relative_to_root(path) + FOLDER[3:] + "\\" + values.get("UninstallSubdir", "uninstall")
                for name, data in (("ProductFlags", str(flags)), ("InstallLocation", path), ("UninstallSubdir", sub)):
                    self.assertEqual(ti.reg("add", KEY, "/v", name, "/d", data, "/f"), 0)
                before = prefix_tree()
                report = probe_run(f'"{FOLDER}\\uninstall\\uninstall.exe" /a /u:"{NAME}"', timeout=40)
                self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
                # The run itself went through: the key is gone, the uninstaller deletes itself.
                self.assertEqual(ti.reg_values(KEY), {})
                deadline = time.time() + 20
                while os.path.exists(ti.unix_path(FOLDER + "\\uninstall")) and time.time() < deadline:
                    time.sleep(0.2)
                self.assertFalse(os.path.exists(ti.unix_path(FOLDER + "\\uninstall")))
                time.sleep(0.5)
                self.assertEqual(sorted(before - prefix_tree()), [])


if __name__ == "__main__":
    harness.main()
