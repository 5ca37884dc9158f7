"""Main-window figures: a full redraw (gradient, stretched picture, title and
copyright) of a 1920x1080 window, GradientFill and the band fallback. Runs
after the bench session with its prefix, on an Xvfb screen of its own."""
import os
import subprocess
import time

import wine_env

SIZE = "1920x1080x24"


def _run(env, exe, runs, log_path):
    with open(log_path, "w") as log:
        subprocess.run(["wine", exe, str(runs)], env=env, stdout=log, stderr=subprocess.STDOUT,
                       stdin=subprocess.DEVNULL, timeout=300)
    subprocess.run(["wineserver", "-k"], env=env)
    time.sleep(0.5)
    with open(log_path, errors="replace") as f:
        return [line for line in f.read().splitlines() if line.startswith("main window")]


def main_window_figures(session_env, exe, runs, log_dir):
    """`session_env`: the ended session's environment (its prefix)."""
    display = wine_env._free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", SIZE, "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        env = dict(session_env, DISPLAY=f":{display}")
        lines = _run(env, exe, runs, os.path.join(log_dir, "main-window.log"))
        # Without msimg32 the window draws its gradient in bands.
        env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";msimg32=d"
        bands = _run(env, exe, runs, os.path.join(log_dir, "main-window-bands.log"))
        print("\n".join(lines), flush=True)
        print("\n".join(l.replace("main window redraw,", "main window redraw (bands, no msimg32),")
                        for l in bands if "redraw" in l), flush=True)
    finally:
        xvfb.terminate()
        xvfb.wait(10)
