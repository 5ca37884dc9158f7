"""The builder as a build pipeline calls it: the same project and sources give
the same bytes wherever and whenever they are built, and --define fills the
project file's ${NAME} references. No Wine needed."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROJECT = """[product]
name = "Tally ${VERSION}"
version = "${VERSION}"
silent = true

[[files]]
source = "files"
"""

FILES = {"files/tally.exe": b"MZ not really a program\r\n", "files/docs/readme.txt": b"read me\r\n",
         "files/docs/z.txt": b"last\r\n", "files/a.txt": b"first\r\n"}


def pe_time_stamp(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<I", data, pe + 8)[0]


class ReproducibleBuildTest(unittest.TestCase):
    def make_tree(self, root, file_time, reverse):
        """The project and its files below `root`; files written in reverse
        order in one tree, so directory listing order differs too."""
        with open(os.path.join(root, "project.toml"), "w") as f:
            f.write(PROJECT)
        items = sorted(FILES.items(), reverse=reverse)
        for rel, data in items:
            p = os.path.join(root, *rel.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data)
            os.utime(p, (file_time, file_time))

    def build(self, root, *extra, env=None):
        out = os.path.join(root, "setup.exe")
        r = subprocess.run([harness.find_binary("keldwick"), "build", os.path.join(root, "project.toml"), "-o", out,
                            "--engine", harness.find_binary("keldwick-engine.exe"), "--define", "VERSION=2.4.1",
                            *extra], capture_output=True, text=True, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(out, "rb") as f:
            return f.read()

    def file_times(self, root):
        """Every creation, access and write time of the installer's files."""
        files = harness.inspect(os.path.join(root, "setup.exe"))["files"]
        self.assertEqual(len(files), 4)
        return {t for f in files for t in f["FileTime"].values()}

    def setUp(self):
        base = os.path.join(harness.ROOT, "out", "builder-cli")
        os.makedirs(base, exist_ok=True)
        self.dirs = [tempfile.mkdtemp(prefix=f"repro{i}-", dir=base) for i in range(2)]
        self.addCleanup(lambda: [shutil.rmtree(d, ignore_errors=True) for d in self.dirs])
        self.make_tree(self.dirs[0], 1_500_000_000, False)
        self.make_tree(self.dirs[1], 1_700_000_000, True)

    def test_same_bytes_from_different_folders_and_file_times(self):
        env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
        first, second = self.build(self.dirs[0], env=env), self.build(self.dirs[1], env=env)
        self.assertEqual(first, second)
        self.assertEqual(pe_time_stamp(first), 946684800)
        for d in self.dirs:  # no host path in the output
            self.assertNotIn(os.fsencode(d), first)
        j = harness.inspect(os.path.join(self.dirs[0], "setup.exe"))
        self.assertEqual(j["settings"]["ProductName"], "Tally 2.4.1")
        self.assertEqual(j["settings"]["ProductVersion"], "2.4.1")
        self.assertEqual(len(j["files"]), 4)

    def test_source_date_epoch_sets_the_time_stamp_and_file_dates(self):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")
        first, second = self.build(self.dirs[0], env=env), self.build(self.dirs[1], env=env)
        self.assertEqual(first, second)
        self.assertEqual(pe_time_stamp(first), 1700000000)
        self.assertEqual(self.file_times(self.dirs[0]), {(1700000000 + 11644473600) * 10**7})
        bad = subprocess.run([harness.find_binary("keldwick"), "build", os.path.join(self.dirs[0], "project.toml"),
                              "-o", os.path.join(self.dirs[0], "x.exe")], capture_output=True, text=True,
                             env=dict(os.environ, SOURCE_DATE_EPOCH="yesterday"))
        self.assertEqual(bad.returncode, 1)
        self.assertIn("SOURCE_DATE_EPOCH must be seconds since 1970", bad.stderr)

    def test_file_times_from_the_sources_when_asked(self):
        for d in self.dirs:
            with open(os.path.join(d, "project.toml"), "a") as f:
                f.write('\n[archive]\nfile_times = "sources"\n')
        env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
        self.build(self.dirs[0], env=env)
        self.assertEqual(self.file_times(self.dirs[0]), {(1_500_000_000 + 11644473600) * 10**7})
        # Clamped to SOURCE_DATE_EPOCH: a checkout newer than the release date.
        self.build(self.dirs[0], env=dict(env, SOURCE_DATE_EPOCH="1400000000"))
        self.assertEqual(self.file_times(self.dirs[0]), {(1_400_000_000 + 11644473600) * 10**7})

    def test_undefined_name_is_an_error_at_its_place(self):
        r = subprocess.run([harness.find_binary("keldwick"), "build", os.path.join(self.dirs[0], "project.toml"),
                            "-o", os.path.join(self.dirs[0], "x.exe")], capture_output=True, text=True)
        self.assertEqual(r.returncode, 1)
        self.assertIn("project.toml:2:8: 'VERSION' is not defined (give it with --define VERSION=VALUE)", r.stderr)


class WindowsBuilderTest(unittest.TestCase):
    def test_windows_build_of_the_builder_writes_the_same_bytes(self):
        e = harness.env()  # skipped without a Wine session
        example = os.path.join(harness.ROOT, "examples", "hello", "project.toml")
        engine = harness.find_binary("keldwick-engine.exe")
        out = harness.work_dir("windows-builder")
        native = os.path.join(out, "native.exe")
        r = subprocess.run([harness.find_binary("keldwick"), "build", example, "-o", native, "--engine", engine],
                           capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        windows = os.path.join(out, "windows.exe")
        log = os.path.join(out, "build.log")
        rc = e.run_logged([harness.find_binary("keldwick.exe"), "build", harness.to_windows_path(example), "-o",
                           harness.to_windows_path(windows), "--engine", harness.to_windows_path(engine)], log)
        self.assertEqual(rc, 0, open(log, errors="replace").read())
        with open(native, "rb") as a, open(windows, "rb") as b:
            self.assertEqual(a.read(), b.read())


class InitTest(unittest.TestCase):
    def test_starter_project_builds_and_is_never_overwritten(self):
        base = os.path.join(harness.ROOT, "out", "builder-cli")
        os.makedirs(base, exist_ok=True)
        root = tempfile.mkdtemp(prefix="init-", dir=base)
        self.addCleanup(shutil.rmtree, root, True)
        product = os.path.join(root, "Tally Pro")
        os.makedirs(os.path.join(product, "dist", "docs"))
        for rel in ("dist/tally.exe", "dist/docs/guide.txt"):
            with open(os.path.join(product, *rel.split("/")), "wb") as f:
                f.write(b"x")
        kw = harness.find_binary("keldwick")
        r = subprocess.run([kw, "init", "dist"], cwd=product, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(product, "keldwick.toml")) as f:
            text = f.read()
        self.assertIn('name = "Tally Pro"', text)
        self.assertIn('source = "dist"', text)
        r = subprocess.run([kw, "build", "keldwick.toml", "-o", "setup.exe", "--engine",
                            harness.find_binary("keldwick-engine.exe")], cwd=product, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        files = harness.inspect(os.path.join(product, "setup.exe"))["files"]
        self.assertEqual(sorted(f["FileName"] for f in files), ["docs\\guide.txt", "tally.exe"])
        again = subprocess.run([kw, "init", "dist"], cwd=product, capture_output=True, text=True)
        self.assertEqual(again.returncode, 1)
        self.assertIn("exists already", again.stderr)
        with open(os.path.join(product, "keldwick.toml")) as f:
            self.assertEqual(f.read(), text)


class ManifestTest(unittest.TestCase):
    def test_manifest_set_has_the_package_managers_shape(self):
        import hashlib
        import jsonschema
        import yaml
        import winget_shape as shape
        base = os.path.join(harness.ROOT, "out", "builder-cli")
        os.makedirs(base, exist_ok=True)
        root = tempfile.mkdtemp(prefix="manifest-", dir=base)
        self.addCleanup(shutil.rmtree, root, True)
        os.makedirs(os.path.join(root, "files"))
        with open(os.path.join(root, "files", "tally.exe"), "wb") as f:
            f.write(b"x")
        with open(os.path.join(root, "project.toml"), "w") as f:
            f.write('[product]\nname = "Tally Pro"\nversion = "${VERSION}"\npublisher = "Keldwick Samples"\n'
                    'uninstall_key = "TallyPro"\nbitness = "64"\n[[files]]\nsource = "files"\n')
        kw, engine = harness.find_binary("keldwick"), harness.find_binary("keldwick-engine.exe")
        setup = os.path.join(root, "setup.exe")
        subprocess.run([kw, "build", "project.toml", "-o", setup, "--engine", engine, "-D", "VERSION=2.4.1"],
                       cwd=root, check=True, capture_output=True)
        out = os.path.join(root, "manifests")
        r = subprocess.run([kw, "manifest", "project.toml", "-D", "VERSION=2.4.1", "--url",
                            "https://example.com/tally/setup.exe", "--installer", setup, "-o", out],
                           cwd=root, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        docs = {}
        for name, schema in [("KeldwickSamples.TallyPro.yaml", shape.VERSION_SCHEMA),
                             ("KeldwickSamples.TallyPro.installer.yaml", shape.INSTALLER_SCHEMA),
                             ("KeldwickSamples.TallyPro.locale.en-US.yaml", shape.LOCALE_SCHEMA)]:
            with open(os.path.join(out, name)) as f:
                doc = yaml.safe_load(f)
            jsonschema.validate(doc, schema)
            self.assertEqual((doc["PackageIdentifier"], doc["PackageVersion"], doc["ManifestVersion"]),
                             ("KeldwickSamples.TallyPro", "2.4.1", "1.6.0"))
            docs[doc["ManifestType"]] = doc
        inst = docs["installer"]
        with open(setup, "rb") as f:
            self.assertEqual(inst["Installers"][0]["InstallerSha256"], hashlib.sha256(f.read()).hexdigest().upper())
        self.assertEqual(inst["Installers"][0]["Architecture"], "x64")
        self.assertEqual(inst["ProductCode"], "TallyPro")
        self.assertEqual(inst["InstallerSwitches"]["Silent"], "/a /e")
        self.assertEqual(inst["InstallerSwitches"]["InstallLocation"], '/d:"<INSTALLPATH>"')
        self.assertEqual({c["InstallerReturnCode"]: c["ReturnResponse"] for c in inst["ExpectedReturnCodes"]},
                         {1602: "cancelledByUser", 1618: "installInProgress", 3010: "rebootRequiredToFinish"})
        self.assertEqual(docs["defaultLocale"]["Publisher"], "Keldwick Samples")
        # The shape check itself refuses what the package manager would.
        bad = dict(inst, Installers=[dict(inst["Installers"][0], InstallerSha256="abc")])
        with self.assertRaises(jsonschema.ValidationError):
            jsonschema.validate(bad, shape.INSTALLER_SCHEMA)


if __name__ == "__main__":
    unittest.main(verbosity=2)
