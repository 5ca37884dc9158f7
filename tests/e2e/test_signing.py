"""Signed installers: a publisher signs the built setup.exe with osslsigncode.
Signing writes the certificate-table entry of the PE headers and appends the
table after the last section; the engine must still accept its own checksum and
find the end of a payload that rides in the file. The certificate is a
throw-away self-signed one."""
import os
import re
import struct
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import settings_script as ss  # noqa: E402
import setup_image as si  # noqa: E402
from harness import boxes  # noqa: E402
from test_install import BASE, UNINSTALL_FILES, assert_silent_success, files_below, project, run_setup, texts, unix_path  # noqa: E402

FILES = {"files/readme.txt": b"Signed product.\r\n", "files/data/table.bin": bytes(range(256)) * 40}


def certificate_entry(path):
    """(offset, size) of a PE32 file's certificate-table entry."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 60)[0]
    return struct.unpack_from("<II", data, pe + 24 + 96 + 32)


def payload_in_file(installer, out_path):
    """The installer changed to read its payload from the file (PayloadInFile):
    the section's raw data ends with the payload, which ends the file."""
    img = si.SetupImage.load(installer)
    img.set_script(ss.set_uint(img.script(), "PayloadInFile", 1))
    sec, pe = img.setup, img.pe
    end = img.archive.ArchiveEnd
    pe.data = pe.data[:sec.raw_pointer + end]
    p = pe.pe_offset
    pe.put_u32(p + 32, pe.u32(p + 32) - sec.raw_size + end)  # SizeOfInitializedData
    pe.put_u32(sec.offset + 16, end)                           # SizeOfRawData
    pe.parse()
    img.setup = pe.section(".setup")
    img.fix_engine_checksum()
    return img.save(out_path)


class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = harness.work_dir("signing")
        cls.cert = os.path.join(cls.dir, "cert.pem")
        cls.key = os.path.join(cls.dir, "key.pem")
        cls.tool(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                  "-subj", "/CN=Keldwick Test Publisher", "-keyout", cls.key, "-out", cls.cert])

    @staticmethod
    def tool(argv, check=True):
        r = subprocess.run(argv, capture_output=True, text=True)
        if check and r.returncode != 0:
            raise AssertionError(f"{argv[0]} failed ({r.returncode}):\n{r.stdout}\n{r.stderr}")
        return r

    def sign(self, installer):
        signed = os.path.splitext(installer)[0] + "-signed.exe"
        self.tool(["osslsigncode", "sign", "-certs", self.cert, "-key", self.key, "-n", "Keldwick Test",
                   "-h", "sha256", "-in", installer, "-out", signed])
        return signed

    def assert_signature_sound(self, signed):
        # The digest in the signature is the file's; with the throw-away
        # certificate as its own CA the whole signature verifies.
        plain = self.tool(["osslsigncode", "verify", "-in", signed], check=False).stdout
        current = re.search(r"Current message digest\s*:\s*(\w+)", plain)
        calculated = re.search(r"Calculated message digest\s*:\s*(\w+)", plain)
        self.assertTrue(current and calculated, plain)
        self.assertEqual(current.group(1), calculated.group(1))
        anchored = self.tool(["osslsigncode", "verify", "-CAfile", self.cert, "-in", signed], check=False)
        self.assertEqual(anchored.returncode, 0, anchored.stdout + anchored.stderr)
        self.assertIn("Signature verification: ok", anchored.stdout)

    def build(self, name, in_file):
        installer = harness.build_installer(project(name), FILES)
        if in_file:
            installer = payload_in_file(installer, os.path.join(harness.work_dir("in-file"), "setup.exe"))
        return installer

    def test_signed_installers_install(self):
        for case, in_file in [("payload in the section", False), ("payload in the file", True)]:
            with self.subTest(case):
                name = f"KS Signed {'File' if in_file else 'Image'}"
                folder = f"{BASE}\\{name}"
                installer = self.build(name, in_file)
                signed = self.sign(installer)
                self.assertNotEqual(certificate_entry(signed), (0, 0))
                self.assert_signature_sound(signed)
                # The builder checks a signed installer by the engine's rules.
                self.assertEqual(harness.inspect(signed)["checks"]["engine_checksum"], "ok")

                assert_silent_success(self, run_setup(signed))
                self.assertEqual(files_below(folder), {"readme.txt", "data\\table.bin"} | UNINSTALL_FILES)
                with open(unix_path(folder + "\\data\\table.bin"), "rb") as f:
                    self.assertEqual(f.read(), FILES["files/data/table.bin"])

    def test_the_builder_signs(self):
        # PEM pair, and PKCS#12 whose password comes from the environment.
        p12 = os.path.join(self.dir, "both.p12")
        self.tool(["openssl", "pkcs12", "-export", "-in", self.cert, "-inkey", self.key, "-out", p12,
                   "-passout", "pass:s3cret word"])
        proj = os.path.join(self.dir, "signed-by-builder")
        os.makedirs(os.path.join(proj, "files"), exist_ok=True)
        with open(os.path.join(proj, "project.toml"), "w") as f:
            f.write(project("KS Builder Signed"))
        with open(os.path.join(proj, "files", "readme.txt"), "wb") as f:
            f.write(FILES["files/readme.txt"])
        engine = harness.find_binary("keldwick-engine.exe")
        env = dict(os.environ, KS_TEST_P12_PASS="s3cret word", SOURCE_DATE_EPOCH="1700000000")
        outputs = []
        for case, signing in [("pem", ["--sign-cert", self.cert, "--sign-key", self.key]),
                              ("pkcs12", ["--sign-pkcs12", p12, "--sign-password-env", "KS_TEST_P12_PASS"])]:
            with self.subTest(case):
                out = os.path.join(proj, f"setup-{case}.exe")
                r = subprocess.run([harness.find_binary("keldwick"), "build", os.path.join(proj, "project.toml"),
                                    "-o", out, "--engine", engine] + signing, capture_output=True, text=True, env=env)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assert_signature_sound(out)
                self.assertEqual(harness.inspect(out)["checks"]["engine_checksum"], "ok")
                self.assertEqual(sorted(os.listdir(proj)), sorted(["files", "project.toml"] +
                                                                  [os.path.basename(o) for o in outputs + [out]]))
                outputs.append(out)
        # Same key, same time: the signed bytes repeat.
        with open(outputs[0], "rb") as a, open(outputs[1], "rb") as b:
            self.assertEqual(a.read(), b.read())
        assert_silent_success(self, run_setup(outputs[0]))
        self.assertIn("readme.txt", files_below(f"{BASE}\\KS Builder Signed"))
        # The uninstaller is a part of the signed file: it carries no signature
        # rather than a broken one.
        uninstaller = unix_path(f"{BASE}\\KS Builder Signed\\uninstall\\uninstall.exe")
        self.assertEqual(certificate_entry(uninstaller), (0, 0))
        unsigned = self.tool(["osslsigncode", "verify", "-in", uninstaller], check=False)
        self.assertNotEqual(unsigned.returncode, 0)
        self.assertNotIn("Signature verification: ok", unsigned.stdout)

        # A key that does not match the certificate: no installer at all.
        other = os.path.join(self.dir, "other.pem")
        self.tool(["openssl", "genrsa", "-out", other, "2048"])
        out = os.path.join(proj, "setup-bad.exe")
        r = subprocess.run([harness.find_binary("keldwick"), "build", os.path.join(proj, "project.toml"), "-o", out,
                            "--engine", engine, "--sign-cert", self.cert, "--sign-key", other],
                           capture_output=True, text=True)
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot sign", r.stderr)
        self.assertFalse(any(n.startswith("setup-bad") for n in os.listdir(proj)), os.listdir(proj))

    def test_bytes_after_the_signature_are_damage(self):
        # Only the certificate table may follow a payload that rides in the file.
        installer = self.build("KS Signed Appended", True)
        signed = self.sign(installer)
        with open(signed, "ab") as f:
            f.write(b"appended after signing")
        report = run_setup(signed, f'/a /d:"{BASE}\\KS Signed Appended"')
        self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], [("Error", texts(installer)[13] % 46)])
        self.assertEqual(report["exit_code"], 1)
        self.assertEqual(files_below(f"{BASE}\\KS Signed Appended"), set())


if __name__ == "__main__":
    harness.main()
