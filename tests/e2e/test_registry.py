"""Registry entries, file associations and firewall exceptions of real silent
installations under Wine: every value type read back from the registry, the
default an association replaces kept under the backup name (and not lost to a
second installation), the "!" file-type form, the [Registry2],
[Associations] and [Firewall] records of Uninstall.DAT, the firewall's log
lines as Wine answers them, and a damaged firewall list stopping with 90."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import settings_script as ss  # noqa: E402
import setup_image as si  # noqa: E402
import test_install as ti  # noqa: E402
from harness import boxes  # noqa: E402

BASE = ti.BASE


def setUpModule():
    ti.setUpModule()


def exported(key, view):
    """{value name ("" for the default): (type, value)} of one key, read from
    `reg export` in the 32- or 64-bit view; None when the key is missing.
    Types: "sz" (text), "expand" (text), "binary"/"qword"/"none" (bytes), "dword" (int)."""
    path = os.path.join(harness.work_dir("export"), "key.reg")
    rc, _ = ti.wine_tool(["reg", "export", key, harness.to_windows_path(path), "/y", f"/reg:{view}"])
    if rc != 0 or not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    text = re.sub(r"\\\r?\n\s*", "", text)
    values, inside = {}, False
    for line in text.splitlines():
        if line.startswith("["):
            inside = line[1:-1].lower() == key.lower().replace("hklm\\", "hkey_local_machine\\") \
                .replace("hkcu\\", "hkey_current_user\\").replace("hkcr\\", "hkey_classes_root\\")
            continue
        m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if not inside or not m:
            continue
        name = "" if m.group(1) == "@" else re.sub(r"\\(.)", r"\1", m.group(2))
        data = m.group(3)
        if data.startswith('"'):
            values[name] = ("sz", re.sub(r"\\(.)", r"\1", data[1:-1]))
        elif data.startswith("dword:"):
            values[name] = ("dword", int(data[6:], 16))
        else:
            kind, _, hexes = data.partition(":")
            raw = bytes(int(h, 16) for h in hexes.split(",") if h)
            if kind == "hex(2)":
                values[name] = ("expand", raw.decode("utf-16-le").rstrip("\0"))
            else:
                values[name] = ({"hex": "binary", "hex(b)": "qword", "hex(0)": "none"}.get(kind, kind), raw)
    return values


def uninstall_sections(folder):
    """Uninstall.DAT's named sections: {name: [lines]}."""
    with open(ti.unix_path(f"{folder}\\uninstall\\Uninstall.DAT"), "rb") as f:
        text = f.read().decode("cp1252")
    sections, current = {}, None
    for line in text.split("\r\n"):
        if re.fullmatch(r"\[[A-Za-z0-9]+\]", line):
            current = sections.setdefault(line, [])
        elif current is not None and line:
            current.append(line)
    return sections


def delete_keys(*keys):
    for key in keys:
        for view in ("32", "64"):
            ti.wine_tool(["reg", "delete", key, "/f", f"/reg:{view}"])


class RegistryValuesTest(unittest.TestCase):
    NAME = "KS Reg Values"
    FOLDER = f"{BASE}\\{NAME}"
    KEY = r"HKLM\Software\KsRegE2E\Values"

    def setUp(self):
        delete_keys(r"HKLM\Software\KsRegE2E", r"HKCU\Software\KsRegE2E")

    tearDown = setUp

    def test_every_type_read_back_in_the_products_view(self):
        entries = f"""
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
name = "Text"
value = "%InstallDir%\\\\bin"
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
type = "expand"
name = "Expand"
value = "%SystemRoot%\\\\x"
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
type = "binary"
name = "Bytes"
value = "0a 0B ff"
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
type = "dword"
name = "Number"
value = 123
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
type = "qword"
name = "Big"
value = 4294967298
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
value = "default, \\"quoted\\""
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
name = "Later"
value = "only the uninstaller knows"
uninstall_only = true
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values\\\\Empty"
[[registry]]
key = "HKAU\\\\Software\\\\KsRegE2E"
name = "User"
value = "every user"
"""
        text = ti.project(self.NAME, product={"registry_key": "KsRegE2E\\Product"}, extra=entries)
        installer = ti.build(text, {"files/a.txt": b"a"})
        ti.assert_silent_success(self, ti.run_setup(installer))

        values = exported(self.KEY, "32")
        self.assertEqual(values, {
            "Text": ("sz", f"{self.FOLDER}\\bin"),
            "Expand": ("expand", "%SystemRoot%\\x"),
            "Bytes": ("binary", b"\x0a\x0b\xff"),
            "Number": ("dword", 123),
            "Big": ("qword", (4294967298).to_bytes(8, "little")),
            "": ("sz", 'default, "quoted"'),
        })
        self.assertIsNotNone(exported(self.KEY + "\\Empty", "32"))
        # A product of either bitness stays out of the other view.
        self.assertIsNone(exported(self.KEY, "64"))
        self.assertIsNotNone(exported(r"HKLM\Software\KsRegE2E\Product", "32"))
        self.assertEqual(exported(r"HKCU\Software\KsRegE2E", "64"), {"User": ("sz", "every user")})
        self.assertIsNotNone(exported(r"HKCU\Software\KsRegE2E\Product", "64"))

        text = ti.logged_text(self, self.FOLDER)
        self.assertTrue(text.endswith("\r\n\r\nInstallation Complete\r\n"), text[-300:])
        # The uninstaller gets every line, the uninstall-only one too.
        registry2 = uninstall_sections(self.FOLDER)["[Registry2]"]
        self.assertEqual(len(registry2), 9)
        self.assertIn('"\\HKLM\\Software\\KsRegE2E\\Values","Later",1,"only the uninstaller knows",1,1',
                      registry2)

    def test_64_bit_product_writes_the_64_bit_view(self):
        entries = """
[[registry]]
key = "HKLM\\\\Software\\\\KsRegE2E\\\\Values"
name = "Wide"
type = "dword"
value = 64
"""
        text = ti.project(self.NAME + " 64", product={"bitness": "64"}, extra=entries)
        installer = ti.build(text, {"files/a.txt": b"a"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertEqual(exported(self.KEY, "64"), {"Wide": ("dword", 64)})
        self.assertIsNone(exported(self.KEY, "32"))


    def test_failures_go_to_the_summary_and_the_next_line_follows(self):
        installer = ti.build(ti.project(self.NAME + " Failing"), {"files/a.txt": b"a"})
        img = si.SetupImage.load(installer)
        lines = (b"a,b,c\r\n\\HKXX\\Nowhere,V,1,x,,\r\n"
                 b"\\HKLM\\Software\\KsRegE2E\\Values,After,4,7,,\r\n")
        img.set_script(ss.replace_field(img.script(), "Registry2Text", lines + b"\0"))
        variant = img.save(os.path.join(harness.work_dir("variant"), "registry-failing.exe"))
        ti.assert_silent_success(self, ti.run_setup(variant))
        text = ti.logged_text(self, self.FOLDER + " Failing")
        self.assertIn("Illegal registry entry: a,b,c\r\nFailed to create registry key: \\HKXX\\Nowhere\r\n", text)
        self.assertEqual(exported(self.KEY, "32"), {"After": ("dword", 7)})


class AssociationTest(unittest.TestCase):
    NAME = "KS Reg Assoc"
    FOLDER = f"{BASE}\\{NAME}"
    BACKUP = "KS Reg Assoc Backup"
    KEYS = [r"HKCR\.ksra", r"HKCR\.ksrb", r"HKCR\.ksrc", r"HKCR\KsReg.Doc", r"HKCR\KsReg.Other",
            r"HKCR\KsReg.Existing", r"HKCR\KsReg.Bang", r"HKCR\KsReg.Fallback"]

    def setUp(self):
        delete_keys(*self.KEYS)

    tearDown = setUp

    def test_replaced_type_is_kept_and_bang_form_follows_the_current_type(self):
        ti.wine_tool(["reg", "add", r"HKCR\.ksra", "/ve", "/d", "KsReg.Other", "/f"])
        ti.wine_tool(["reg", "add", r"HKCR\.ksrb", "/ve", "/d", "KsReg.Existing", "/f"])
        entries = """
[[associations]]
extension = "ksra"
file_type = "KsReg.Doc"
description = "KS document"
verb_label = "&Open it"
command = "\\"%InstallDir%\\\\a.exe\\" \\"%1\\""
icon = "a.exe,1"
kind = "default"
[[associations]]
extension = ".ksrb"
file_type = "!KsReg.Bang"
verb = "edit"
command = "edit.exe"
[[associations]]
extension = "ksrc"
file_type = "!KsReg.Fallback"
verb = "print"
command = "print.exe"
[[associations]]
extension = "ksrd"
file_type = "KsReg.Klingon"
command = "never.exe"
language = "Deutsch"
[[languages]]
name = "English"
[[languages]]
name = "Deutsch"
"""
        text = ti.project(self.NAME, extra=entries)
        installer = ti.build(text, {"files/a.exe": b"MZ"})
        ti.assert_silent_success(self, ti.run_setup(installer))

        self.assertEqual(exported(r"HKCR\.ksra", "64"), {"": ("sz", "KsReg.Doc"), self.BACKUP: ("sz", "KsReg.Other")})
        self.assertEqual(exported(r"HKCR\.ksra\OpenWithProgids", "64"), {"KsReg.Doc": ("none", b"")})
        self.assertEqual(exported(r"HKCR\KsReg.Doc", "64"), {"": ("sz", "KS document")})
        self.assertEqual(exported(r"HKCR\KsReg.Doc\DefaultIcon", "64"), {"": ("sz", f"{self.FOLDER}\\a.exe,1")})
        self.assertEqual(exported(r"HKCR\KsReg.Doc\shell", "64"), {"": ("sz", "open")})
        self.assertEqual(exported(r"HKCR\KsReg.Doc\shell\open", "64"), {"": ("sz", "&Open it")})
        self.assertEqual(exported(r"HKCR\KsReg.Doc\shell\open\command", "64"),
                         {"": ("sz", f'"{self.FOLDER}\\a.exe" "%1"')})
        # "!": the extension's own type gets the verb and keeps its name.
        self.assertEqual(exported(r"HKCR\.ksrb", "64"), {"": ("sz", "KsReg.Existing")})
        self.assertEqual(exported(r"HKCR\KsReg.Existing\shell\edit\command", "64"), {"": ("sz", "edit.exe")})
        self.assertIsNone(exported(r"HKCR\KsReg.Bang", "64"))
        # "!" without a type: the entry's name becomes it.
        self.assertEqual(exported(r"HKCR\.ksrc", "64"), {"": ("sz", "KsReg.Fallback")})
        self.assertEqual(exported(r"HKCR\KsReg.Fallback\shell\print\command", "64"), {"": ("sz", "print.exe")})
        # Another language's entry is left out.
        self.assertIsNone(exported(r"HKCR\.ksrd", "64"))

        self.assertEqual(uninstall_sections(self.FOLDER)["[Associations]"], [
            ".ksra~!~KsReg.Doc~!~open~!~a.exe,1",
            ".ksrb~!~KsReg.Existing~!~edit~!~",
            ".ksrc~!~KsReg.Fallback~!~print~!~",
        ])
        text = ti.logged_text(self, self.FOLDER)
        self.assertIn('Associated .ksra with "%InstallDir%\\a.exe" "%1"\r\n', text)
        self.assertIn("Associated .ksrc with print.exe\r\n", text)
        self.assertNotIn("Associated .ksrb", text)
        self.assertNotIn("Failed to associate", text)

        # A second installation finds its own type: the backup still names the old one.
        ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertEqual(exported(r"HKCR\.ksra", "64")[self.BACKUP], ("sz", "KsReg.Other"))
        self.assertEqual(exported(r"HKCR\.ksrc", "64"), {"": ("sz", "KsReg.Fallback")})


class FirewallTest(unittest.TestCase):
    NAME = "KS Reg Firewall"
    FOLDER = f"{BASE}\\{NAME}"

    def test_ports_and_programs_logged_and_recorded(self):
        entries = """
[[firewall]]
port = 8080
[[firewall]]
port = 5353
protocol = "udp"
name = "KS kept"
keep = true
[[firewall]]
program = "tool.exe"
name = "KS tool"
[[firewall]]
program = "%InstallDir%\\\\missing.exe"
"""
        text = ti.project(self.NAME, extra=entries)
        installer = ti.build(text, {"files/tool.exe": b"MZ"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        log = ti.logged_text(self, self.FOLDER)
        # Wine's firewall objects accept every addition.
        self.assertIn("Added firewall exception: TCP port 8080\r\n"
                      "Added firewall exception: UDP port 8080\r\n"
                      "Added firewall exception: UDP port 5353\r\n"
                      f"Added firewall exception: {self.FOLDER}\\tool.exe\r\n"
                      f'Failed to add firewall exception for "{self.FOLDER}\\missing.exe": file does not exist\r\n',
                      log)
        self.assertNotIn("connect to the firewall", log)
        # Kept and failed items are not for the uninstaller.
        self.assertEqual(uninstall_sections(self.FOLDER)["[Firewall]"], ["8080;;3;", "tool.exe;KS tool;0;"])

    def test_damaged_item_list_stops_with_90(self):
        installer = ti.build(ti.project(self.NAME + " Damaged", extra='[[firewall]]\nport = 8080\n'),
                             {"files/a.txt": b"a"})
        img = si.SetupImage.load(installer)
        damaged = "8080;;3;\r\n8081;;3\r\n".encode("utf-16-le")
        img.set_script(ss.replace_field(img.script(), "FirewallPrograms", ss.pstr(damaged)))
        variant = img.save(os.path.join(harness.work_dir("variant"), "firewall90.exe"))
        report = ti.run_setup(variant)
        corrupt = ti.texts(installer)[13]
        self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], [("Error", corrupt % 90)])
        self.assertEqual(report["exit_code"], 1)
        # Nothing was recorded for removal, so nothing was opened either.
        self.assertFalse(os.path.exists(ti.unix_path(f"{BASE}\\{self.NAME} Damaged\\uninstall\\Uninstall.DAT")))


if __name__ == "__main__":
    harness.main()
