"""Install and uninstall the every-feature product silently and compare the
prefix before and after: every file below drive_c with its size and time, and
HKLM and HKCU in both registry views. Only the leftovers listed here may differ;
each says why it is not ours to remove."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_every_feature as ef  # noqa: E402
import test_components as tc  # noqa: E402
import test_install as ti  # noqa: E402
import test_shortcuts as ts  # noqa: E402
from harness import boxes, probe_run  # noqa: E402

KEY = f"{ti.UNINSTALL_KEY}\\{ef.NAME}"

# Files (relative to drive_c, lower case, regular expressions) that may change.
EXPECTED_FILES = [
    # Wine's SetupUninstallOEMInf deletes the driver package's .inf but not
    # the precompiled .pnf its SetupCopyOEMInf wrote; Windows removes both.
    r"windows/inf/kscomponent\.pnf",
]
# Registry lines ("key" or "key\\value name", lower case, regular expressions) that may change.
EXPECTED_KEYS = [
    # Wine's font cache: a font file in the Fonts folder at a process start
    # (an earlier module's, or ours while installed) gets Wine's own entries.
    r"hkey_current_user\\software\\wine\\fonts\\external fonts(\\.*)?",
    r"hkey_local_machine\\software\\(wow6432node\\)?microsoft\\windows nt\\currentversion\\fonts"
    r"\\\"dejavu sans \(truetype\)\"",
    # Wine's display driver and device manager rewrite their volatile state
    # (video devices, monitors, window metrics) whenever a desktop starts.
    r"hkey_local_machine\\hardware\\.*",
    r"hkey_local_machine\\system\\currentcontrolset\\control\\(video|deviceclasses|servicecurrent)(\\.*)?",
    r"hkey_local_machine\\system\\currentcontrolset\\control\\class\\\{4d36e968-e325-11ce-bfc1-08002be10318\}\\.*",
    r"hkey_local_machine\\system\\currentcontrolset\\hardware profiles\\current\\.*",
    r"hkey_current_user\\software\\wine\\temporary system parameters\\.*",
]
# The product's batch writes a file the installation does not know; the
# product removes it at uninstall the way a product should.
CLEAN_UP = '\n[[delete]]\npath = "batch.txt"\nat_install = false\nat_uninstall = true\n'


def file_snapshot():
    """{path below drive_c: (size, mtime in ns)} of every file, and every
    folder (ending in "/") as "folder"."""
    root = os.path.join(harness.env().prefix, "drive_c")
    found = {}
    for d, _, names in os.walk(root):
        found[os.path.relpath(d, root).replace(os.sep, "/") + "/"] = "folder"
        for n in names:
            p = os.path.join(d, n)
            try:
                st = os.lstat(p)
            except OSError:
                continue
            found[os.path.relpath(p, root).replace(os.sep, "/")] = (st.st_size, st.st_mtime_ns)
    return found


def registry_snapshot():
    """{"key" or "key\\value": data} of HKLM and HKCU in both views."""
    found = {}
    for root in ("HKLM", "HKCU"):
        for view in ("32", "64"):
            path = os.path.join(harness.work_dir("snapshot"), "all.reg")
            rc, out = ti.wine_tool(["reg", "export", root, harness.to_windows_path(path), "/y", f"/reg:{view}"],
                                   timeout=300)
            assert rc == 0, out
            with open(path, "rb") as f:
                text = f.read().decode("utf-16")
            text = re.sub(r"\\\r?\n\s*", "", text)
            key = None
            for line in text.splitlines():
                if line.startswith("[") and line.endswith("]"):
                    key = f"{view}:{line[1:-1]}"
                    found[key] = ""
                elif key and "=" in line:
                    name, _, data = line.partition("=")
                    found[f"{key}\\{name}"] = data
    return found


def differences(before, after, expected):
    """Entries added, removed or changed, except the expected ones."""
    allowed = [re.compile(p) for p in expected]
    changed = {k for k in before.keys() | after.keys() if k not in before or k not in after or before[k] != after[k]}

    def ours(k):
        bare = k.split(":", 1)[1] if re.match(r"^(32|64):", k) else k
        return not any(p.fullmatch(bare.lower()) for p in allowed)
    return sorted(f"{'+' if k not in before else '-' if k not in after else '~'} {k}"
                  for k in changed if ours(k))


def uninstall_quietly(test):
    """Runs the quiet uninstall string as a deployment tool does and waits
    for the self-deletion."""
    quiet = ti.reg_values(KEY)["QuietUninstallString"].replace('\\"', '"')
    report = probe_run(quiet, timeout=60)
    test.assertEqual((boxes(report), report["exit_code"]), ([], 0), quiet)
    deadline = time.time() + 30
    while os.path.exists(ti.unix_path(ef.FOLDER)) and time.time() < deadline:
        time.sleep(0.2)
    # The self-deletion batch's command interpreter ends a moment after it
    # removed the folder; let Wine's processes settle before the snapshot.
    time.sleep(2)
    return report


def setUpModule():
    # The product an earlier module installed (its folder since deleted by
    # another) is installed again and uninstalled, so that the round trip
    # starts from a machine without it: no counts, registrations or shortcuts.
    if "QuietUninstallString" in ti.reg_values(KEY):
        ti.run_setup(ef.installer(ef.project() + CLEAN_UP), timeout=120)
        probe_run(ti.reg_values(KEY)["QuietUninstallString"].replace('\\"', '"'), timeout=60)
        time.sleep(3)
    ti.reg("delete", KEY, "/f")
    for view in ("32", "64"):
        ti.wine_tool(["reg", "delete", r"HKLM\Software\KS Everything Co", "/f", f"/reg:{view}"])
    ti.wine_tool(["reg", "delete", r"HKCU\Software\KS Everything Co", "/f"])
    # Earlier modules' products share the test components (one type library
    # GUID, one COM value key, one Windows Installer product) and lost their
    # uninstallers with their folders: their registrations go first.
    msi = os.path.join(harness.work_dir("msi"), "kscomponent.msi")
    with open(msi, "wb") as f:
        f.write(tc.component("kscomponent.msi"))
    ti.wine_tool(["msiexec", "/x", harness.to_windows_path(msi), "/qn"])
    for view in ("32", "64"):
        for key in (tc.TYPELIB_KEY.rsplit("\\", 1)[0], r"HKLM\Software\Keldwick Test"):
            ti.wine_tool(["reg", "delete", key, "/f", f"/reg:{view}"])
    pnf = ti.unix_path(r"C:\windows\inf\kscomponent.pnf")
    if os.path.exists(pnf):
        os.remove(pnf)
    ts.setUpModule()  # the desktop inside the prefix, not the machine's home folder
    ef.setUpModule()
    # The folder above the install folder is the machine's, as Program Files
    # would be: an installation that has to create it leaves it behind.
    os.makedirs(ti.unix_path(ti.BASE), exist_ok=True)


class RoundTripTest(unittest.TestCase):
    maxDiff = None

    def round_trip(self, text):
        installer = ef.installer(text)
        files, keys = file_snapshot(), registry_snapshot()
        ti.assert_silent_success(self, ti.run_setup(installer, timeout=120))
        self.assertIn("QuietUninstallString", ti.reg_values(KEY))
        uninstall_quietly(self)
        self.assertEqual({"files": differences(files, file_snapshot(), EXPECTED_FILES),
                          "registry": differences(keys, registry_snapshot(), EXPECTED_KEYS)},
                         {"files": [], "registry": []})

    def test_32_bit_product(self):
        self.round_trip(ef.project() + CLEAN_UP)

    def test_64_bit_product(self):
        self.round_trip(ef.project('bitness = "64"\n') + CLEAN_UP)


if __name__ == "__main__":
    harness.main()
