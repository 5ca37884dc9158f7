"""Installations onto a drive that fills up or is full, seen from outside: no
file is left truncated or empty under its name, and the log survives in the
temporary folder when Install.log cannot be written.

The drive is a small tmpfs mapped as K: in the session's prefix. Mounting it
needs root; without that the tests are skipped."""
import glob
import os
import random
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import boxes  # noqa: E402
from test_install import assert_silent_success, build, project, run_setup, texts  # noqa: E402

KiB = 1024


class SmallDrive:
    """A tmpfs of `size` bytes mapped as drive K: for the time of a with block."""

    def __init__(self, size):
        e = harness.env()
        self.mount = os.path.join(e.out_dir, "drive-k")
        self.link = os.path.join(e.prefix, "dosdevices", "k:")
        self.size = size

    def __enter__(self):
        os.makedirs(self.mount, exist_ok=True)
        r = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={self.size}", "tmpfs", self.mount],
                           capture_output=True, text=True)
        if r.returncode != 0:
            raise unittest.SkipTest("cannot mount a tmpfs: " + r.stderr.strip())
        if os.path.lexists(self.link):
            os.remove(self.link)
        os.symlink(self.mount, self.link)
        return self

    def __exit__(self, *exc):
        os.remove(self.link)
        subprocess.run(["umount", "-l", self.mount], capture_output=True)
        return False

    def path(self, windows):
        assert windows[:3].upper() == "K:\\", windows
        return os.path.join(self.mount, *windows[3:].split("\\"))

    def fill(self):
        """Takes every free byte of the drive."""
        with open(os.path.join(self.mount, "filler"), "wb", buffering=0) as f:
            try:
                while True:
                    f.write(b"\0" * 4096)
            except OSError:
                pass

    def files(self, windows_folder):
        """{relative path: size} of the files below a folder of the drive."""
        root = self.path(windows_folder)
        found = {}
        for d, _, names in os.walk(root):
            for n in names:
                p = os.path.join(d, n)
                found[os.path.relpath(p, root).replace("/", "\\")] = os.path.getsize(p)
        return found


def temp_folder():
    """(Unix path, Windows path) of the prefix user's temporary folder."""
    users = os.path.join(harness.env().prefix, "drive_c", "users")
    for d in sorted(glob.glob(os.path.join(users, "*", "Temp"))):
        user = os.path.basename(os.path.dirname(d))
        if user.lower() != "public":
            return d, f"C:\\users\\{user}\\Temp"
    raise AssertionError("no temporary folder in the prefix")


class FullDiskTest(unittest.TestCase):
    def test_disk_that_fills_up_leaves_no_truncated_file(self):
        folder = "K:\\Fill"
        rng = random.Random(7)
        tree = {"files/a.bin": rng.randbytes(600 * KiB), "files/b.bin": rng.randbytes(600 * KiB),
                "files/c.txt": b"small"}
        installer = build(project("KS Fill Up", product={"install_dir": folder}), tree)
        with SmallDrive(1024 * KiB) as drive:
            assert_silent_success(self, run_setup(installer))
            found = drive.files(folder)
            # b.bin did not fit: it is not there at all, and nothing of it waits beside it.
            self.assertEqual(set(found), {"a.bin", "c.txt", "uninstall\\Install.log", "uninstall\\Uninstall.DAT"})
            self.assertEqual((found["a.bin"], found["c.txt"]), (600 * KiB, 5))
            with open(drive.path(folder + "\\uninstall\\Install.log"), "rb") as f:
                log = f.read().decode("utf-8")
            self.assertIn("\r\n*** FAILURE SUMMARY ***\r\n", log)
            self.assertIn(f"{texts(installer)[31]} {folder}\\b.bin\r\n", log)
            self.assertGreater(found["uninstall\\Uninstall.DAT"], 0)

    def test_full_drive_keeps_the_log_in_the_temporary_folder(self):
        temp_unix, temp_windows = temp_folder()
        for silent in (True, False):
            name = "KS Full Silent" if silent else "KS Full Attended"
            folder = f"K:\\{name}"
            copy = f"{name} Install.log"
            installer = build(project(name, product={"install_dir": folder, "silent": silent}),
                              {"files/x.txt": b"x" * 10000})
            if os.path.exists(os.path.join(temp_unix, copy)):
                os.remove(os.path.join(temp_unix, copy))
            with self.subTest(name), SmallDrive(256 * KiB) as drive:
                drive.fill()
                # Attended: past the greeting, No to the question about the log.
                report = run_setup(installer) if silent else harness.probe_run(harness.quote(installer),
                                                                               press=["default", "No"])
                self.assertEqual(report["exit_code"], 1)
                # No empty stubs, no empty Install.log.
                self.assertEqual(drive.files(folder), {})
                t = texts(installer)
                shown = [(b["caption"], b["text"]) for b in boxes(report)]
                # The question names the copy that exists, not the Install.log that could not be written.
                self.assertEqual(shown, [] if silent else [(t[65], None), (t[41], t[40] % f"{temp_windows}\\{copy}")])
                with open(os.path.join(temp_unix, copy), "rb") as f:
                    log = f.read().decode("utf-8")
                self.assertIn(f'Install.log could not be written to "{folder}\\uninstall\\Install.log": ', log)
                self.assertIn("\r\n*** FAILURE SUMMARY ***\r\n", log)
                self.assertIn(f"{t[31]} {folder}\\x.txt\r\n", log)
                os.remove(os.path.join(temp_unix, copy))


if __name__ == "__main__":
    harness.main()
