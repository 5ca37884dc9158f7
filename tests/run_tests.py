#!/usr/bin/env python3
"""Runs every test level and prints one closing line "N passed, N failed".

Native unit tests (ctest), then the Win32 tests and the end-to-end tests under
Wine in one private prefix below out/ with a private Xvfb display."""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import wine_env  # noqa: E402


def run_native():
    r = subprocess.run(["ctest", "--test-dir", os.path.join(ROOT, "out", "native"),
                        "--output-on-failure", "-j", str(os.cpu_count() or 2)],
                       capture_output=True, text=True)
    sys.stdout.write(r.stdout[-20000:])
    m = re.search(r"(\d+)% tests passed, (\d+) tests failed out of (\d+)", r.stdout)
    if not m:
        print(r.stderr)
        return 0, 1
    failed, total = int(m.group(2)), int(m.group(3))
    return total - failed, failed


def run_win(env):
    exe = os.path.join(ROOT, "out", "bin", "win_tests.exe")
    log = os.path.join(env.out_dir, "win_tests.log")
    rc = env.run_logged([exe, "--gtest_brief=1"], log, timeout=600)
    text = open(log, errors="replace").read()
    sys.stdout.write(text[-20000:])
    passed = re.search(r"\[  PASSED  \] (\d+) test", text)
    failed = re.search(r"\[  FAILED  \] (\d+) test", text)
    p = int(passed.group(1)) if passed else 0
    f = int(failed.group(1)) if failed else (0 if rc == 0 and passed else 1)
    return p, f


def run_e2e(env):
    import unittest
    wine_env.CURRENT = env
    suite = unittest.defaultTestLoader.discover(os.path.join(ROOT, "tests", "e2e"), pattern="test_*.py")
    result = unittest.TextTestRunner(verbosity=1, stream=sys.stdout).run(suite)
    # A failed subtest reports its parent test once more: count each test once.
    def ident(test):
        return getattr(test, "test_case", test).id()
    bad = len({ident(t) for t, _ in result.failures + result.errors} |
              {ident(t) for t in result.unexpectedSuccesses})
    skipped = len({ident(t) for t, _ in result.skipped} | {ident(t) for t, _ in result.expectedFailures})
    return max(result.testsRun - bad - skipped, 0), bad, skipped


def main():
    totals = [0, 0, 0]  # passed, failed, skipped

    def add(name, counts):
        counts = tuple(counts) + (0,) * (3 - len(counts))
        print(f"{name}: {counts[0]} passed, {counts[1]} failed, {counts[2]} skipped")
        for i in range(3):
            totals[i] += counts[i]

    add("native", run_native())
    try:
        with wine_env.WineEnv() as env:
            add("win32", run_win(env))
            add("e2e", run_e2e(env))
    except wine_env.WineSessionError as e:
        print(f"ks: {e}")
        return 1
    passed, failed, skipped = totals
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
