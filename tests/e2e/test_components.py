"""Component registration under Wine: shared-file counts, a COM server, type
libraries, a driver INF, MSI packages, a font and control-panel applets, each
built by the test build (tests/components) or taken from a Debian package,
installed silently and looked up where the system keeps them; the failures
(a file that is no COM server, no type library, no MSI package; an applet key
that is missing) are logged and the installation goes on.

The engine is a 32-bit program: what it and the 32-bit regsvr32 and msiexec
write is read back in the registry's 32-bit view."""
import os
import re
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import setup_image as si  # noqa: E402
import test_install as ti  # noqa: E402

BASE = ti.BASE
FONT_SOURCE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SHARED_DLLS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"
CPLS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls"
FONTS = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts"
COM_VALUE_KEY = r"HKLM\Software\Keldwick Test\ComServer"
MSI_VALUE_KEY = r"HKLM\Software\Keldwick Test\Msi"
TYPELIB_KEY = r"HKCR\TypeLib\{6B1F3C2A-9D4E-4F6A-8C21-5E7B0A3D9F14}\1.0"


def component(name):
    """A file the test build made (tests/components), by its file name."""
    dirs = [d for d in os.environ.get("KS_BIN", "").split(os.pathsep) if d]
    dirs += [os.path.join(ti.harness.ROOT, "out", "bin"), os.path.join(ti.harness.ROOT, "out", "win", "tests", "components")]
    for d in dirs:
        p = os.path.join(d, name)
        if os.path.isfile(p):
            with open(p, "rb") as f:
                return f.read()
    raise FileNotFoundError(f"{name} not found in {dirs}")


def reg_query(key, name):
    """A value in the 32-bit view as `reg query` prints it, or None."""
    rc, out = ti.wine_tool(["reg", "query", key, "/v", name, "/reg:32"])
    if rc != 0:
        return None
    for line in out.splitlines():
        m = re.match(r"^\s+(.*?)\s+(REG_\w+)\s+(.*)$", line)
        if m and m.group(1).lower() == name.lower():
            return m.group(3).strip()
    return None


def reg32(*args):
    return ti.wine_tool(["reg"] + list(args) + ["/reg:32"])[0]


def toml(v):
    if isinstance(v, bool):
        return "true" if v else "false"
    return '"' + str(v).replace("\\", "\\\\").replace('"', '\\"') + '"'


def files_project(name, entries, options=None, product=None):
    """A silent product in BASE\\<name> with one [[files]] entry per dict."""
    prod = {"name": name, "version": "1.0", "silent": True, "install_dir": f"{BASE}\\{name}",
            "publisher": name}
    prod.update(product or {})
    opts = {"no_main_window": True, "write_log": True}
    opts.update(options or {})
    lines = ["[product]"] + [f"{k} = {toml(v)}" for k, v in prod.items()]
    lines += ["", "[options]"] + [f"{k} = {toml(v)}" for k, v in opts.items()]
    for e in entries:
        lines += ["", "[[files]]"] + [f"{k} = {toml(v)}" for k, v in e.items()]
    return "\n".join(lines) + "\n"


def setUpModule():
    # A kept prefix still holds the products (and their shared folders) of an
    # earlier run: an existing file would change what the log says.
    for base in (BASE, r"C:\Program Files (x86)\Common Files", r"C:\Program Files\Common Files"):
        root = ti.unix_path(base)
        for name in os.listdir(root) if os.path.isdir(root) else []:
            if name.startswith("KS Comp"):
                shutil.rmtree(os.path.join(root, name), ignore_errors=True)


def shared_counts():
    """{path: count} of the SharedDLLs key in the 32-bit view."""
    _, out = ti.wine_tool(["reg", "query", SHARED_DLLS, "/reg:32"])
    counts = {}
    for line in out.splitlines():
        m = re.match(r"^\s+(.*?)\s+REG_DWORD\s+0x([0-9a-fA-F]+)\s*$", line)
        if m:
            counts[m.group(1)] = int(m.group(2), 16)
    return counts


def log_body(test, folder):
    """Install.log between the header and the closing lines."""
    text = ti.logged_text(test, folder)
    return text.split("Operating system: <os>\r\n\r\n", 1)[1]


def uninstall_data(folder):
    with open(ti.unix_path(folder + "\\uninstall\\Uninstall.DAT"), "rb") as f:
        return f.read().decode(ti.ACP)


def section(data, name):
    """The lines of one Uninstall.DAT section ("" for the main one)."""
    parts = re.split(r"\r\n\r\n(\[\w+\])\r\n", data)
    if not name:
        return parts[0].split("\r\n") if parts[0] else []
    for i in range(1, len(parts), 2):
        if parts[i] == name:
            return [line for line in parts[i + 1].split("\r\n") if line]
    return []


class ComponentsTest(unittest.TestCase):
    """One product with every component kind, on a prefix as Wine makes it:
    without a SharedDLLs key."""
    NAME = "KS Components"
    FOLDER = f"{BASE}\\{NAME}"

    @classmethod
    def setUpClass(cls):
        inst = cls.FOLDER
        reg32("delete", SHARED_DLLS, "/f")
        reg32("add", CPLS, "/f")
        for key in (COM_VALUE_KEY, MSI_VALUE_KEY):
            reg32("delete", key, "/f")
        reg32("delete", r"HKCR\TypeLib\{6B1F3C2A-9D4E-4F6A-8C21-5E7B0A3D9F14}", "/f")
        reg32("delete", FONTS, "/v", "KS Test Sans (TrueType)", "/f")
        for left in (r"C:\windows\inf\kscomponent.inf", r"C:\windows\Fonts\KsTestSans.ttf"):
            if os.path.exists(ti.unix_path(left)):
                os.remove(ti.unix_path(left))
        with open(FONT_SOURCE, "rb") as f:
            font = f.read()
        tree = {
            "shared.dll": b"shared",
            "kscomponent.dll": component("kscomponent.dll"), "fallback.dll": component("kscomponent.dll"),
            "notcom.dll": b"not a library",
            "broken.tlb": b"not a type library", "kscomponent.tlb": component("kscomponent.tlb"),
            "kscomponent.inf": component("kscomponent.inf"),
            "kscomponent.msi": component("kscomponent.msi"), "broken.msi": b"not a package",
            "again.msi": component("kscomponent.msi"),
            "KsTestSans.ttf": font, "tool.cpl": b"applet", "plain.cpl": b"applet",
        }
        entries = [
            {"source": "shared.dll", "kind": "shared"},
            {"source": "kscomponent.msi", "kind": "msi_package", "msi_ui_level": "none",
             "uninstall_with_product": True},
            {"source": "broken.msi", "kind": "msi_package", "msi_ui_level": "none",
             "uninstall_with_product": True},
            {"source": "again.msi", "kind": "msi_package", "msi_ui_level": "none"},
            {"source": "KsTestSans.ttf", "kind": "font", "font_face": "KS Test Sans (TrueType)"},
            {"source": "tool.cpl", "kind": "applet", "applet_name": "KS Tool"},
            {"source": "plain.cpl", "kind": "applet"},
            {"source": "kscomponent.dll", "kind": "com_server", "dest": f"{inst}\\com\\"},
            {"source": "fallback.dll", "kind": "com_server", "dest": f"{inst}\\com\\"},
            {"source": "notcom.dll", "kind": "com_server", "dest": f"{inst}\\com\\"},
            {"source": "broken.tlb", "kind": "type_library", "dest": f"{inst}\\com\\"},
            {"source": "kscomponent.tlb", "kind": "type_library", "dest": f"{inst}\\com\\"},
            {"source": "kscomponent.inf", "kind": "driver_inf"},
        ]
        cls.installer = ti.build(files_project(cls.NAME, entries), tree)
        cls.report = ti.run_setup(cls.installer, timeout=90)

    def test_log_lines_and_failure_summary(self):
        self.maxDiff = None
        ti.assert_silent_success(self, self.report)
        f = self.FOLDER
        # Wine's regsvr32 ends with 3 when the file does not load; a file that
        # is no type library has no system text for its code.
        self.assertEqual(log_body(self, f).split("\r\n*** FAILURE SUMMARY ***\r\n")[0], (
            f'Installing MSI package "{f}\\kscomponent.msi"...OK\r\n'
            f'Installing MSI package "{f}\\broken.msi"...FAILED code 1627: Function failed.\r\n'
            f'Installing MSI package "{f}\\again.msi"...OK\r\n'
            'Registering control panel applet "KS Tool"...OK\r\n'
            'Registering control panel applet "plain.cpl"...OK\r\n'
            f'Registering COM File "{f}\\com\\kscomponent.dll"...OK\r\n'
            f'Registering COM File "{f}\\com\\fallback.dll"...OK\r\n'
            f'Registering COM File "{f}\\com\\notcom.dll"...FAILED, code 3\r\n'
            f'Registering Type Library "{f}\\com\\broken.tlb"...FAILED\r\n\r\n'
            f'Registering Type Library "{f}\\com\\kscomponent.tlb"...OK\r\n'
            '\r\n'
            f'Installing driver "{f}\\kscomponent.inf"...OK\r\n'
            'Final driver location: C:\\windows\\inf\\kscomponent.inf\r\n'))
        summary = log_body(self, f).split("\r\n*** FAILURE SUMMARY ***\r\n")[1]
        self.assertTrue(summary.startswith(
            f'Installing MSI package "{f}\\broken.msi"...FAILED code 1627: Function failed.\r\n'
            'Registry error: unable to increment shared file reference counts.\r\n\r\n'), summary)

    def test_system_sees_every_component(self):
        f = self.FOLDER
        self.assertEqual(reg_query(COM_VALUE_KEY, "kscomponent.dll"), f"{f}\\com\\kscomponent.dll")
        self.assertEqual(reg_query(COM_VALUE_KEY, "kscomponent.dll calls"), "0x1")
        # regsvr32 failed on this one, and the installer called it itself.
        self.assertEqual(reg_query(COM_VALUE_KEY, "fallback.dll"), f"{f}\\com\\fallback.dll")
        self.assertEqual(reg_query(COM_VALUE_KEY, "fallback.dll calls"), "0x2")
        _, out = ti.wine_tool(["reg", "query", TYPELIB_KEY + r"\0\win32", "/ve", "/reg:32"])
        self.assertIn(f"{f}\\com\\kscomponent.tlb", out)
        self.assertEqual(reg_query(MSI_VALUE_KEY, "Installed"), "yes")
        self.assertEqual(reg_query(FONTS, "KS Test Sans (TrueType)"), "KsTestSans.ttf")
        self.assertTrue(os.path.isfile(ti.unix_path(r"C:\windows\Fonts\KsTestSans.ttf")))
        self.assertEqual(reg_query(CPLS, "KS Tool"), f"{f}\\tool.cpl")
        self.assertEqual(reg_query(CPLS, "plain.cpl"), f"{f}\\plain.cpl")
        self.assertTrue(os.path.isfile(ti.unix_path(r"C:\windows\inf\kscomponent.inf")))
        # Without the key nothing is counted, and nothing makes it.
        self.assertEqual(ti.wine_tool(["reg", "query", SHARED_DLLS, "/reg:32"])[0], 1)

    def test_uninstall_records(self):
        data = uninstall_data(self.FOLDER)
        # Only the package that was installed and asked for it: not the one
        # that failed, nor the one installed without uninstall_with_product.
        self.assertEqual(section(data, "[MSI]"), [f'"{self.FOLDER}\\kscomponent.msi",2'])
        self.assertEqual(section(data, "[INF]"), ["C:\\windows\\inf\\kscomponent.inf"])
        cpls = "!\\HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls\\"
        main = section(data, "")
        self.assertIn(cpls + "KS Tool", main)
        self.assertIn(cpls + "plain.cpl", main)
        self.assertLess(main.index(f"{self.FOLDER}\\tool.cpl"), main.index(cpls + "KS Tool"))


class MissingAppletKeyTest(unittest.TestCase):
    """The applet key is opened, never made: without it the applet fails."""
    NAME = "KS Comp Applet"
    FOLDER = f"{BASE}\\{NAME}"

    def test_applet_without_key(self):
        reg32("delete", CPLS, "/f")
        try:
            installer = ti.build(files_project(self.NAME, [{"source": "x.cpl", "kind": "applet"}]),
                                 {"x.cpl": b"applet"})
            report = ti.run_setup(installer)
        finally:
            reg32("add", CPLS, "/f")
        ti.assert_silent_success(self, report)
        # Wine's text for ERROR_FILE_NOT_FOUND.
        self.assertTrue(log_body(self, self.FOLDER).startswith(
            'Registering control panel applet "x.cpl"...FAILED!\r\nFile not found.\r\n\r\n'))
        self.assertNotIn("Cpls", uninstall_data(self.FOLDER))


class SharedCountsTest(unittest.TestCase):
    """Counts under an existing SharedDLLs key: once per file and product."""
    NAME = "KS Comp Counts"
    FOLDER = f"{BASE}\\{NAME}"
    PRODUCT_KEY = ti.UNINSTALL_KEY + "\\" + NAME

    @classmethod
    def setUpClass(cls):
        reg32("delete", SHARED_DLLS, "/f")
        reg32("add", SHARED_DLLS, "/f")
        ti.reg("delete", cls.PRODUCT_KEY, "/f")
        f = cls.FOLDER
        entries = [
            {"source": "one.dll", "kind": "shared"},
            {"source": "kept.dll", "kind": "shared", "permanent": True},
            {"source": "sys.dll", "kind": "system", "dest": f"{f}\\sys\\"},
        ]
        installer = ti.build(files_project(cls.NAME, entries),
                             {"one.dll": b"one", "kept.dll": b"kept", "sys.dll": b"sys"})
        # The first record twice: one file listed twice in one installation.
        img = si.SetupImage.load(installer)
        records = img.payload_records()
        records.append(records[0])
        img.archive.FileSizes.append(len(records[0].content))
        img.set_payload(si.chunk(b"".join(r.encode() for r in records)))
        cls.installer = img.save(installer)
        cls.first = ti.run_setup(cls.installer)
        cls.counts_after_first = shared_counts()

    def shared_folder(self):
        one = [p for p in self.counts_after_first if p.endswith("\\one.dll")]
        self.assertEqual(len(one), 1, self.counts_after_first)
        return one[0][:-len("\\one.dll")]

    def test_counted_once_per_product(self):
        ti.assert_silent_success(self, self.first)
        shared = self.shared_folder()
        expected = {f"{shared}\\one.dll": 1, f"{shared}\\kept.dll": 1, f"{self.FOLDER}\\sys\\sys.dll": 1}
        self.assertEqual(self.counts_after_first, expected)
        self.assertNotIn("FAILURE SUMMARY", ti.logged_text(self, self.FOLDER))
        # The product's registration keeps what it counted, markers included;
        # the same product installed again counts none of it again.
        counted = f'"{shared}\\one.dll";"{shared}\\kept.dll ";"{self.FOLDER}\\sys\\sys.dll "'
        self.assertEqual(ti.reg("add", self.PRODUCT_KEY, "/v", "InstallLocation", "/d", self.FOLDER, "/f"), 0)
        self.assertEqual(ti.reg("add", self.PRODUCT_KEY, "/v", "SharedFiles", "/d", counted, "/f"), 0)
        ti.assert_silent_success(self, ti.run_setup(self.installer))
        self.assertEqual(shared_counts(), expected)

    def test_no_counts_without_uninstaller(self):
        name = "KS Comp Uncounted"
        folder = f"{BASE}\\{name}"
        installer = ti.build(files_project(name, [{"source": "sys.dll", "kind": "system", "dest": f"{folder}\\"}],
                                           options={"uninstaller": False}), {"sys.dll": b"sys"})
        ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertTrue(os.path.isfile(ti.unix_path(f"{folder}\\sys.dll")))
        self.assertNotIn(f"{folder}\\sys.dll", shared_counts())


if __name__ == "__main__":
    harness.main()
