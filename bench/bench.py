#!/usr/bin/env python3
"""Prints Keldwick Setup's figures. A benchmark, not a test: it asserts nothing.

  engine size         bytes of out/bin/keldwick-engine.exe
  builder             time and installer size for a ~120 MB mixed payload
  start-up            time from process start to the end of the settings read,
                      for an empty payload and for the ~120 MB payload (the
                      payload is not read at start, so the two should match)

Payloads come from ../shared/bench/make_payload.py (deterministic)."""
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import wine_env  # noqa: E402

BIN = os.path.join(ROOT, "out", "bin")
WORK = os.path.join(ROOT, "out", "bench")
MAKE_PAYLOAD = os.path.join(os.path.dirname(ROOT), "shared", "bench", "make_payload.py")
RUNS = int(os.environ.get("BENCH_RUNS", "5"))


def payload(preset):
    folder = os.path.join(WORK, "payload-" + preset)
    if not os.path.isdir(folder):
        subprocess.run([sys.executable, MAKE_PAYLOAD, preset, folder], check=True, stdout=subprocess.DEVNULL)
    return folder


def build(preset):
    folder = payload(preset)
    project = os.path.join(WORK, f"{preset}.toml")
    with open(project, "w") as f:
        f.write(f'[product]\nname = "Bench {preset}"\nversion = "1.0"\nsilent = true\n'
                f'[options]\nno_main_window = true\n')
        if os.listdir(folder):
            f.write(f'[[files]]\nsource = "{folder}"\n')
    out = os.path.join(WORK, f"setup-{preset}.exe")
    t0 = time.perf_counter()
    subprocess.run([os.path.join(BIN, "keldwick"), "build", project, "-o", out], check=True,
                   stdout=subprocess.DEVNULL)
    return out, time.perf_counter() - t0


def start_up_time(env, exe):
    times = []
    for _ in range(RUNS):
        t0 = time.perf_counter()
        env.run_logged([exe], os.path.join(WORK, "run.log"), timeout=300)
        times.append(time.perf_counter() - t0)
    return statistics.median(times)


def main():
    os.makedirs(WORK, exist_ok=True)
    if not os.path.exists(MAKE_PAYLOAD):
        sys.exit(f"bench: {MAKE_PAYLOAD} is missing")
    print(f"engine size: {os.path.getsize(os.path.join(BIN, 'keldwick-engine.exe'))} bytes")
    empty, _ = build("empty")
    medium, medium_time = build("medium")
    raw = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(payload("medium")) for f in fs)
    print(f"builder, medium payload ({raw / 2**20:.1f} MiB in): {medium_time:.2f} s, "
          f"installer {os.path.getsize(medium) / 2**20:.1f} MiB")
    with wine_env.WineEnv("bench") as env:
        env.run_logged([empty], os.path.join(WORK, "warm.log"), timeout=300)  # warm the server
        e = start_up_time(env, empty)
        m = start_up_time(env, medium)
    print(f"start-up to settings read (process start to exit, median of {RUNS}): "
          f"empty payload {e * 1000:.0f} ms, medium payload {m * 1000:.0f} ms")


if __name__ == "__main__":
    main()
