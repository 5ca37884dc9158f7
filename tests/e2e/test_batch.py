"""The installation's batches under Wine: the pre-installation batch with its
output in Install.log, the /b1 and /b2 additions, the post-installation and
exit batches, upgrade and reinstall batches over an earlier installation, the
file's bytes in each code page, and folder and product names that cmd must
not act on. The temporary-folder fallback is a Win32 test (batch_test.cpp):
the flow creates the install folder before the first batch runs.

Every product installs below C:\\KS E2E in a folder of its own."""
import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402

BASE = ti.BASE
# The batch copies itself (%0) so that the test can read the bytes it ran.
COPY_SELF = "copy %0 seen.bat >nul\n"


def batches_project(name, batches, options=None, product=None):
    opts = {"write_log": True}
    opts.update(options or {})

    def toml_text(v):
        return '"""\n' + v.replace("\\", "\\\\").replace('"', '\\"') + '"""'
    extra = "\n[batches]\n" + "\n".join(f"{k} = {toml_text(v)}" for k, v in batches.items()) + "\n"
    return ti.project(name, options=opts, product=product, extra=extra)


def leftovers(folder):
    """SETUPBAT.BAT and cs_batch.log in the install folder or the temporary folder."""
    names = {"setupbat.bat", "cs_batch.log"}
    found = [p for p in ti.temp_files() if os.path.basename(p).lower() in names]
    found += [p for p in ti.files_below(folder) if p.lower() in names]
    return found


def read_bytes(win_path):
    with open(ti.unix_path(win_path), "rb") as f:
        return f.read()


def setUpModule():
    # A kept prefix still holds the products of an earlier run.
    for name in os.listdir(ti.unix_path(BASE)) if os.path.isdir(ti.unix_path(BASE)) else []:
        if name.startswith(("KS Batch", "R&D")):
            path = os.path.join(ti.unix_path(BASE), name)
            shutil.rmtree(path, ignore_errors=True) if os.path.isdir(path) else os.remove(path)


class BatchRunTest(unittest.TestCase):
    def test_pre_post_and_exit_batches_with_additions(self):
        name = "KS Batch Run"
        folder = f"{BASE}\\{name}"
        installer = ti.build(batches_project(name, {
            "pre_install": "echo made> made.txt\necho dir=%CD%\necho name=%ProductName% ver=%Version%\n"
                           "@ pause \necho pre done",
            "post_install": "echo post ran> post.txt\nif exist uninstall\\Uninstall.DAT echo data written",
            "exit": "echo exit ran> exit.txt\necho not logged",
        }, options={"pre_install_batch_label": True, "pre_batch_option": True, "post_install_batch_label": True}),
            {"files/a.txt": b"a"})
        report = ti.run_setup(installer, '/a /b1:"echo b1 one~~echo b1 two" /b2:"echo b2" /b3:"echo b3> b3.txt"')
        ti.assert_silent_success(self, report)

        files = ti.files_below(folder)
        self.assertTrue({"a.txt", "made.txt", "post.txt", "exit.txt", "b3.txt"} <= files, files)
        self.assertEqual(read_bytes(f"{folder}\\made.txt"), b"made\r\n")
        log = ti.logged_text(self, folder)
        self.assertIn(f"\r\nRunning Pre-Installation Batch...\r\ndir={folder}\r\nname={name} ver=1.0\r\n"
                      "pre done\r\nb1 one\r\nb1 two\r\n\r\n", log)
        self.assertIn("\r\nRunning Post-Installation Batch...\r\ndata written\r\nb2\r\n\r\n", log)
        # The pre-installation batch runs before the payload, the
        # post-installation batch after it.
        self.assertLess(log.index("Running Pre-Installation"), log.index("Running Post-Installation"))
        self.assertNotIn("Press any key", log)
        self.assertNotIn("not logged", log)
        self.assertNotIn("cannot run batches", log)
        self.assertEqual(leftovers(folder), [])

    def test_untitled_batches_run_without_output_in_the_log(self):
        name = "KS Batch Untitled"
        folder = f"{BASE}\\{name}"
        installer = ti.build(batches_project(name, {"pre_install": "echo quiet\necho ran> ran.txt"}),
                             {"files/a.txt": b"a"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertIn("ran.txt", ti.files_below(folder))
        log = ti.logged_text(self, folder)
        self.assertNotIn("Running", log)
        self.assertNotIn("quiet", log)


class BatchFileBytesTest(unittest.TestCase):
    def written(self, name, product_name):
        folder = f"{BASE}\\{name}"
        installer = ti.build(batches_project(name, {"pre_install": COPY_SELF + "echo x"},
                                             product={"name": product_name, "install_dir": folder}),
                             {"files/a.txt": b"a"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        return folder, read_bytes(f"{folder}\\seen.bat")

    def test_ascii_in_1252_and_an_accent_makes_utf8(self):
        folder, ascii_bytes = self.written("KS Batch Ascii", "KS Batch Ascii")
        self.assertTrue(ascii_bytes.startswith(
            b'@chcp 1252 >nul\r\n@echo off\r\nSET "InstallDir=' + folder.encode() + b'"\r\nSET "InstallDrive=C:"\r\n'))
        self.assertIn(b'\r\nSET "ProductName=KS Batch Ascii"\r\n', ascii_bytes)
        self.assertIn(b'\r\nSET "InstallerDrive=Z:"\r\n', ascii_bytes)  # the installer runs from Z:
        self.assertTrue(ascii_bytes.endswith(b'SET "OldVersionMinor="\r\ncopy %0 seen.bat >nul\r\necho x\r\n'))

        folder, utf8_bytes = self.written("KS Batch Utf8", "KS Batch Caf\u00e9")
        self.assertTrue(utf8_bytes.startswith(b"@chcp 65001 >nul\r\n@echo off\r\n"))
        self.assertIn('\r\nSET "ProductName=KS Batch Caf\u00e9"\r\n'.encode("utf-8"), utf8_bytes)
        self.assertFalse(utf8_bytes.startswith(b"\xef\xbb\xbf"))
        utf8_bytes.decode("utf-8")  # the whole file, not only the name


class BatchValuesTest(unittest.TestCase):
    def test_folder_and_product_names_reach_the_batch_exactly(self):
        folder = f"{BASE}\\R&D (x86) ^ 100% sure"
        hostile = 'KS Batch & echo pwned> C:\\pwned.txt & "x" & echo pwned> C:\\pwned2.txt'
        pwned = [ti.unix_path("C:\\pwned.txt"), ti.unix_path("C:\\pwned2.txt")]
        for p in pwned:
            if os.path.exists(p):
                os.remove(p)
        # Wine's cmd expands the result of %InstallDir% once more and drops its
        # lone "%" (Windows does not); !InstallDir! shows the value as stored.
        batch = 'setlocal enabledelayedexpansion\necho "!InstallDir!"\nset ProductName'
        installer = ti.build(batches_project("KS Batch Values", {"pre_install": batch},
                                             options={"pre_install_batch_label": True},
                                             product={"name": hostile, "install_dir": folder}),
                             {"files/a.txt": b"a"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        log = ti.logged_text(self, folder)
        self.assertIn(f'\r\nRunning Pre-Installation Batch...\r\n"{folder}"\r\nProductName={hostile}\r\n\r\n', log)
        for p in pwned:
            self.assertFalse(os.path.exists(p), p)


class EarlierInstallationBatchTest(unittest.TestCase):
    NAME = "KS Batch Earlier"
    FOLDER = f"{BASE}\\{NAME}"
    KEY = f"{ti.UNINSTALL_KEY}\\{NAME}"

    def tearDown(self):
        ti.reg("delete", self.KEY, "/f")

    def earlier(self, version):
        os.makedirs(ti.unix_path(self.FOLDER), exist_ok=True)
        ti.reg("add", self.KEY, "/v", "InstallLocation", "/d", self.FOLDER, "/f")
        ti.reg("add", self.KEY, "/v", "DisplayVersion", "/d", version, "/f")

    def test_upgrade_and_reinstall_batches(self):
        labels = {"upgrade_batch_label": True, "reinstall_batch_label": True, "compare_versions": True,
                  "reinstall_batch_same_version_only": True}
        installer = ti.build(batches_project(self.NAME, {
            "upgrade": "echo upgrading from %OldVersion% (%OldVersionMajor%/%OldVersionMinor%)",
            "reinstall": "echo reinstalling %Version%",
        }, options=labels, product={"version": "2.1"}), {"files/a.txt": b"a"})

        cases = [("1.4", "\r\nRunning Upgrade Batch...\r\nupgrading from 1.4 (1/4)\r\n\r\n", "Reinstall Batch"),
                 ("2.1", "\r\nRunning Reinstall Batch...\r\nreinstalling 2.1\r\n\r\n", "Upgrade Batch"),
                 # A downgrade: the reinstall batch is kept for the same version.
                 ("3.0", None, "Batch...")]
        for old, expected, absent in cases:
            with self.subTest(old=old):
                self.earlier(old)
                ti.assert_silent_success(self, ti.run_setup(installer))
                section = ti.logged_text(self, self.FOLDER).split(ti.SEPARATOR)[-1]
                if expected:
                    self.assertIn(expected, section)
                self.assertNotIn(absent, section)
                self.assertEqual(leftovers(self.FOLDER), [])

if __name__ == "__main__":
    harness.main()
