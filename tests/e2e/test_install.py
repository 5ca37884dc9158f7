"""Silent installations under Wine, seen from outside: the files with their
bytes, times and attributes, Install.log and Uninstall.DAT, a second run over
an earlier installation, a locked file replaced at restart, damaged payloads
and the refusals before the payload.

Every product installs below C:\\KS E2E in a folder of its own and has a name
of its own, so the tests share the session's prefix without meeting."""
import datetime
import functools
import glob
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import setup_image as si  # noqa: E402
from harness import boxes, find_binary, probe_run, quote  # noqa: E402

BASE = "C:\\KS E2E"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SESSION_MANAGER = r"HKLM\System\CurrentControlSet\Control\Session Manager"
# Uninstall.DAT carries these messages, in this order, then ~999.
UNINSTALL_MESSAGES = (10, 15, 20, 30, 34, 35, 49, 53, 55, 56, 57, 58, 59, 65, 67, 68, 69, 70, 71, 74, 79, 80,
                      99, 100, 101, 104, 107, 108, 109, 110, 111)
# What the end of a run leaves in the uninstall data folder beside the payload.
UNINSTALL_FILES = {"uninstall\\Install.log", "uninstall\\Uninstall.DAT", "uninstall\\uninstall.exe"}
SEPARATOR = "\r\n\r\n" + "*" * 46 + "\r\n"
BOM = b"\xef\xbb\xbf"
OPT_REPLACE_IN_USE = 0x800
# The system's 8-bit code page under this Wine prefix (Uninstall.DAT's main section).
ACP = "cp1252"


def setUpModule():
    # A prefix kept from an earlier run (KS_KEEP_PREFIX) still holds the
    # products and their logs: every test starts without them.
    shutil.rmtree(unix_path(BASE), ignore_errors=True)


def project(name, files="files", options=None, product=None, extra=""):
    """A silent product installing into BASE\\<name>, with one [[files]] folder."""
    prod = {"name": name, "version": "1.0", "silent": True, "install_dir": f"{BASE}\\{name}"}
    prod.update(product or {})
    opts = {"no_main_window": True, "write_log": True}
    opts.update(options or {})

    def toml(v):
        if isinstance(v, bool):
            return "true" if v else "false"
        if isinstance(v, int):
            return str(v)
        if isinstance(v, list):
            return "[" + ", ".join(map(toml, v)) + "]"
        return '"' + str(v).replace("\\", "\\\\").replace('"', '\\"') + '"'
    lines = ["[product]"] + [f"{k} = {toml(v)}" for k, v in prod.items()]
    lines += ["", "[options]"] + [f"{k} = {toml(v)}" for k, v in opts.items()]
    lines += ["", "[[files]]", f"source = {toml(files)}", extra]
    return "\n".join(lines) + "\n"


def build(text, tree):
    """Writes `tree` ({relative path: bytes}) beside the project and builds it."""
    return harness.build_installer(text, tree)


def unix_path(win_path):
    """A C: path of the session's prefix on the Unix side."""
    assert win_path[:3].upper() == "C:\\", win_path
    return os.path.join(harness.env().prefix, "drive_c", *win_path[3:].split("\\"))


def files_below(win_folder):
    """Relative Windows paths of every file below a folder (none when it is missing)."""
    root = unix_path(win_folder)
    found = set()
    for d, _, names in os.walk(root):
        for n in names:
            found.add(os.path.relpath(os.path.join(d, n), root).replace("/", "\\"))
    return found


@functools.lru_cache(maxsize=None)
def texts(installer):
    """Message number -> text of the installer's (first) language, placeholders replaced."""
    info = harness.inspect(installer)
    s = info["settings"]
    name = s["ProductName"]
    description = s["ProductDescription"] or name
    return {i: row[0].replace("<product>", name).replace("<description>", description)
            .replace("<os>", "C:\\windows") for i, row in enumerate(s["StringTable"])}


def run_setup(installer, args="/a", timeout=30):
    return probe_run(quote(installer) + (" " + args if args else ""), timeout=timeout)


def assert_silent_success(test, report):
    """An installation run ends with code 1 also after success; silent: no window."""
    test.assertEqual((boxes(report), report["exit_code"]), ([], 1), report["cmdline"])


def wine_tool(argv, timeout=120, encoding="utf-8"):
    """Runs a Wine command line tool; (exit code, its output)."""
    e = harness.env()
    log = os.path.join(harness.work_dir("tool"), "out.log")
    rc = e.run_logged(argv, log, timeout=timeout)
    with open(log, "rb") as f:
        return rc, f.read().decode(encoding, "replace")


def reg(*args):
    """`reg` in the 64-bit view; its exit code."""
    return wine_tool(["reg"] + list(args) + ["/reg:64"])[0]


def reg_values(key):
    """{value name: value} of a 64-bit-view key from `reg export`; REG_MULTI_SZ
    values become lists, REG_SZ texts; {} when the key is missing."""
    path = os.path.join(harness.work_dir("reg"), "export.reg")
    rc, _ = wine_tool(["reg", "export", key, harness.to_windows_path(path), "/y", "/reg:64"])
    if rc != 0 or not os.path.exists(path):
        return {}
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    text = re.sub(r"\\\r?\n\s*", "", text)
    values, section = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip("[]")
            continue
        if section is None or section.lower() != key.lower().replace("hklm", "HKEY_LOCAL_MACHINE").lower():
            continue
        m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
        if not m:
            continue
        name, data = m.group(1).replace("\\\\", "\\"), m.group(2)
        if data.startswith("hex(7):"):
            raw = bytes(int(b, 16) for b in data[7:].split(",") if b)
            values[name] = raw.decode("utf-16-le").split("\0")[:-2] if raw else []
        elif data.startswith('"'):
            values[name] = data[1:-1].replace("\\\\", "\\")
        else:
            values[name] = data
    return values


def attributes(win_folder):
    """{relative path: attribute letters} for the files below a folder, as `attrib` sees them."""
    # Console programs write in the OEM code page.
    _, out = wine_tool(["cmd", "/c", "attrib", "/s", win_folder + "\\*"], encoding="cp437")
    found = {}
    for line in out.splitlines():
        m = re.match(r"^(.{10,13}?)\s*([A-Za-z]:\\.*)$", line.rstrip("\r"))
        if m and m.group(2).lower().startswith(win_folder.lower() + "\\"):
            found[m.group(2)[len(win_folder) + 1:]] = "".join(sorted(m.group(1).replace(" ", "")))
    return found


def read_log(win_folder, subdir="uninstall"):
    with open(unix_path(f"{win_folder}\\{subdir}\\Install.log"), "rb") as f:
        return f.read()


def log_section(name, folder, version, body, last_line, install_type="New", old_version=None):
    """One section of Install.log as logged_text() shows it."""
    lines = [f"Installation log for: {name}", "Install date: <date>"]
    if install_type:
        lines.append(f"Install type: {install_type}")
    lines += [f"Install location: {folder}", "Installer version: 34.0"]
    if version:
        lines.append(f"Product version: {version}")
    if old_version is not None:
        lines.append(f"Overwriting version: {old_version}")
    lines.append("Operating system: <os>")
    return "\r\n".join(lines) + "\r\n\r\n" + body + "\r\n" + last_line + "\r\n"


def logged_text(test, win_folder):
    """Install.log of a product after checking its byte-order mark (once, at
    the start) and each install date (the local time of the run, "d-M-yy
    h:ii:ssap"); dates and the system's name read "<date>" and "<os>"."""
    raw = read_log(win_folder)
    test.assertTrue(raw.startswith(BOM))
    text = raw[3:].decode("utf-8")
    test.assertNotIn("\ufeff", text)
    for date in re.findall(r"^Install date: ([^\r\n]*)", text, re.M):
        m = re.fullmatch(r"(\d{1,2})-([A-Z][a-z]{2})-(\d{4}) (\d{1,2}):(\d\d):(\d\d)([ap])", date)
        test.assertIsNotNone(m, date)
        hour = int(m.group(4)) % 12 + (12 if m.group(7) == "p" else 0)
        when = datetime.datetime.strptime(f"{m.group(1)} {m.group(2)} {m.group(3)}", "%d %b %Y").replace(
            hour=hour, minute=int(m.group(5)), second=int(m.group(6)))
        test.assertLess(abs((datetime.datetime.now() - when).total_seconds()), 300, date)
    text = re.sub(r"(?m)^Install date: [^\r\n]*", "Install date: <date>", text)
    return re.sub(r"(?m)^Operating system: Windows [^\r\n]+", "Operating system: <os>", text)


def temp_files():
    """Files in the prefix user's temporary folder."""
    found = set()
    for d in glob.glob(os.path.join(harness.env().prefix, "drive_c", "users", "*", "Temp")):
        for root, _, names in os.walk(d):
            found.update(os.path.join(root, n) for n in names)
    return found


# --- 1. a product of about 50 files ----------------------------------------

def product_tree():
    """(relative path with "/", bytes, mtime in ns, read-only) of the product's files:
    nested folders (one holding only a folder), names with spaces and code page
    1252 letters, an empty file, a read-only one, and one larger than a payload
    chunk so that records cross a chunk boundary."""
    rng = random.Random(1234)
    folders = ["", "bin", "docs", "docs/more", "docs/more/deep level", "data files/level 1/level 2", "Crème"]
    sizes = [1, 7, 100, 511, 4095, 4096, 4097, 20000]
    entries = []
    for fi, folder in enumerate(folders):
        for k in range(7):
            name = f"file {fi}{k}.txt" if k % 2 else f"part_{fi}{k}.bin"
            size = sizes[(fi + k) % len(sizes)]
            data = (bytes(rng.randrange(256) for _ in range(size)) if k % 3 == 0
                    else (f"{folder}/{name} line\r\n" * (size // 20 + 1)).encode()[:size])
            entries.append([f"{folder}/{name}".lstrip("/"), data])
    entries += [["empty file.dat", b""], ["read only.cfg", b"locked=1\r\n"], ["bin/big payload.bin", rng.randbytes(1300000)],
                ["docs/Café menu.txt", "Crème brûlée\r\n".encode()]]
    out = []
    for i, (rel, data) in enumerate(entries):
        # Distinct times from 2001 on, with fractions of a second in the
        # 100 ns steps of a file time.
        mtime = (978307200 + i * (86400 * 17 + 3671)) * 10**9 + (i + 1) * 1234500
        out.append((rel, data, mtime, rel == "read only.cfg"))
    return out


class ProductInstallTest(unittest.TestCase):
    NAME = "KS Files Product"
    FOLDER = f"{BASE}\\{NAME}"

    @classmethod
    def setUpClass(cls):
        cls.tree = product_tree()
        d = harness.work_dir("product")
        for rel, data, mtime, read_only in cls.tree:
            p = os.path.join(d, "files", *rel.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data)
            os.chmod(p, 0o444 if read_only else 0o644)
            os.utime(p, ns=(mtime, mtime))
        pf = os.path.join(d, "project.toml")
        with open(pf, "w", encoding="utf-8") as f:
            f.write(project(cls.NAME, options={"verbose_log": True, "clear_attributes": True},
                            product={"version": "2.5.1"}) + '[archive]\nfile_times = "sources"\n')
        cls.installer = harness.build_installer(pf)
        img = si.SetupImage.load(cls.installer)
        cls.records = img.payload_records()
        cls.chunk_count = len(si.read_chunks(img.archive.payload))
        cls.report = run_setup(cls.installer)

    def test_files_bytes_times_and_attributes(self):
        assert_silent_success(self, self.report)
        expected = {rel.replace("/", "\\"): (data, mtime, ro) for rel, data, mtime, ro in self.tree}
        self.assertEqual(len(expected), 53)
        self.assertGreater(self.chunk_count, 1)  # the big file's record spans chunks
        self.assertEqual(files_below(self.FOLDER) - UNINSTALL_FILES, set(expected))
        # Wine keeps no creation time of its own on this file system, so only
        # the last-write time can be read back.
        for rel, (data, mtime, read_only) in expected.items():
            with self.subTest(rel):
                p = unix_path(f"{self.FOLDER}\\{rel}")
                with open(p, "rb") as f:
                    self.assertEqual(f.read(), data)
                st = os.stat(p)
                self.assertEqual(st.st_mtime_ns, mtime)
                self.assertEqual(st.st_mode & 0o222 == 0, read_only)
        seen = attributes(self.FOLDER)
        self.assertEqual({rel: seen.get(rel) for rel in expected},
                         {rel: "AR" if ro else "A" for rel, (_, _, ro) in expected.items()})

    def test_install_log(self):
        assert_silent_success(self, self.report)
        body = "".join(f"{r.FileName.decode(ACP).split(chr(92))[-1]} >>> {self.FOLDER}\\{r.FileName.decode(ACP)}\r\n"
                       for r in self.records)
        self.assertEqual(logged_text(self, self.FOLDER),
                         log_section(self.NAME, self.FOLDER, "2.5.1", body, texts(self.installer)[43]))

    def test_uninstall_data(self):
        assert_silent_success(self, self.report)
        main, folders = [], set()
        for r in self.records:
            rel = r.FileName.decode(ACP)
            if "\\" in rel:
                folder = f"{self.FOLDER}\\{rel.rsplit(chr(92), 1)[0]}"
                if folder.lower() not in folders:
                    folders.add(folder.lower())
                    main.append("~" + folder)
            main.append(f"{self.FOLDER}\\{rel}")
        t = texts(self.installer)
        strings = "".join(f"~{n}\r\n{t[n]}\r\n" for n in UNINSTALL_MESSAGES) + f"~999\r\n{t[0]}\r\n"
        expected = "".join(line + "\r\n" for line in main).encode(ACP) + b"\r\n\r\n[Strings]\r\n" + strings.encode()
        with open(unix_path(f"{self.FOLDER}\\uninstall\\Uninstall.DAT"), "rb") as f:
            self.assertEqual(f.read().decode("latin-1"), expected.decode("latin-1"))


# --- 2. a second run over an earlier installation --------------------------

class SecondInstallTest(unittest.TestCase):
    NAME = "KS Second Run"
    FOLDER = f"{BASE}\\{NAME}"
    KEY = f"{UNINSTALL_KEY}\\KS Second Run"

    def tearDown(self):
        reg("delete", self.KEY, "/f")

    def test_each_run_appends_a_section_classified_by_install_type(self):
        installer = build(project(self.NAME, options={"compare_versions": True}, product={"version": "1.0"}),
                          {"files/a.txt": b"a", "files/sub/b.txt": b"b"})
        last = texts(installer)[43]
        assert_silent_success(self, run_setup(installer))
        sections = [log_section(self.NAME, self.FOLDER, "1.0", "", last)]
        # The uninstall registration that would tell the next run about this
        # one is written by a later step of the installation; the key is made
        # here with the two values the earlier-installation check reads.
        cases = [("1.0", "Reinstall"),   # InstallType 4: same version
                 ("0.9", "New"),         # 5: upgrade
                 ("1.0.1", "New")]       # 6: downgrade
        for old, install_type in cases:
            with self.subTest(old=old):
                self.assertEqual(reg("add", self.KEY, "/v", "InstallLocation", "/d", self.FOLDER, "/f"), 0)
                self.assertEqual(reg("add", self.KEY, "/v", "DisplayVersion", "/d", old, "/f"), 0)
                assert_silent_success(self, run_setup(installer))
                sections.append(log_section(self.NAME, self.FOLDER, "1.0", "", last, install_type, old))
                self.assertEqual(logged_text(self, self.FOLDER).split(SEPARATOR), sections)


# --- 3. a file in use ------------------------------------------------------

class Holder:
    """hold_file.exe keeping a file open without sharing (or owning a mutex)."""

    def __init__(self, target, mutex=False):
        self.dir = harness.work_dir("hold")
        self.ready = os.path.join(self.dir, "ready")
        self.release = os.path.join(self.dir, "release")
        argv = [find_binary("hold_file.exe")] + (["--mutex", target] if mutex else [target])
        argv += [harness.to_windows_path(self.ready), harness.to_windows_path(self.release), "60000"]
        self.log = open(os.path.join(self.dir, "hold.log"), "w")
        self.proc = subprocess.Popen(["wine"] + argv, env=harness.env().env, stdout=self.log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def __enter__(self):
        deadline = time.time() + 30
        while not os.path.exists(self.ready):
            if self.proc.poll() is not None or time.time() > deadline:
                self.stop()
                raise AssertionError("hold_file did not take its target: " +
                                     open(os.path.join(self.dir, "hold.log")).read())
            time.sleep(0.05)
        return self

    def stop(self):
        open(self.release, "w").close()
        try:
            return self.proc.wait(30)
        finally:
            self.log.close()

    def __exit__(self, *exc):
        self.stop()
        return False


def with_option_flags(installer, bits, name, clear=0):
    """The installer with OptionFlags bits added to (or cleared from) its
    script, for settings the project file does not name or refuses."""
    img = si.SetupImage.load(installer)
    script = img.script()
    flags = (struct.unpack_from("<I", script, 0)[0] | bits) & ~clear
    img.set_script(struct.pack("<I", flags) + script[4:])
    return img.save(os.path.join(harness.work_dir("variant"), name + ".exe"))


OLD_TIME = 788918400  # 1995-01-01, older than any build (files carry 2000-01-01 unless told otherwise)


class FileInUseTest(unittest.TestCase):
    OLD = b"old content of the locked library\r\n"
    NEW = b"new content of the locked library, a little longer\r\n"

    def clear_pending(self):
        """Later runs and tests must not meet this test's restart operations."""
        reg("delete", SESSION_MANAGER, "/v", "PendingFileRenameOperations", "/f")

    tearDown = clear_pending

    def test_locked_file(self):
        # (case, kind of locked.dll, OptionFlags added, replaced at restart, log line before the registration)
        cases = [
            ("ordinary file, files in use replaced", "file", OPT_REPLACE_IN_USE, True, None),
            # A versioned file that existed may always wait for the restart.
            ("versioned file, existing copy older", "versioned", 0, True,
             r"{target} needs replacement because its date \([^)]+\) is newer than [^\r\n]+\r\n"),
            ("ordinary file", "file", 0, False, None),
        ]
        for n, (case, kind, flags, replaced, reason) in enumerate(cases):
            with self.subTest(case):
                self.clear_pending()
                folder = f"{BASE}\\In Use {n}"
                target = folder + "\\locked.dll"
                # A silent run would restart Windows at once, ending the session's processes.
                locked = f'[[files]]\nsource = "locked.dll"\nkind = "{kind}"\n\n[finish]\nask_restart_when_silent = true\n'
                installer = build(project(f"KS In Use {n}", product={"install_dir": folder}, extra=locked),
                                  {"locked.dll": self.NEW, "files/free.txt": b"free"})
                if flags:  # no name in the project file
                    installer = with_option_flags(installer, flags, f"in-use-{n}")
                os.makedirs(unix_path(folder), exist_ok=True)
                with open(unix_path(target), "wb") as f:
                    f.write(self.OLD)
                os.utime(unix_path(target), (OLD_TIME, OLD_TIME))
                with Holder(target):
                    report = probe_run(quote(installer) + " /a", timeout=30, press="No")
                question = [(texts(installer)[20], texts(installer)[37])] if replaced else []
                self.assertEqual(([(b["caption"], b["text"]) for b in boxes(report)], report["exit_code"]),
                                 (question, 1))
                self.check_locked(installer, folder, target, replaced, reason)

    def check_locked(self, installer, folder, target, replaced, reason):
        temps = [f for f in files_below(folder) if f.startswith("OQT")]
        self.assertEqual(files_below(folder) - set(temps), {"locked.dll", "free.txt"} | UNINSTALL_FILES)
        with open(unix_path(target), "rb") as f:
            self.assertEqual(f.read(), self.OLD)
        text = logged_text(self, folder)
        pending = reg_values(SESSION_MANAGER).get("PendingFileRenameOperations")
        if not replaced:
            self.assertEqual(temps, [])
            self.assertIsNone(pending)
            self.assertRegex(text, "\r\n\\*\\*\\* FAILURE SUMMARY \\*\\*\\*\r\n\r\n" + re.escape(
                f"{texts(installer)[31]} {target}\r\n") + r"[^\r\n]+\r\n\r\n$")
            return
        # The new content waits beside the file, registered to replace it at restart.
        self.assertEqual(len(temps), 1, temps)
        temp = f"{folder}\\{temps[0]}"
        with open(unix_path(temp), "rb") as f:
            self.assertEqual(f.read(), self.NEW)
        self.assertEqual(pending, ["\\??\\" + temp, "!\\??\\" + target])
        registered = re.escape(f'"{target}" was successfully registered for replacement.\r\n'
                               f'Temporary file is "{temp}"\r\nReboot will be required.\r\n\r\n')
        before = reason.replace("{target}", re.escape(target)) if reason else "\r\n"
        self.assertRegex(text, before + registered)
        self.assertTrue(text.endswith("\r\n" + texts(installer)[43] + "\r\n"), text)

        # A restart of the prefix carries the replacement out.
        self.assertEqual(wine_tool(["wineboot", "-r"])[0], 0)
        with open(unix_path(target), "rb") as f:
            self.assertEqual(f.read(), self.NEW)
        self.assertFalse(os.path.exists(unix_path(temp)))
        self.assertNotIn("PendingFileRenameOperations", reg_values(SESSION_MANAGER))


# --- 4. damaged payloads ---------------------------------------------------

CORRUPT_FILES = [f"f{i}.txt" for i in range(8)]


@functools.lru_cache(maxsize=None)
def corrupt_base():
    tree = {f"files/{n}": (f"payload file {n}\r\n" * (40 + i)).encode() for i, n in enumerate(CORRUPT_FILES)}
    return build(project("KS Damaged"), tree)


def payload_variant(name, make_area, checksum=None):
    """The base installer with the payload area `make_area(records)`, its
    PayloadChecksum recomputed (or `checksum`)."""
    img = si.SetupImage.load(corrupt_base())
    img.set_payload(make_area(img.payload_records()), checksum)
    return img.save(os.path.join(harness.work_dir("payload"), name + ".exe"))


def chunks(*groups):
    """One sound chunk per list of encoded records."""
    return b"".join(si.chunk(b"".join(g)) for g in groups)


def two_chunks(records, second=si.chunk):
    """Files 0-3 in a sound first chunk, 4-7 in a second one made by `second(plain)`."""
    enc = [r.encode() for r in records]
    return si.chunk(b"".join(enc[:4])) + second(b"".join(enc[4:]))


def damaged_record(index, change, checksum=None):
    """Every record in one chunk; record `index` changed by `change(record)`."""
    def make(records):
        enc = [r.encode() for r in records]
        change(records[index])
        enc[index] = records[index].encode(checksum=checksum)
        return chunks(enc)
    return make


def setattr_(field, value):
    return lambda r: setattr(r, field, value)


def split_inside_record(records):
    """Sound: the stream cut in the middle of record 2 and of record 6's length."""
    stream = b"".join(r.encode() for r in records)
    enc = [r.encode() for r in records]
    cut1 = sum(map(len, enc[:2])) + 10
    cut2 = sum(map(len, enc[:6])) + 2
    return chunks([stream[:cut1]], [stream[cut1:cut2]], [stream[cut2:]])


# (name, payload area from the records, PayloadChecksum or None, code, files written before the damage)
PAYLOAD_CASES = [
    ("sound-split-records", split_inside_record, None, None, 8),
    ("payload-checksum", lambda rs: chunks([r.encode() for r in rs]), 0x12345678, 55, 0),
    ("chunk-size-0", lambda rs: two_chunks(rs, lambda p: si.chunk(p, size=0)), None, 61, 4),
    ("chunk-size-negative", lambda rs: two_chunks(rs, lambda p: si.chunk(p, size=-5)), None, 61, 4),
    ("chunk-beyond-area", lambda rs: two_chunks(rs, lambda p: si.chunk(p)[:-1]), None, 63, 4),
    ("chunk-checksum", lambda rs: two_chunks(rs, lambda p: si.chunk(p, checksum=1)), None, 62, 4),
    ("chunk-not-zlib", lambda rs: two_chunks(rs, lambda p: si.chunk(p, stored=b"not a zlib stream")), None, 60, 4),
    ("content-checksum", damaged_record(5, lambda r: None, checksum=7), None, 100, 5),
    ("empty-file-name", damaged_record(5, setattr_("FileName", b"")), None, 70, 5),
    ("kind-without-folder", damaged_record(5, setattr_("Kind", 2)), None, 110, 5),
    ("chunk-after-last-record", lambda rs: two_chunks(rs) + si.chunk(b"spare"), None, 80, 8),
    ("bytes-after-last-record", lambda rs: chunks([r.encode() for r in rs] + [b"\0\0"]), None, 83, 8),
    # A file name that leaves its folder is a damaged record, not a place to write.
    ("name-climbs-out", damaged_record(5, setattr_("FileName", b"..\\..\\escaped.txt")), None, 70, 5),
    ("name-with-drive", damaged_record(5, setattr_("FileName", b"C:\\escaped.txt")), None, 70, 5),
    ("name-with-stream", damaged_record(5, setattr_("FileName", b"f0.txt:escaped")), None, 70, 5),
]


class DamagedPayloadTest(unittest.TestCase):
    def test_each_damage_shows_its_code_and_leaves_only_earlier_files(self):
        corrupt = texts(corrupt_base())[13]
        for name, make_area, checksum, code, written in PAYLOAD_CASES:
            with self.subTest(name, code=code):
                # The sound run registers the product; a later run would go to its folder.
                reg("delete", f"{UNINSTALL_KEY}\\KS Damaged", "/f")
                folder = f"{BASE}\\Damaged {name}"
                report = run_setup(payload_variant(name, make_area, checksum), f'/a /d:"{folder}"')
                if code is None:
                    assert_silent_success(self, report)
                else:
                    self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)],
                                     [("Error", corrupt % code)])
                    self.assertEqual(report["exit_code"], 1)
                self.assertEqual(files_below(folder) - UNINSTALL_FILES, set(CORRUPT_FILES[:written]))
                if code is not None:
                    self.assertEqual(files_below(folder + "\\uninstall"), set())
                self.assertFalse(os.path.exists(unix_path("C:\\escaped.txt")))

    def test_damaged_run_leaves_no_temporary_log(self):
        # The log collects its lines in a temporary file until the end; a run
        # that stops on damage must remove it as an orderly end does.
        before = temp_files()
        name, make_area, checksum, code, _ = PAYLOAD_CASES[2]
        report = run_setup(payload_variant(name + "-temp", make_area, checksum), f'/a /d:"{BASE}\\Damaged temp"')
        self.assertEqual(len(boxes(report)), 1)
        self.assertEqual(temp_files() - before, set())


class KilledRunTest(unittest.TestCase):
    def test_file_being_written_when_the_run_dies_is_not_left_behind(self):
        # A killed run once left its current file truncated under its name,
        # and a rerun that keeps newer files took it for installed.
        name = "KS Killed Run"
        folder = f"{BASE}\\{name}"
        big = random.Random(3).randbytes(96 * 2**20)
        installer = build(project(name, options={"compress": False}), {"files/big.bin": big})
        target = unix_path(f"{folder}\\big.bin")
        e = harness.env()
        with open(os.path.join(harness.work_dir("killed"), "run.log"), "w") as log:
            p = subprocess.Popen(["wine", installer, "/a"], env=e.env, stdout=log, stderr=subprocess.STDOUT,
                                 stdin=subprocess.DEVNULL)
            deadline = time.time() + 60
            # Killed while bytes go in: the mark is set before the first byte.
            while p.poll() is None and time.time() < deadline and \
                    not (os.path.exists(target) and os.path.getsize(target) > 0):
                time.sleep(0.002)
            size = os.path.getsize(target) if os.path.exists(target) else None
            p.kill()
            p.wait(30)
        self.assertIsNotNone(size, "the run ended before its file appeared")
        if size == len(big):
            self.skipTest("the file was written whole before the kill")
        # The server closes the dead process's handles, and so deletes the
        # marked file, in its own time: a busy machine can take many seconds.
        deadline = time.time() + 60
        while os.path.exists(target) and time.time() < deadline:
            time.sleep(0.05)
        # The write may have ended between the size check and the kill.
        if os.path.exists(target) and os.path.getsize(target) == len(big):
            self.skipTest("the file was written whole before the kill")
        self.assertFalse(os.path.exists(target), "a partial file stayed under its name")
        self.assertEqual([f for f in files_below(folder) if not f.startswith("uninstall\\")], [])


# --- 5. refusals before the payload ----------------------------------------

class RefusalTest(unittest.TestCase):
    REQUIRED_KEY = f"{UNINSTALL_KEY}\\KS Required Base"

    @classmethod
    def setUpClass(cls):
        # The system's name as the engine reports it, from a sound run's log.
        name = "KS Refusal Probe"
        installer = build(project(name), {"files/x.txt": b"x"})
        run_setup(installer)
        m = re.search(r"\r\nOperating system: ([^\r\n]+)\r\n", read_log(f"{BASE}\\{name}").decode("utf-8"))
        cls.os_name = m.group(1)

    def tearDown(self):
        reg("delete", self.REQUIRED_KEY, "/f")

    def installer(self, name, product=None, options=None, extra=""):
        return build(project(name, product=product, options=options, extra=extra), {"files/x.txt": b"x"})

    def refused(self, installer, text, folder):
        report = run_setup(installer, "")  # silent by the product's own setting, or not at all
        t = texts(installer)
        self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], [(t[21], text)] if text else [])
        self.assertEqual(report["exit_code"], 1)
        self.assertFalse(os.path.exists(unix_path(folder)), folder)

    def test_refusals(self):
        quiet = {"silent_errors": True}
        # A silent run refuses the wrong bitness at once, even with silent
        # errors shown; a run with pages shows message 81.
        i32 = self.installer("KS Refuse 32", {"bitness": "32"}, quiet)
        i32_shown = self.installer("KS Refuse 32 Shown", {"bitness": "32", "silent": False})
        # The prefix reports Windows 7.
        i7 = self.installer("KS Refuse Seven", {"excluded_systems": ["xp", "7"]}, quiet)
        i7_quiet = self.installer("KS Refuse Seven Quiet", {"excluded_systems": ["7"]})
        required_table = '\n[required_product]\nkey = "KS Required Base"\nname = "Required Base"\n'
        required = self.installer("KS Refuse Required", options=quiet, extra=required_table)
        required_new = self.installer("KS Refuse Required", options=quiet, extra=required_table + 'version = "2.0"\n')
        single = self.installer("KS Refuse Single", options={"silent_errors": True, "single_instance": True})
        cases = [
            # A 32-bit product on this 64-bit system.
            ("bitness", i32, lambda t: None),
            ("bitness shown", i32_shown, lambda t: t[81] % 32),
            ("excluded system", i7, lambda t: t[61] % self.os_name),
            ("excluded system silent", i7_quiet, lambda t: None),
            ("required product missing", required, lambda t: t[12] % "Required Base"),
        ]
        for name, installer, text in cases:
            with self.subTest(name):
                self.refused(installer, text(texts(installer)), f"{BASE}\\{texts(installer)[0]}")

        with self.subTest("required product too old"):
            reg("add", self.REQUIRED_KEY, "/v", "UninstallString", "/d", "x.exe", "/f")
            reg("add", self.REQUIRED_KEY, "/v", "DisplayVersion", "/d", "1.9", "/f")
            t = texts(required_new)
            self.refused(required_new, t[112] % ("2.0", "Required Base"), f"{BASE}\\KS Refuse Required")
            # Installed and new enough: the run goes on and installs.
            assert_silent_success(self, run_setup(required))
            self.assertEqual(files_below(f"{BASE}\\KS Refuse Required"), {"x.txt"} | UNINSTALL_FILES)

        with self.subTest("single instance"):
            with Holder("Keldwick GCS", mutex=True):
                self.refused(single, texts(single)[91], f"{BASE}\\KS Refuse Single")

    def test_password_is_asked_also_in_silent_runs(self):
        # /a must not install past the password: its page comes up in silent
        # runs too, and its Cancel aborts. The abort of a silent run shows nothing.
        for name, product, args in [("KS Password Silent", {"password": "secret"}, "/a"),
                                    ("KS Password Own Silent", {"password": "secret"}, ""),
                                    ("KS Password Shown", {"password": "secret", "silent": False}, "")]:
            with self.subTest(name):
                installer = self.installer(name, product)
                t = texts(installer)
                greeting = "Shown" in name
                report = probe_run(quote(installer) + (" " + args if args else ""), timeout=30,
                                   press=["default"] * greeting + [1003, "default"])
                shown = [(t[65], None)] * greeting + [(t[75], None)] + [(t[111], t[98])] * greeting
                self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], shown)
                self.assertEqual(report["exit_code"], 1)
                self.assertFalse(os.path.exists(unix_path(f"{BASE}\\{name}")), name)



class PlacementTest(unittest.TestCase):
    """Destinations that expand to a path without a drive stay inside the installation."""

    def test_shared_files_without_a_shared_folder(self):
        # Without the uninstaller there is no shared folder: %SharedDir% is
        # empty, and "%SharedDir%\\" once put the file at the drive's root.
        # The builder refuses such a product, so the option is taken out of a
        # built one, as an older or hand-made installer may have it.
        name = "KS No Shared Folder"
        folder = f"{BASE}\\{name}"
        cwd = harness.work_dir("cwd")
        extra = ('[[files]]\nsource = "changes.txt"\nkind = "shared"\ndest = "%SharedDir%\\\\"\n'
                 '[[files]]\nsource = "notes.txt"\nkind = "shared"\n')
        installer = build(project(name, extra=extra),
                          {"files/a.txt": b"a", "changes.txt": b"changes", "notes.txt": b"notes"})
        installer = with_option_flags(installer, 0, "no-uninstaller", clear=0x4)
        report = probe_run(quote(installer) + " /a", cwd=cwd)
        assert_silent_success(self, report)
        self.assertEqual(files_below(folder) - {"uninstall\\Install.log"}, {"a.txt", "changes.txt", "notes.txt"})
        with open(unix_path(f"{folder}\\changes.txt"), "rb") as f:
            self.assertEqual(f.read(), b"changes")
        for stray in ("C:\\changes.txt", "C:\\notes.txt"):
            self.assertFalse(os.path.exists(unix_path(stray)), stray)
        self.assertEqual(os.listdir(cwd), [])

    def test_shared_folder_only_when_a_file_goes_there(self):
        # The shared folder's name defaults to the publisher even when no file
        # uses it; an installation must not leave an empty folder behind.
        common = [f"C:\\{pf}\\Common Files" for pf in ("Program Files", "Program Files (x86)")]
        for name, extra, expect in (
                ("KS Shared Unused", "", set()),
                ("KS Shared Used", '[[files]]\nsource = "lib.txt"\nkind = "shared"\n', {"lib.txt"})):
            with self.subTest(name=name):
                publisher = name + " Maker"
                for c in common:
                    shutil.rmtree(unix_path(f"{c}\\{publisher}"), ignore_errors=True)
                installer = build(project(name, product={"publisher": publisher}, extra=extra),
                                  {"files/a.txt": b"a", "lib.txt": b"lib"})
                assert_silent_success(self, probe_run(quote(installer) + " /a"))
                found = [c for c in common if os.path.isdir(unix_path(f"{c}\\{publisher}"))]
                if expect:
                    self.assertEqual(len(found), 1, found)
                    self.assertEqual(files_below(f"{found[0]}\\{publisher}"), expect)
                else:
                    self.assertEqual(found, [])


class FlowTest(unittest.TestCase):
    """Phases of the flow around the payload: the restore point, the earlier
    installation's rules and the folder taken from the registry or /d."""
    KEY = f"{UNINSTALL_KEY}\\KS Flow Earlier"
    SOURCE = r"HKCU\Software\KS E2E Flow"

    def tearDown(self):
        reg("delete", self.KEY, "/f")
        reg("delete", self.SOURCE, "/f")

    def earlier(self, folder, version, **values):
        """The uninstall key of an earlier installation, holding only these values."""
        reg("delete", self.KEY, "/f")
        os.makedirs(unix_path(folder), exist_ok=True)
        reg("add", self.KEY, "/v", "InstallLocation", "/d", folder, "/f")
        reg("add", self.KEY, "/v", "DisplayVersion", "/d", version, "/f")
        for name, data in values.items():
            reg("add", self.KEY, "/v", name, "/d", data, "/f")

    def test_restore_point_failure_is_logged_and_the_run_goes_on(self):
        name = "KS Flow Restore"
        installer = build(project(name, options={"restore_point": True}), {"files/x.txt": b"x"})
        assert_silent_success(self, run_setup(installer))
        log = read_log(f"{BASE}\\{name}").decode("utf-8")
        # Wine's System Restore refuses every request: the reason follows FAILED.
        self.assertRegex(log, r"\r\n\r\nCreating restore point\.\.\.FAILED\r\n[^\r\n]+\r\n\r\n")
        self.assertIn("x.txt", files_below(f"{BASE}\\{name}"))

    def test_earlier_installation_rules(self):
        folder = f"{BASE}\\KS Flow Earlier Folder"
        product = {"uninstall_key": "KS Flow Earlier", "no_downgrade_below": "", "version": "1.0"}
        opts = {"silent_errors": True}
        downgrade = build(project("KS Flow Downgrade", options=opts, product=product), {"files/d.txt": b"d"})
        must = build(project("KS Flow Must", options=dict(opts, must_uninstall_first=True),
                             product=dict(product, must_uninstall_below="2.0")), {"files/m.txt": b"m"})
        upgrade = build(project("KS Flow Upgrade", options=opts, product=product), {"files/u.txt": b"u"})

        with self.subTest("no downgrade below the stored version"):
            self.earlier(folder, "3.0", NoDowngradeBelow="2.0", UninstallString="x.exe")
            t = texts(downgrade)
            report = run_setup(downgrade)
            self.assertEqual([(b["caption"], b["text"]) for b in boxes(report)], [(t[21], t[106] % "2.0")])
            self.assertEqual(report["exit_code"], 1)
            self.assertNotIn("d.txt", files_below(folder))

        with self.subTest("an old version must be removed first"):
            self.earlier(folder, "1.5", UninstallString="x.exe")
            report = run_setup(must)
            # Its page is not drawn yet, so nobody agrees: the run ends, nothing installed.
            self.assertEqual(report["exit_code"], 1)
            self.assertNotIn("m.txt", files_below(folder))

        with self.subTest("an earlier installation's folder is the destination"):
            self.earlier(folder, "0.9")
            assert_silent_success(self, run_setup(upgrade))
            self.assertIn("u.txt", files_below(folder))
            self.assertIn("Overwriting version: 0.9\r\n", read_log(folder).decode("utf-8"))

    def test_destination_from_registry_and_command_line(self):
        target = f"{BASE}\\KS Flow From Registry"
        os.makedirs(unix_path(target), exist_ok=True)
        from_reg = build(project("KS Flow Registry", options={"silent_errors": True},
                                 product={"install_dir": self.SOURCE + "\\Folder"}), {"files/r.txt": b"r"})
        with self.subTest("value missing"):
            report = run_setup(from_reg)
            self.assertEqual([b["text"] for b in boxes(report)],
                             [f'Failed to obtain installation path from "{self.SOURCE}\\Folder"'])
            self.assertEqual(report["exit_code"], 1)
        with self.subTest("value names an existing folder"):
            reg("add", self.SOURCE, "/v", "Folder", "/d", target, "/f")
            assert_silent_success(self, run_setup(from_reg))
            self.assertIn("r.txt", files_below(target))
        with self.subTest("/d overrides the default folder"):
            name = "KS Flow Dir"
            installer = build(project(name), {"files/c.txt": b"c"})
            other = f"{BASE}\\KS Flow Elsewhere"
            assert_silent_success(self, run_setup(installer, f'/a /d:"{other}"'))
            self.assertIn("c.txt", files_below(other))
            self.assertFalse(os.path.exists(unix_path(f"{BASE}\\{name}")))


ENVIRONMENT_KEY = SESSION_MANAGER + r"\Environment"


def machine_path():
    """(type, text) of the machine's Path as `reg query` shows it."""
    rc, out = wine_tool(["reg", "query", ENVIRONMENT_KEY, "/v", "Path", "/reg:64"])
    m = re.search(r"^\s*Path\s+(REG_\w+)\s+(.*?)\r?$", out, re.M | re.I)
    assert rc == 0 and m, out
    return m.group(1), m.group(2)


class SystemChangesTest(unittest.TestCase):
    """The install folder joins the machine's PATH, and Everyone gets full access to it."""
    NAME = "KS Path Product"
    FOLDER = f"{BASE}\\{NAME}"

    def setUp(self):
        self.saved = machine_path()
        self.addCleanup(lambda: reg("add", ENVIRONMENT_KEY, "/v", "Path", "/t", self.saved[0],
                                    "/d", self.saved[1], "/f"))

    def test_path_entry_and_folder_rights(self):
        installer = build(project(self.NAME, options={"add_to_path": True, "folder_rights": True}),
                          {"files/tool.exe": b"MZ"})
        assert_silent_success(self, run_setup(installer))
        kind, value = machine_path()
        self.assertEqual(kind, self.saved[0])  # REG_EXPAND_SZ stays expandable
        self.assertEqual(value, self.saved[1].rstrip(";") + ";" + self.FOLDER)

        text = logged_text(self, self.FOLDER)
        self.assertIn(f'Granting rights to directory "{self.FOLDER}"...OK\r\n', text)
        self.assertNotIn("to the PATH", text)

        # A second run finds the entry, in any letter case, and adds none.
        reg("add", ENVIRONMENT_KEY, "/v", "Path", "/t", kind, "/d", value.upper() + "\\", "/f")
        assert_silent_success(self, run_setup(installer))
        self.assertEqual(machine_path(), (kind, value.upper() + "\\"))


if __name__ == "__main__":
    harness.main()
