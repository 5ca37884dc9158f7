"""Helpers for the end-to-end tests: run a Windows program under the UI probe,
build and inspect installers, convert paths.

The Wine session is wine_env.CURRENT when run_tests.py drives the run; a test
module started on its own (`python3 tests/e2e/test_startup.py`) calls main(),
which opens a session of its own in out/wine-probe (out/wine-$KS_WINE_NAME when
set; kept between runs when KS_KEEP_PREFIX=1 to save the 20 s of wineboot).

Binaries are looked up in the folders of $KS_BIN (os.pathsep-separated), then
out/bin, then the integrator's build folders."""
import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_env  # noqa: E402

ROOT = wine_env.ROOT
_counter = itertools.count(1)
_own_env = None

SEARCH_DIRS = [
    os.path.join(ROOT, "out", "bin"),
    os.path.join(ROOT, "out", "win", "tests", "probe"),
    os.path.join(ROOT, "out", "win", "src", "engine"),
    os.path.join(ROOT, "out", "native", "src", "builder"),
]


def find_binary(name):
    dirs = [d for d in os.environ.get("KS_BIN", "").split(os.pathsep) if d] + SEARCH_DIRS
    for d in dirs:
        p = os.path.join(d, name)
        if os.path.isfile(p):
            return p
    raise FileNotFoundError(f"{name} not found in {dirs}")


def env():
    """The running Wine session."""
    e = wine_env.CURRENT
    if e is None:
        raise unittest.SkipTest("no Wine session (run through run_tests.py or harness.main())")
    if not getattr(e, "_server_kept", False):
        # One persistent server for the session: each run then costs only its
        # own process start. The session's `wineserver -k` ends it.
        subprocess.run(["wineserver", "-p"], env=e.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Without a window manager, Wine waits 2 s for the manager to confirm
        # every hidden managed window; unmanaged windows close at once.
        with open(os.path.join(e.out_dir, "x11-managed.log"), "w") as log:
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                            "/d", "N", "/f"], env=e.env, stdout=log, stderr=subprocess.STDOUT, timeout=120)
        e._server_kept = True
    return e


def work_dir(tag="t"):
    """A fresh folder below the session's output folder."""
    d = os.path.join(env().out_dir, "work", f"{tag}-{next(_counter)}")
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    return d


def to_windows_path(unix_path):
    """Wine maps the Unix root to drive Z:."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def quote(path):
    """A Unix path as a quoted Windows command-line token."""
    return '"' + to_windows_path(path) + '"'


def _press_args(press):
    items = press if isinstance(press, (list, tuple)) else [press]
    args = []
    for p in items:
        if p == "default":
            args.append("--press-default")
        elif p is None or p == "none":
            args.append("--press-none")
        elif p == "close":
            args.append("--press-close")
        elif isinstance(p, int):
            args += ["--press", str(p)]
        else:
            args += ["--press-text", str(p)]
    return args


def probe_run(cmdline, timeout=20, press="default", max_boxes=None, cwd=None, actions=(), settle=None):
    """Starts `cmdline` (the exact Windows command line) under the UI probe and
    returns its report: exit_code (None when ended by the probe), timed_out,
    windows [{caption, class, text, controls, pressed, ...}]."""
    e = env()
    d = os.path.join(e.out_dir, "probe")
    os.makedirs(d, exist_ok=True)
    n = next(_counter)
    cmd_file = os.path.join(d, f"run-{n}.cmdline")
    out_file = os.path.join(d, f"run-{n}.json")
    log_file = os.path.join(d, f"run-{n}.log")
    with open(cmd_file, "wb") as f:
        f.write(cmdline.encode("utf-8"))
    argv = [find_binary("ui_probe.exe"), "run", "--timeout", str(int(timeout * 1000)),
            "--cmdline-file", to_windows_path(cmd_file), "--out", to_windows_path(out_file)]
    argv += _press_args(press)
    if max_boxes is not None:
        argv += ["--max-boxes", str(max_boxes)]
    if cwd:
        argv += ["--cwd", to_windows_path(cwd)]
    # actions: (dialog number, control id, text) sets a text; (n, id, index) with
    # an int index selects a list item.
    for n, control, value in actions:
        argv += ["--select" if isinstance(value, int) else "--set-text", str(n), str(control), str(value)]
    if settle is not None:
        argv += ["--settle", str(settle)]
    rc = e.run_logged(argv, log_file, timeout=timeout + 60)
    try:
        with open(out_file, encoding="utf-8") as f:
            report = json.load(f)
    except (OSError, ValueError):
        log = open(log_file, errors="replace").read()
        raise AssertionError(f"ui_probe gave no report (rc {rc}) for {cmdline!r}:\n{log[-3000:]}")
    report["cmdline"] = cmdline
    return report


def boxes(report):
    """The dialogs of a report (class #32770), in the order they appeared."""
    return [w for w in report["windows"] if w["class"] == "#32770"]


def run_logged(argv, timeout=120):
    """Runs a Windows program directly (Wine re-quotes the arguments)."""
    e = env()
    log = os.path.join(e.out_dir, "probe", f"direct-{next(_counter)}.log")
    os.makedirs(os.path.dirname(log), exist_ok=True)
    return e.run_logged(argv, log, timeout=timeout), log


# --- builder -------------------------------------------------------------

def keldwick(*args, check=True):
    r = subprocess.run([find_binary("keldwick")] + list(args), capture_output=True, text=True)
    if check and r.returncode != 0:
        raise AssertionError(f"keldwick {' '.join(args)} failed ({r.returncode}):\n{r.stdout}\n{r.stderr}")
    return r


def build_installer(project, files=None, out_path=None):
    """Builds an installer. `project` is a path to a project file or the text of
    one; `files` maps relative paths to bytes written beside the project file.
    Returns the installer's path."""
    if os.path.isfile(str(project)) and "\n" not in str(project):
        project_path = os.path.abspath(project)
    else:
        d = tempfile.mkdtemp(prefix="proj-", dir=work_dir("build"))
        project_path = os.path.join(d, "project.toml")
        with open(project_path, "w", encoding="utf-8") as f:
            f.write(project)
        project_dir = d
        for rel, data in (files or {}).items():
            p = os.path.join(project_dir, rel)
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
    if out_path is None:
        out_path = os.path.join(work_dir("setup"), "setup.exe")
    keldwick("build", project_path, "-o", out_path, "--engine", find_binary("keldwick-engine.exe"))
    return out_path


def inspect(path):
    """The builder's JSON description of an installer."""
    return json.loads(keldwick("inspect", path).stdout)


# --- standalone runs -----------------------------------------------------

class _KeptEnv(wine_env.WineEnv):
    """A session that keeps an existing prefix instead of making a new one."""

    def __enter__(self):
        if not os.path.isfile(os.path.join(self.prefix, "system.reg")):
            return super().__enter__()
        os.makedirs(self.out_dir, exist_ok=True)
        display = wine_env._free_display()
        self.xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        e = dict(os.environ)
        e.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", DISPLAY=f":{display}",
                 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", WINEARCH="win64")
        self.env = e
        return self


def main():
    """Runs the calling test module with a Wine session of its own."""
    keep = os.environ.get("KS_KEEP_PREFIX") == "1"
    cls = _KeptEnv if keep else wine_env.WineEnv
    # KS_WINE_NAME gives a helper its own session folder (out/wine-NAME).
    with cls(name=os.environ.get("KS_WINE_NAME", "probe")) as e:
        wine_env.CURRENT = e
        prog = unittest.main(module="__main__", exit=False, verbosity=2)
    sys.exit(0 if prog.result.wasSuccessful() else 1)


# --- screenshots ---------------------------------------------------------

import struct  # noqa: E402
import zlib  # noqa: E402

class Shot:
    """A 24-bit screenshot read from the screen probe's BMP: pixel(x, y) is
    (r, g, b) with y from the top; save_png writes it with the stdlib."""

    def __init__(self, bmp_path):
        with open(bmp_path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise AssertionError(f"{bmp_path} is not a BMP")
        offset, = struct.unpack_from("<I", data, 10)
        self.width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24:
            raise AssertionError(f"{bmp_path}: {bits} bits per pixel, expected 24")
        self.top_down = height < 0
        self.height = abs(height)
        self.stride = (self.width * 3 + 3) & ~3
        self.rows = data[offset:offset + self.stride * self.height]

    def pixel(self, x, y):
        row = y if self.top_down else self.height - 1 - y
        i = row * self.stride + x * 3
        b, g, r = self.rows[i:i + 3]
        return (r, g, b)

    def save_png(self, path):
        raw = bytearray()
        for y in range(self.height):
            raw.append(0)
            row = y if self.top_down else self.height - 1 - y
            line = self.rows[row * self.stride: row * self.stride + self.width * 3]
            swapped = bytearray(len(line))
            swapped[0::3], swapped[1::3], swapped[2::3] = line[2::3], line[1::3], line[0::3]
            raw += swapped

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                    chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


SCREENS_DIR = os.path.join(ROOT, "out", "screens")


def shoot(argv, name, window_class="SEA Window Class", timeout=15, settle_ms=700):
    """Starts `argv` (a Windows program and its arguments) under Wine, waits
    for a visible window of `window_class`, shoots the screen, ends the program.
    Returns (Shot or None, report {found, windows}); the PNG goes to out/screens."""
    e = env()
    d = work_dir("shot")
    bmp = os.path.join(d, name + ".bmp")
    with open(os.path.join(d, "program.log"), "w") as log:
        program = subprocess.Popen(["wine"] + list(argv), env=e.env, stdout=log, stderr=subprocess.STDOUT)
    try:
        probe_log = os.path.join(d, "probe.log")
        e.run_logged([find_binary("screen_probe.exe"), to_windows_path(bmp), "--class", window_class,
                      "--timeout", str(timeout * 1000), "--settle", str(settle_ms), "--end"],
                     probe_log, timeout=timeout + 60)
        with open(probe_log, errors="replace") as f:
            text = f.read()
        line = next((l for l in text.splitlines() if l.startswith("{")), None)
        if line is None:
            raise AssertionError(f"screen_probe gave no report:\n{text[-2000:]}")
        report = json.loads(line)
        program.wait(timeout=30)
    finally:
        if program.poll() is None:
            program.kill()
    shot = Shot(bmp) if report.get("written") and os.path.isfile(bmp) else None
    if shot:
        os.makedirs(SCREENS_DIR, exist_ok=True)
        shot.save_png(os.path.join(SCREENS_DIR, name + ".png"))
    return shot, report
