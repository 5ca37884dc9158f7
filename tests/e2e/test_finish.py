"""The end of an installation seen from outside: the product's uninstall key
in the 64-bit view with its values and types, the uninstaller program and its
icon, the saved readme and licence texts, the reboot marker, extra values in
sub-keys, the restart question and the restart itself."""
import os
import re
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import settings_script as ss  # noqa: E402
import setup_image as si  # noqa: E402
import test_install as ti  # noqa: E402
import wine_env  # noqa: E402
from harness import boxes, probe_run, quote  # noqa: E402

BASE = ti.BASE
UNINSTALL_KEY = ti.UNINSTALL_KEY
RT_ICON, RT_GROUP_ICON = 3, 14


def icon_file(*pictures):
    """An .ico file holding the given picture bytes (16x16, 32 bits each)."""
    head = struct.pack("<HHH", 0, 1, len(pictures))
    offset = 6 + 16 * len(pictures)
    entries = b""
    for p in pictures:
        entries += struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(p), offset)
        offset += len(p)
    return head + entries + b"".join(pictures)


def group_of(ico, first_id=1):
    """The group resource a program carries for `ico`."""
    count = struct.unpack_from("<H", ico, 4)[0]
    out = ico[:6]
    for i in range(count):
        out += ico[6 + 16 * i:6 + 16 * i + 12] + struct.pack("<H", first_id + i)
    return out


def pe_resources(path, with_languages=False):
    """{(type id, name id): data} of a PE file's resources, and its section names;
    with_languages: keyed (type id, name id, language) instead."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"MZ", path
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", path
    sections_n, opt_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    res_rva = struct.unpack_from("<I", data, dirs + 16)[0]
    sections = []
    for i in range(sections_n):
        s = opt + opt_size + 40 * i
        name = data[s:s + 8].rstrip(b"\0").decode()
        vsize, va, rsize, rptr = struct.unpack_from("<IIII", data, s + 8)
        sections.append((name, va, max(vsize, rsize), rptr))

    def off(rva):
        for _, va, size, ptr in sections:
            if va <= rva < va + size:
                return rva - va + ptr
        raise ValueError(f"RVA {rva:#x} outside the sections")

    found = {}
    if not res_rva:
        return found, [s[0] for s in sections]
    base = off(res_rva)

    def entries(at):
        named, ids = struct.unpack_from("<HH", data, base + at + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
            yield name, target

    for type_id, t in entries(0):
        for name_id, n in entries(t & 0x7FFFFFFF):
            for language, leaf in entries(n & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                key = (type_id, name_id, language) if with_languages else (type_id, name_id)
                found[key] = data[off(rva):off(rva) + size]
    return found, [s[0] for s in sections]


def reg_export(key):
    """{section: {value name: (type, value)}} of a 64-bit-view key and its
    sub-keys; type is "sz", "expand", "dword" or the export's own prefix."""
    path = os.path.join(harness.work_dir("reg"), "export.reg")
    rc, _ = ti.wine_tool(["reg", "export", key, harness.to_windows_path(path), "/y", "/reg:64"])
    if rc != 0 or not os.path.exists(path):
        return {}
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    text = re.sub(r"\\\r?\n\s*", "", text)
    out, section = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip("[]").replace("HKEY_LOCAL_MACHINE", "HKLM")
            out[section] = {}
            continue
        m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
        if not m or section is None:
            continue
        name, data = m.group(1).replace("\\\\", "\\"), m.group(2)
        if data.startswith('"'):
            out[section][name] = ("sz", data[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
        elif data.startswith("dword:"):
            out[section][name] = ("dword", int(data[6:], 16))
        elif data.startswith("hex(2):"):
            raw = bytes(int(b, 16) for b in data[7:].split(",") if b)
            out[section][name] = ("expand", raw.decode("utf-16-le").rstrip("\0"))
        else:
            out[section][name] = (data.split(":")[0], data)
    return out


def finish_project(name, folder, finish="", values="", product=None, options=None):
    prod = {"name": name, "version": "5.12.3", "publisher": "Keldwick Tests", "silent": True,
            "install_dir": folder}
    prod.update(product or {})
    opts = {"no_main_window": True, "write_log": True}
    opts.update(options or {})
    text = ti.project(name, product=prod, options=opts)
    return text + (f"\n[finish]\n{finish}\n" if finish else "") + values


PICTURE_A = bytes(range(40)) * 3
PICTURE_B = b"\x55" * 70
UNINSTALL_ICON = icon_file(PICTURE_A, PICTURE_B)
PRODUCT_ICON = icon_file(b"\x11" * 50)
# A 1x1 24-bit picture: the file header, then the DIB header and one padded row.
BITMAP = (b"BM" + struct.pack("<IHHI", 58, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 1, 1, 1, 24, 0, 4, 0, 0, 0, 0)
          + b"\x10\x20\x30\x00")
TREE = {"files/a.txt": b"a" * 3000, "r1.txt": b"first readme", "r2.txt": b"second readme",
        "eula.txt": b"the licence", "un.ico": UNINSTALL_ICON, "app.ico": PRODUCT_ICON, "bg.bmp": BITMAP}

FULL_FINISH = """readme = ["r1.txt", "r2.txt", "empty.txt"]
licence = ["eula.txt"]
save_readme = true
save_licence = true
product_icon = "app.ico"
uninstaller_icon = "un.ico"
background_bitmap = "bg.bmp"
bitmap_size = 80
stretch_mode = 2
reboot_marker = true
"""
EXTRA_VALUES = r"""
[[uninstall_values]]
name = "HelpLink"
data = "%InstallDir%\\help.html"

[[uninstall_values]]
name = "Tools\\Count"
type = "dword"
data = 7

[[uninstall_values]]
name = "Tools\\Home"
type = "expand"
data = "%InstallDir%\\home"

[[uninstall_values]]
name = "Comments"
data = ""
"""


class RegistrationTest(unittest.TestCase):
    maxDiff = None
    NAME = "KS Finish Full"
    FOLDER = f"{BASE}\\Finish Full"
    KEY = f"{UNINSTALL_KEY}\\{NAME}"
    DIR_VALUE_KEY = r"HKLM\Software\KS Finish Tests"

    def setUp(self):
        ti.reg("delete", self.KEY, "/f")
        ti.reg("delete", self.DIR_VALUE_KEY, "/f")
        ti.reg("delete", ti.SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")

    tearDown = setUp

    def install(self, finish, values="", options=None):
        tree = dict(TREE, **{"empty.txt": b""})
        text = finish_project(self.NAME, self.FOLDER, finish, values, options=options,
                              product={"install_dir_registry_value": self.DIR_VALUE_KEY + r"\Folder"})
        installer = harness.build_installer(text, tree)
        ti.assert_silent_success(self, ti.run_setup(installer))
        return installer

    def test_registration_files_and_key(self):
        installer = self.install(FULL_FINISH, EXTRA_VALUES, options={"keep_background": True})
        u = f"{self.FOLDER}\\uninstall"
        uninstaller = f"{u}\\uninstall.exe"
        self.assertEqual(ti.files_below(self.FOLDER), {
            "a.txt", "readme1.txt", "readme2.txt", "eula.txt", "reboot.dat",
            "uninstall\\uninstall.exe", "uninstall\\uninstall.ico", "uninstall\\product.ico",
            "uninstall\\Installer Background.bmp", "uninstall\\Install.log", "uninstall\\Uninstall.DAT"})
        for rel, data in [("readme1.txt", b"first readme"), ("readme2.txt", b"second readme"),
                          ("eula.txt", b"the licence"), ("reboot.dat", b""),
                          ("uninstall\\uninstall.ico", UNINSTALL_ICON), ("uninstall\\product.ico", PRODUCT_ICON),
                          ("uninstall\\Installer Background.bmp", BITMAP)]:
            with open(ti.unix_path(f"{self.FOLDER}\\{rel}"), "rb") as f:
                self.assertEqual(f.read(), data, rel)

        # The uninstaller: the engine without the archive, with the uninstaller icon.
        resources, sections = pe_resources(ti.unix_path(uninstaller))
        self.assertNotIn(".setup", sections)
        self.assertEqual(resources.get((RT_GROUP_ICON, 1)), group_of(UNINSTALL_ICON))
        self.assertEqual((resources.get((RT_ICON, 1)), resources.get((RT_ICON, 2))), (PICTURE_A, PICTURE_B))
        # It replaced the engine's own icon: one group, and none of the engine's images left over.
        icons = {k for k in pe_resources(ti.unix_path(uninstaller), with_languages=True)[0] if k[0] in (RT_ICON, RT_GROUP_ICON)}
        self.assertEqual(icons, {(RT_GROUP_ICON, 1, 0), (RT_ICON, 1, 0), (RT_ICON, 2, 0)})
        # Everything else of the engine's (dialogs, pictures, manifest) is still there.
        engine, _ = pe_resources(harness.find_binary("keldwick-engine.exe"))
        # (Named resources are keyed by their offsets, which differ: compare the data.)
        self.assertEqual(sorted((k[0], v) for k, v in resources.items() if k[0] not in (RT_ICON, RT_GROUP_ICON)),
                         sorted((k[0], v) for k, v in engine.items() if k[0] not in (RT_ICON, RT_GROUP_ICON)))

        # The reboot marker goes at the next restart.
        pending = ti.reg_values(ti.SESSION_MANAGER).get("PendingFileRenameOperations") or []
        self.assertIn("\\??\\" + f"{self.FOLDER}\\reboot.dat", pending)

        keys = reg_export(self.KEY)
        v = keys[self.KEY]
        settings = harness.inspect(installer)["settings"]
        flags = (int(settings["OptionFlags2"], 16) << 32) | int(settings["OptionFlags"], 16)
        today = time.strftime("%Y%m%d")
        expected = {
            "UninstallString": ("sz", f'"{uninstaller}" /u:"{self.NAME}"'),
            "QuietUninstallString": ("sz", f'"{uninstaller}" /a /u:"{self.NAME}"'),
            "DisplayName": ("sz", self.NAME),
            "InstallSource": ("sz", harness.to_windows_path(installer)),
            "Publisher": ("sz", "Keldwick Tests"),
            "Bitness": ("dword", 0),
            "DisplayVersion": ("sz", "5.12.3"),
            "DisplayIcon": ("sz", f"{u}\\product.ico"),
            "VersionMajor": ("dword", 5),
            "VersionMinor": ("dword", 12),
            "ProductFlags": ("sz", str(flags)),
            "ProductFlags2": ("sz", str(harness.inspect(installer)["header"]["ArchiveFlags"]
                                        if isinstance(harness.inspect(installer)["header"]["ArchiveFlags"], int)
                                        else int(harness.inspect(installer)["header"]["ArchiveFlags"], 16))),
            "UninstallSubdir": ("sz", "uninstall"),
            "ProductStartMenu": ("sz", self.NAME),  # the default folder
            # The shared folder has a name (the publisher's) even when no file goes there.
            "SharedPath": ("sz", "C:\\Program Files (x86)\\Common Files\\Keldwick Tests"),
            "EstimatedSize": v.get("EstimatedSize"),  # checked below
            "DisplayTitle": ("sz", self.NAME),
            "TitleColor": ("dword", 0xFFFFFF),
            "TitleSize": ("sz", "1"),
            "TopColor": ("dword", 0x802000),
            "BottomColor": ("dword", 0),
            "MonoColor": ("dword", 0),
            "TitleShadow": ("dword", 1),
            "TitlePosition": ("dword", 0),
            "TitleFont": ("sz", "Arial"),
            "TaskbarText": ("sz", self.NAME),
            "CopyrightText": ("sz", ""),
            "CopyrightFont": ("sz", ""),
            "CopyrightSize": ("sz", "0"),
            "CopyrightColor": ("sz", "0"),
            "CopyrightPos": ("dword", 0),
            "BitmapSize": ("dword", 80),
            "StretchMode": ("dword", 2),
            "HelpLink": ("sz", f"{self.FOLDER}\\help.html"),
            "InstallLocation": ("sz", self.FOLDER),
            "InstallDate": ("sz", today),
        }
        self.assertEqual(v, expected)
        self.assertEqual(v["EstimatedSize"][0], "dword")
        # The payload and the uninstaller (before its icon), in whole clusters, in KB.
        self.assertAlmostEqual(v["EstimatedSize"][1] * 1024, os.path.getsize(ti.unix_path(uninstaller)) + 3000,
                               delta=16384)
        # The extra values below their sub-key; empty ones are not written.
        self.assertEqual(keys[self.KEY + "\\Tools"], {"Count": ("dword", 7), "Home": ("expand", f"{self.FOLDER}\\home")})
        # The folder value names the installation for the next installer.
        self.assertEqual(reg_export(self.DIR_VALUE_KEY)[self.DIR_VALUE_KEY], {"Folder": ("sz", self.FOLDER)})

        # Again without the background: the values an earlier run left go.
        self.install("")
        v = reg_export(self.KEY)[self.KEY]
        for gone in ("BitmapSize", "BitmapTPI", "StretchMode"):
            self.assertNotIn(gone, v)
        self.assertIn("UninstallString", v)

    def test_unknown_extra_value_type_stops_with_code_200(self):
        installer = harness.build_installer(
            finish_project("KS Finish Bad Value", f"{BASE}\\Finish Bad Value",
                           values='[[uninstall_values]]\nname = "Bad"\ndata = "x"\n'), {"files/a.txt": b"a"})
        img = si.SetupImage.load(installer)
        script = img.script()
        start, end = ss.walk(script)[0]["RegistryList"]
        entry = script[start:end]
        self.assertTrue(entry.startswith(b"Bad\0\x01"))
        img.set_script(script[:start] + b"Bad\0\x03" + entry[5:] + script[end:])
        bad = img.save(os.path.join(harness.work_dir("variant"), "bad-value.exe"))
        report = ti.run_setup(bad)
        self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)],
                         [("Error", ti.texts(installer)[13] % 200)])
        self.assertEqual(report["exit_code"], 1)
        ti.reg("delete", f"{UNINSTALL_KEY}\\KS Finish Bad Value", "/f")


class RestartQuestionTest(unittest.TestCase):
    """A file waiting for the restart: the question, answered No."""

    def test_question_when_asked_also_in_silent_runs(self):
        folder = f"{BASE}\\Finish Question"
        target = folder + "\\locked.dll"
        locked = '[[files]]\nsource = "locked.dll"\n'
        text = finish_project("KS Finish Question", folder, "ask_restart_when_silent = true\nreboot_marker = true\n",
                              locked)
        installer = harness.build_installer(text, {"locked.dll": b"new", "files/a.txt": b"a"})
        installer = ti.with_option_flags(installer, ti.OPT_REPLACE_IN_USE, "finish-question")
        os.makedirs(ti.unix_path(folder), exist_ok=True)
        with open(ti.unix_path(target), "wb") as f:
            f.write(b"old")
        try:
            with ti.Holder(target):
                report = probe_run(quote(installer) + " /a", timeout=30, press="No")
            t = ti.texts(installer)
            self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], [(t[20], t[37])])
            self.assertEqual(report["exit_code"], 1)
            # No restart: the marker is still there and the folders stay.
            self.assertTrue(os.path.exists(ti.unix_path(folder + "\\reboot.dat")))
        finally:
            ti.reg("delete", ti.SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")
            ti.reg("delete", f"{UNINSTALL_KEY}\\KS Finish Question", "/f")


class CopiedUninstallerTest(unittest.TestCase):
    """Without the bare engine image the uninstaller is a copy of the
    installer; one in use is replaced at the restart."""
    NAME = "KS Finish Copy"
    FOLDER = f"{BASE}\\Finish Copy"

    def tearDown(self):
        ti.reg("delete", ti.SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")
        ti.reg("delete", f"{UNINSTALL_KEY}\\{self.NAME}", "/f")

    def test_copy_and_its_replacement_when_in_use(self):
        text = finish_project(self.NAME, self.FOLDER, "ask_restart_when_silent = true\n",
                              options={"uninstaller_image": False})
        installer = harness.build_installer(text, {"files/a.txt": b"a"})
        with open(installer, "rb") as f:
            whole = f.read()
        uninstaller = f"{self.FOLDER}\\uninstall\\uninstall.exe"
        ti.assert_silent_success(self, ti.run_setup(installer))
        with open(ti.unix_path(uninstaller), "rb") as f:
            self.assertEqual(f.read(), whole)

        with ti.Holder(uninstaller):
            report = probe_run(quote(installer) + " /a", timeout=30, press="No")
        t = ti.texts(installer)
        self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], [(t[20], t[37])])
        temps = [f for f in ti.files_below(self.FOLDER) if f.startswith("uninstall\\OQT")]
        self.assertEqual(len(temps), 1)
        temp = f"{self.FOLDER}\\{temps[0]}"
        with open(ti.unix_path(temp), "rb") as f:
            self.assertEqual(f.read(), whole)
        self.assertIn(f'"{uninstaller}" was successfully registered for replacement.\r\n'
                      f'Temporary file is "{temp}"\r\nReboot will be required.\r\n', ti.logged_text(self, self.FOLDER))
        pending = ti.reg_values(ti.SESSION_MANAGER).get("PendingFileRenameOperations") or []
        self.assertIn("\\??\\" + temp, pending)


class LaunchOnExitTest(unittest.TestCase):
    def test_program_given_with_r_starts_after_a_clean_run(self):
        folder = f"{BASE}\\Finish Launch"
        installer = harness.build_installer(finish_project("KS Finish Launch", folder), {"files/a.txt": b"a"})
        marker = f"{BASE}\\launched-{os.getpid()}"
        # "`" stands for a double quote inside the /r: text.
        report = probe_run(quote(installer) + f' /a /r:"cmd.exe /c mkdir `{marker}`"', timeout=30)
        ti.assert_silent_success(self, report)
        deadline = time.time() + 20
        while not os.path.isdir(ti.unix_path(marker)) and time.time() < deadline:
            time.sleep(0.1)
        self.assertTrue(os.path.isdir(ti.unix_path(marker)))
        self.assertIn(f"Launch on exit: cmd.exe /c mkdir \"{marker}\"\r\n", ti.logged_text(self, folder))
        ti.reg("delete", f"{UNINSTALL_KEY}\\KS Finish Launch", "/f")


class SilentRestartTest(unittest.TestCase):
    """A silent run with a file waiting restarts without asking. Under Wine a
    restart ends the prefix's session, so this runs in a prefix of its own."""

    def test_silent_run_restarts_without_a_question(self):
        folder = "C:\\KS Restart"
        text = finish_project("KS Finish Restart", folder, "reboot_marker = true\n",
                              '[[files]]\nsource = "locked.dll"\n')
        installer = harness.build_installer(text, {"locked.dll": b"new", "files/a.txt": b"a"})
        installer = ti.with_option_flags(installer, ti.OPT_REPLACE_IN_USE, "finish-restart")
        with wine_env.WineEnv(name=os.environ.get("KS_WINE_NAME", "probe") + "-restart") as e:
            drive_c = os.path.join(e.prefix, "drive_c")
            os.makedirs(os.path.join(drive_c, "KS Restart"), exist_ok=True)
            target = os.path.join(drive_c, "KS Restart", "locked.dll")
            with open(target, "wb") as f:
                f.write(b"old")
            hold_dir = os.path.join(e.out_dir, "hold")
            os.makedirs(hold_dir)
            ready, release = os.path.join(hold_dir, "ready"), os.path.join(hold_dir, "release")
            hold_log = open(os.path.join(hold_dir, "hold.log"), "w")
            holder = subprocess.Popen(["wine", harness.find_binary("hold_file.exe"), folder + "\\locked.dll",
                                       harness.to_windows_path(ready), harness.to_windows_path(release), "60000"],
                                      env=e.env, stdout=hold_log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
            deadline = time.time() + 30
            while not os.path.exists(ready) and time.time() < deadline and holder.poll() is None:
                time.sleep(0.05)
            self.assertTrue(os.path.exists(ready), "hold_file did not take its target")
            try:
                rc = e.run_logged([installer, "/a"], os.path.join(e.out_dir, "setup.log"), timeout=120)
            finally:
                open(release, "w").close()
                try:
                    holder.wait(30)
                except subprocess.TimeoutExpired:
                    holder.kill()
                hold_log.close()
            e.wait_server()  # the restart runs beside the ending installer
            # No question held the run up, and Wine's restart carried out the
            # operations waiting for it: the marker is gone, and with it the
            # list of waiting operations. (The library was still held, so it
            # kept its old content.)
            self.assertEqual(rc, 1)
            self.assertTrue(os.path.exists(os.path.join(drive_c, "KS Restart", "uninstall", "Install.log")))
            self.assertFalse(os.path.exists(os.path.join(drive_c, "KS Restart", "reboot.dat")))
            with open(os.path.join(e.out_dir, "pending.log"), "w") as log:
                subprocess.run(["wine", "reg", "query", ti.SESSION_MANAGER, "/v", "PendingFileRenameOperations",
                                "/reg:64"], env=e.env, stdout=log, stderr=subprocess.STDOUT, timeout=120)
            with open(os.path.join(e.out_dir, "pending.log"), errors="replace") as f:
                self.assertNotIn("reboot.dat", f.read())

if __name__ == "__main__":
    harness.main()
