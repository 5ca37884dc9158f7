"""Exit codes a deployment tool can read: /e (or the project's
deployment_exit_codes) turns the classic "1 after every installation" into 0,
3010, 1602, 1618 and 1603; a silent run in that mode never waits on a box and
leaves its error text in the temporary folder."""
import glob
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import setup_image as si  # noqa: E402
from harness import boxes  # noqa: E402
from test_install import (BASE, OPT_REPLACE_IN_USE, SESSION_MANAGER, UNINSTALL_FILES, Holder, files_below,  # noqa: E402
                          project, reg, run_setup, texts, unix_path, with_option_flags)

ERROR_FILE = "Keldwick Setup error.txt"


def error_files():
    return glob.glob(os.path.join(harness.env().prefix, "drive_c", "users", "*", "**", ERROR_FILE), recursive=True)


def error_text():
    files = error_files()
    if not files:
        return None
    with open(files[0], encoding="utf-8", newline="") as f:
        return f.read()


class ExitCodeTest(unittest.TestCase):
    def setUp(self):
        for f in error_files():
            os.remove(f)

    def build(self, name, options=None, product=None, tree=None, extra=""):
        return harness.build_installer(project(name, options=options, product=product, extra=extra),
                                       tree or {"files/x.txt": b"x"})

    def outcome(self, report):
        return report["exit_code"], [(b["caption"], b["text"]) for b in boxes(report)]

    def test_success_in_both_sets(self):
        installer = self.build("KS Exit Success")
        self.assertEqual(self.outcome(run_setup(installer, "/a")), (1, []))
        self.assertEqual(self.outcome(run_setup(installer, "/a /e")), (0, []))
        chosen = self.build("KS Exit Chosen", options={"deployment_exit_codes": True})
        self.assertEqual(self.outcome(run_setup(chosen, "/a")), (0, []))
        self.assertEqual(files_below(f"{BASE}\\KS Exit Chosen"), {"x.txt"} | UNINSTALL_FILES)

    def test_restart_needed_is_3010_and_no_restart(self):
        folder = f"{BASE}\\KS Exit Restart"
        installer = self.build("KS Exit Restart", extra='[[files]]\nsource = "locked.dll"\n',
                               tree={"files/x.txt": b"x", "locked.dll": b"new"})
        installer = with_option_flags(installer, OPT_REPLACE_IN_USE, "exit-restart")
        os.makedirs(unix_path(folder), exist_ok=True)
        with open(unix_path(folder + "\\locked.dll"), "wb") as f:
            f.write(b"old")
        self.addCleanup(reg, "delete", SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")
        with Holder(folder + "\\locked.dll"):
            report = run_setup(installer, "/a /e")
        self.assertEqual(self.outcome(report), (3010, []))
        # Not restarted: the replacement still waits, the old content stays.
        with open(unix_path(folder + "\\locked.dll"), "rb") as f:
            self.assertEqual(f.read(), b"old")
        self.assertTrue(any(n.startswith("OQT") for n in os.listdir(unix_path(folder))))

    def test_failures_are_1603(self):
        # A file that stays locked and may not wait for the restart: the failure summary has it.
        folder = f"{BASE}\\KS Exit Failure"
        installer = self.build("KS Exit Failure", extra='[[files]]\nsource = "locked.dll"\n',
                               tree={"files/x.txt": b"x", "locked.dll": b"new"})
        os.makedirs(unix_path(folder), exist_ok=True)
        with open(unix_path(folder + "\\locked.dll"), "wb") as f:
            f.write(b"old")
        with Holder(folder + "\\locked.dll"):
            self.assertEqual(self.outcome(run_setup(installer, "/a /e")), (1603, []))

    def test_cancel_is_1602(self):
        # The password page is cancelled: the run is cancelled, shown (past the
        # greeting) or silent.
        installer = self.build("KS Exit Cancel", product={"password": "secret", "silent": False})
        t = texts(installer)
        report = harness.probe_run(harness.quote(installer) + " /e", press=["default", 1003, "default"])
        self.assertEqual(self.outcome(report), (1602, [(t[65], None), (t[75], None), (t[111], t[98])]))
        report = harness.probe_run(harness.quote(installer) + " /a /e", press=[1003])
        self.assertEqual(self.outcome(report), (1602, [(t[75], None)]))
        self.assertFalse(os.path.exists(unix_path(f"{BASE}\\KS Exit Cancel")))

    def test_another_installation_is_1618(self):
        installer = self.build("KS Exit Single", options={"single_instance": True, "silent_errors": True})
        with Holder("Keldwick GCS", mutex=True):
            report = run_setup(installer, "/a /e")
        # Silent errors would show the box; a deployment run writes the text instead.
        self.assertEqual(self.outcome(report), (1618, []))
        self.assertEqual(error_text(), texts(installer)[91] + "\r\n")

    def test_fatal_errors_are_1603_without_a_box(self):
        installer = self.build("KS Exit Corrupt")
        img = si.SetupImage.load(installer)
        with open(installer, "rb") as f:
            data = bytearray(f.read())
        data[img.setup.raw_pointer + img.archive.ArchiveEnd - 1] ^= 1
        damaged = os.path.join(harness.work_dir("exit-corrupt"), "setup.exe")
        with open(damaged, "wb") as f:
            f.write(data)
        self.assertEqual(self.outcome(run_setup(damaged, "/a /e")), (1603, []))
        self.assertEqual(error_text(), texts(installer)[13] % 55 + "\r\n")
        self.assertEqual(files_below(f"{BASE}\\KS Exit Corrupt"), set())
        # The classic set shows the box and ends with 1.
        self.assertEqual(self.outcome(run_setup(damaged, "/a")), (1, [("Error", texts(installer)[13] % 55)]))

    def test_uninstall_runs(self):
        # The product's choice travels with its registration; /e works too.
        chosen = self.build("KS Exit Uninstall", options={"deployment_exit_codes": True})
        self.assertEqual(self.outcome(run_setup(chosen, "/a")), (0, []))
        uninstaller = f'"{BASE}\\KS Exit Uninstall\\uninstall\\uninstall.exe"'
        report = harness.probe_run(f'{uninstaller} /a /u:"KS Exit Uninstall"', timeout=40)
        self.assertEqual(self.outcome(report), (0, []))
        # A product that is not installed: refused, 0 in the classic set.
        classic = self.build("KS Exit Classic")
        run_setup(classic, "/a")
        uninstaller = f'"{BASE}\\KS Exit Classic\\uninstall\\uninstall.exe"'
        self.assertEqual(harness.probe_run(f'{uninstaller} /a /u:"KS Nothing Here"', timeout=40)["exit_code"], 0)
        self.assertEqual(self.outcome(harness.probe_run(f'{uninstaller} /a /e /u:"KS Nothing Here"', timeout=40)),
                         (1603, []))
        self.assertIn("KS Nothing Here", error_text())


if __name__ == "__main__":
    harness.main()
