"""The Wine session of a test run: one private prefix below out/, one private
Xvfb display, started once and stopped at the end. Never touches ~/.wine."""
import os
import shutil
import subprocess
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BIN = os.path.join(ROOT, "out", "bin")
CURRENT = None  # the session of this run, set by run_tests.py


def _free_display():
    for n in range(90, 200):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise RuntimeError("no free X display")


class WineSessionError(RuntimeError):
    pass


def check_prefix_kind(prefix, log_path):
    """Stops the session at once unless wineboot made a 64-bit prefix: the tests
    read both registry views and expect the Program Files (x86) layout."""
    system_reg = os.path.join(prefix, "system.reg")
    arch = None
    try:
        with open(system_reg, encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("#arch="):
                    arch = line.strip().split("=", 1)[1]
                    break
    except OSError:
        pass
    if arch == "win64":
        return
    cause = f"the prefix is {arch}" if arch else "wineboot made no prefix"
    hint = ""
    try:
        with open(log_path, errors="replace") as f:
            hint = next((l.strip() for l in f if "wine:" in l), "")
    except OSError:
        pass
    raise WineSessionError(
        f"Wine prefix {prefix}: {cause}, not win64 ({hint or 'see ' + log_path}); "
        "install the 64-bit loader with: apt-get install wine64 (./ks deps does this)")


class WineEnv:
    def __init__(self, name="test"):
        self.out_dir = os.path.join(ROOT, "out", "wine-" + name)
        self.prefix = os.path.join(self.out_dir, "prefix")
        self.xvfb = None
        self.env = None

    def __enter__(self):
        shutil.rmtree(self.out_dir, ignore_errors=True)
        os.makedirs(self.out_dir)
        display = _free_display()
        self.xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        env = dict(os.environ)
        env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", DISPLAY=f":{display}",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", WINEARCH="win64")
        self.env = env
        with open(os.path.join(self.out_dir, "wineboot.log"), "w") as log:
            subprocess.run(["wineboot", "-i"], env=env, stdout=log, stderr=log, timeout=300)
        self.wait_server()
        try:
            check_prefix_kind(self.prefix, os.path.join(self.out_dir, "wineboot.log"))
        except WineSessionError:
            self.__exit__(None, None, None)
            raise
        return self

    def wait_server(self):
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)

    def run_logged(self, argv, log_path, timeout=120):
        """Runs a Windows program; its output (and Wine's) goes to a file."""
        with open(log_path, "w") as log:
            p = subprocess.run(["wine"] + argv, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, timeout=timeout)
        return p.returncode

    def __exit__(self, *exc):
        if self.env:
            subprocess.run(["wineserver", "-k"], env=self.env)
            time.sleep(0.5)
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        return False
