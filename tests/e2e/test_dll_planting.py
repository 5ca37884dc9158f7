"""DLL planting: a library placed beside setup.exe under a system library's
name must never be loaded. The engine's import table holds only libraries that
Windows always takes from the system folder (KnownDLLs); everything else is
loaded at run time from the system folder. Under Wine, `name=n,b` in
WINEDLLOVERRIDES makes the loader prefer a copy beside the executable, as
Windows does for libraries outside KnownDLLs."""
import contextlib
import os
import shutil
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import boxes, find_binary  # noqa: E402
from test_install import BASE, OLD_TIME, UNINSTALL_FILES, files_below, logged_text, project, run_setup, unix_path  # noqa: E402

# KnownDLLs of every Windows from 7 on (the list shrank after 7: wininet,
# urlmon, iertutil, usp10 and lpk left it), and ntdll, which is always mapped
# first. The static mingw runtime imports only msvcrt and kernel32.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll",
    "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
    "ntdll.dll",
}

# Libraries outside KnownDLLs that the engine uses or that a GUI program of
# this kind commonly pulls in; each gets a planted copy beside the installer.
PLANTED = ["version.dll", "msimg32.dll", "riched20.dll", "msi.dll", "wininet.dll", "rasapi32.dll",
           "srclient.dll", "uxtheme.dll", "dwmapi.dll", "cryptbase.dll"]


class PeImports:
    """The DLL names of a PE file's import and delay-import directories."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = self.u32(60)
        assert self.data[pe:pe + 4] == b"PE\0\0", path
        count, optional_size = self.u16(pe + 6), self.u16(pe + 20)
        optional = pe + 24
        self.pe32 = self.u16(optional) == 0x10B
        self.image_base = (self.u32(optional + 28) if self.pe32
                           else struct.unpack_from("<Q", self.data, optional + 24)[0])
        self.directories = optional + (96 if self.pe32 else 112)
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8) for i in range(count)]

    def u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def offset(self, rva):
        for vsize, va, raw_size, raw_pointer in self.sections:
            if va <= rva < va + max(vsize, raw_size):
                return rva - va + raw_pointer
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text(self, rva):
        off = self.offset(rva)
        return self.data[off:self.data.index(b"\0", off)].decode("ascii").lower()

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def imported(self):
        names = []
        rva, _ = self.directory(1)
        off = self.offset(rva) if rva else None
        while off is not None and self.data[off:off + 20] != bytes(20):
            names.append(self.text(self.u32(off + 12)))
            off += 20
        return names

    def delay_imported(self):
        names = []
        rva, _ = self.directory(13)
        off = self.offset(rva) if rva else None
        while off is not None and self.data[off:off + 32] != bytes(32):
            attributes, name = self.u32(off), self.u32(off + 4)
            names.append(self.text(name if attributes & 1 else name - self.image_base))
            off += 32
        return names


class ImportTableTest(unittest.TestCase):
    def test_engine_imports_only_known_dlls(self):
        imports = PeImports(find_binary("keldwick-engine.exe"))
        names = imports.imported()
        self.assertIn("kernel32.dll", names)  # the table was read at all
        outside = sorted(set(names + imports.delay_imported()) - KNOWN_DLLS)
        self.assertEqual(outside, [], "imported from outside KnownDLLs (a copy beside setup.exe wins): "
                         + ", ".join(outside))


@contextlib.contextmanager
def native_first(names):
    """Wine prefers a copy of each library beside the executable for the runs
    inside the block (each as its own `;` entry, see WINE.md)."""
    env = harness.env().env
    before = env.get("WINEDLLOVERRIDES")
    entries = [before] if before else []
    entries += [os.path.splitext(n)[0] + "=n,b" for n in names]
    env["WINEDLLOVERRIDES"] = ";".join(entries)
    try:
        yield
    finally:
        if before is None:
            env.pop("WINEDLLOVERRIDES", None)
        else:
            env["WINEDLLOVERRIDES"] = before


def pulled_by_system_libraries(engine):
    """Names that the system's own libraries import, following the engine's
    KnownDLL imports through the prefix's 32-bit libraries. On Windows these
    are KnownDLLs again; Wine's user32 imports version.dll, so under Wine a
    planted version.dll is loaded whatever the engine does."""
    folder = unix_path("C:\\windows\\syswow64")
    files = {n.lower(): n for n in os.listdir(folder)}
    seen, todo = set(), [n for n in PeImports(engine).imported() if n in KNOWN_DLLS]
    while todo:
        name = todo.pop()
        if name in seen:
            continue
        seen.add(name)
        if name in files:
            with contextlib.suppress(ValueError, AssertionError, struct.error):
                todo += PeImports(os.path.join(folder, files[name])).imported()
    return seen


class PlantedDllTest(unittest.TestCase):
    NAME = "KS Planted"
    FOLDER = f"{BASE}\\{NAME}"
    NEW = b"new library content\r\n"

    def test_planted_dlls_are_never_used(self):
        # A versioned file over an older copy: the run reads the existing
        # file's version resource, so version.dll is really used.
        versioned = '[[files]]\nsource = "app.dll"\nkind = "versioned"\nversion = "2.0"\n'
        installer = harness.build_installer(project(self.NAME, extra=versioned),
                                            {"app.dll": self.NEW, "files/readme.txt": b"planted test\r\n"})
        planted = find_binary("planted.dll")
        shutil.rmtree(unix_path(self.FOLDER), ignore_errors=True)
        os.makedirs(unix_path(self.FOLDER))
        existing = unix_path(self.FOLDER + "\\app.dll")
        shutil.copyfile(planted, existing)  # version 1.2.3.4
        os.utime(existing, (OLD_TIME, OLD_TIME))

        folder = harness.work_dir("planted")
        setup = os.path.join(folder, "setup.exe")
        shutil.copyfile(installer, setup)
        for name in PLANTED:
            shutil.copyfile(planted, os.path.join(folder, name))
        with native_first(PLANTED):
            report = run_setup(setup)

        def marked(suffix):
            return {n[:-len(suffix)] for n in os.listdir(folder) if n.endswith(suffix)}
        self.assertEqual(sorted(marked(".used")), [], "the engine called into planted libraries")
        system_pulled = pulled_by_system_libraries(setup)
        self.assertEqual(sorted(marked(".loaded") - system_pulled), [], "planted libraries loaded")
        self.assertFalse(os.path.exists(existing + ".loaded"))  # read as data, never run
        self.assertEqual((boxes(report), report["exit_code"]), ([], 1))
        self.assertEqual(files_below(self.FOLDER), {"app.dll", "readme.txt"} | UNINSTALL_FILES)
        with open(existing, "rb") as f:
            self.assertEqual(f.read(), self.NEW)
        # The version came from the system's version.dll, not the planted stand-in.
        self.assertIn(f"{self.FOLDER}\\app.dll needs replacement because its version (2.0) is newer than 1.2.3.4",
                      logged_text(self, self.FOLDER))


if __name__ == "__main__":
    harness.main()
