"""The product as the system's own clients see it: Wine's list of installed
programs shows it by its display name and removes it through the uninstall
string; a deployment tool's quiet uninstall string removes it with no window
at all; a taskbar pin the system cannot take off does not stop the removal."""
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402
import test_shortcuts as ts  # noqa: E402
from harness import boxes, probe_run  # noqa: E402

NAME = "KS Clients"
FOLDER = f"{ti.BASE}\\{NAME}"
KEY = f"{ti.UNINSTALL_KEY}\\{NAME}"


def wait_gone(test, win_path, seconds=20):
    deadline = time.time() + seconds
    while os.path.exists(ti.unix_path(win_path)) and time.time() < deadline:
        time.sleep(0.2)
    test.assertFalse(os.path.exists(ti.unix_path(win_path)), ti.files_below(win_path))


def setUpModule():
    ts.setUpModule()  # shell folders inside the prefix


class ClientsTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.installer = harness.build_installer(ti.project(NAME, product={"install_dir": FOLDER}),
                                                {"files/app.exe": b"MZ", "files/data/one.txt": b"1"})

    def setUp(self):
        self.tearDown()
        ti.assert_silent_success(self, ti.run_setup(self.installer))

    def tearDown(self):
        ti.reg("delete", KEY, "/f")
        shutil.rmtree(ti.unix_path(FOLDER), ignore_errors=True)

    def assert_removed(self):
        self.assertEqual(ti.reg_values(KEY), {})
        wait_gone(self, FOLDER)

    def test_wine_uninstaller_lists_and_removes(self):
        rc, listed = ti.wine_tool(["uninstaller", "--list"])
        self.assertEqual(rc, 0, listed)
        self.assertIn(f"{NAME}|||{NAME}", listed.splitlines())
        # --remove runs UninstallString: the attended run asks once (its progress
        # page has no text and may close before it is seen).
        report = probe_run(f'uninstaller.exe --remove "{NAME}"', timeout=60, press="Yes")
        self.assertEqual([b["text"] for b in boxes(report) if b["text"] is not None],
                         [f"Do you want to remove {NAME} and all of its parts from this computer?"])
        self.assertEqual(report["exit_code"], 0)
        self.assert_removed()
        _, listed = ti.wine_tool(["uninstaller", "--list"])
        self.assertNotIn(f"{NAME}|||{NAME}", listed.splitlines())

    def test_quiet_uninstall_string_shows_nothing(self):
        quiet = ti.reg_values(KEY)["QuietUninstallString"].replace('\\"', '"')
        report = probe_run(quiet, timeout=60, press="none")
        self.assertEqual((report["windows"], report["exit_code"]), ([], 0))
        self.assert_removed()

    def test_taskbar_pin_the_shell_cannot_unpin(self):
        # Wine's shell has no "taskbarunpin" verb: the pinned shortcut the
        # installation recorded is deleted like any other file.
        pinned = (ts.user_profile() + "\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch"
                  "\\User Pinned\\TaskBar\\KS Clients.lnk")
        os.makedirs(os.path.dirname(ti.unix_path(pinned)), exist_ok=True)
        with open(ti.unix_path(pinned), "wb") as f:
            f.write(b"L\0\0\0")
        data = ti.unix_path(FOLDER + "\\uninstall\\Uninstall.DAT")
        with open(data, "rb") as f:
            text = f.read()
        with open(data, "wb") as f:
            f.write(pinned.encode("cp1252") + b"\r\n" + text)
        report = probe_run(ti.reg_values(KEY)["QuietUninstallString"].replace('\\"', '"'), timeout=60)
        self.assertEqual((boxes(report), report["exit_code"]), ([], 0))
        self.assertFalse(os.path.exists(ti.unix_path(pinned)))
        self.assert_removed()


if __name__ == "__main__":
    harness.main()
