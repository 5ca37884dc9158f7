#!/usr/bin/env python3
"""The main job: builds the example installer in examples/hello with the
builder, runs it under Wine in a private prefix (out/wine-demo) and prints what
it did: the archive, the run, the installed files, Install.log, Uninstall.DAT."""
import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness  # noqa: E402
import wine_env  # noqa: E402

PROJECT = os.path.join(ROOT, "examples", "hello", "project.toml")
OUT = os.path.join(ROOT, "out", "demo")


def section(title):
    print(f"\n== {title} ==")


def main():
    os.makedirs(OUT, exist_ok=True)
    setup = os.path.join(OUT, "hello-setup.exe")
    harness.keldwick("build", PROJECT, "-o", setup)
    info = harness.inspect(setup)
    s = info["settings"]
    section("installer")
    print(f"{setup}: {os.path.getsize(setup)} bytes, engine {info['section']['raw_pointer']} bytes")
    print(f"product {s['ProductName']!r} {s['ProductVersion']!r}, {info['header']['FileCount']} files, "
          f"payload {info['header']['PayloadSize']} bytes, install folder {s['DefaultInstallDir']!r}")

    with wine_env.WineEnv("demo") as env:
        wine_env.CURRENT = env
        section("run: hello-setup.exe /a (silent)")
        report = harness.probe_run(f"{harness.quote(setup)} /a", timeout=60)
        print(f"exit code {report['exit_code']} (an installation run always ends with 1)")
        for box in harness.boxes(report):
            print(f"message box {box.get('caption')!r}: {box.get('text')!r}")
        if not harness.boxes(report):
            print("no message box was shown")

        drive_c = os.path.join(env.prefix, "drive_c")
        installed = None
        for pf in ("Program Files (x86)", "Program Files"):
            candidate = os.path.join(drive_c, pf, "Hello Keldwick")
            if os.path.isdir(candidate):
                installed = candidate
        section("installed files")
        if not installed:
            print("nothing was installed")
            return 1
        for folder, _, files in sorted(os.walk(installed)):
            for f in sorted(files):
                p = os.path.join(folder, f)
                rel = "C:\\" + os.path.relpath(p, drive_c).replace("/", "\\")
                print(f"{os.path.getsize(p):8d}  {rel}")
        for name in ("Install.log", "Uninstall.DAT"):
            path = os.path.join(installed, "uninstall", name)
            section(name)
            if os.path.exists(path):
                text = open(path, "rb").read().decode("utf-8-sig", errors="replace").replace("\r\n", "\n")
                lines = text.split("\n")
                print("\n".join(lines[:24]) + (f"\n... ({len(lines) - 24} more lines)" if len(lines) > 24 else ""))
            else:
                print("(not written)")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except wine_env.WineSessionError as e:
        sys.exit(f"ks: {e}")
