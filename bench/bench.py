#!/usr/bin/env python3
"""Prints Keldwick Setup's figures. A benchmark, not a test: it asserts nothing.

  engine size         bytes of keldwick-engine.exe: code, data and resources
                      from its section table (bench/perf.py)
  builder             time and installer size for a ~120 MB mixed payload
  fixed cost of a run a silent run of the installer with no files, process
                      start to exit (start-up, settings, checks, the finish)
  start-up            process start to the end of the settings read, for an
                      empty and the ~120 MB payload (a 32-bit-only product,
                      refused on the 64-bit prefix right after its settings)
  silent install      the `empty`, `medium` (~120 MB, 400 files) and `many`
                      (5,000 small files) payloads, side by side under one Wine
                      prefix: our installer (`/a`), an NSIS installer of the
                      same files (zlib, `/S /D=`), and the floor (bench_floor:
                      the unpacked files written from one mapped blob with
                      plain CreateFileW/WriteFile). Wall time is the median
                      of BENCH_INSTALL_RUNS runs (default 3), process start
                      included, each into a fresh folder; peak memory comes
                      from one more run, sampled from /proc.
  memory vs payload   our peak private memory for `small` and `medium`
  batch run           one titled batch through RunBatch (bench_batch): the
                      preamble values, the file, cmd started and waited for,
                      the output read back into the log; median of BENCH_RUNS
  main window         a full redraw of the 1920x1080 main window (bench_main_window),
                      with GradientFill and with the band fallback
  per-file prices     the floor on `many` with one more call per file
                      (SetFileTime, GetFileAttributesW, PeekMessageW, a
                      lookup before creating); BENCH_PRICES=0 skips them

Payloads come from bench/make_payload.py (deterministic).
Binaries are looked up in the folders of $KS_BIN (os.pathsep-separated), then
out/bin. $BENCH_WORK and $BENCH_WINE move the work folder (out/bench) and the
Wine session (out/wine-bench). makensis is installed with apt when missing."""
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import wine_env  # noqa: E402
import main_window  # noqa: E402
import perf  # noqa: E402
import uninstall  # noqa: E402

WORK = os.path.abspath(os.environ.get("BENCH_WORK") or os.path.join(ROOT, "out", "bench"))
MAKE_PAYLOAD = os.path.join(ROOT, "bench", "make_payload.py")
RUNS = int(os.environ.get("BENCH_RUNS", "5"))
INSTALL_RUNS = int(os.environ.get("BENCH_INSTALL_RUNS", "3"))
INSTALL_TIMEOUT = 900
MiB = 2**20

# Targets: our time against NSIS-zlib and against the floor, per payload.
TARGETS = {"medium": (0.8, 1.6), "many": (1.0, 1.2)}


def find_binary(name):
    dirs = [d for d in os.environ.get("KS_BIN", "").split(os.pathsep) if d] + [os.path.join(ROOT, "out", "bin")]
    for d in dirs:
        p = os.path.join(d, name)
        if os.path.isfile(p):
            return p
    sys.exit(f"bench: {name} not found in {dirs}")


def windows_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def payload(preset):
    folder = os.path.join(WORK, "payload-" + preset)
    if not os.path.isdir(folder):
        subprocess.run([sys.executable, MAKE_PAYLOAD, preset, folder], check=True, stdout=subprocess.DEVNULL)
    return folder


def payload_files(preset):
    """(relative path, size) of every payload file, in sorted order."""
    folder = payload(preset)
    files = []
    for d, dirs, names in os.walk(folder):
        dirs.sort()
        for n in sorted(names):
            p = os.path.join(d, n)
            files.append((os.path.relpath(p, folder), os.path.getsize(p)))
    return files


_built = {}


def build(preset, install_dir, bitness="any"):
    """Our installer of a payload (built once per run) and the builder's time."""
    if (preset, install_dir, bitness) in _built:
        return _built[preset, install_dir, bitness]
    folder = payload(preset)
    tag = preset if bitness == "any" else f"{preset}-{bitness}"
    project = os.path.join(WORK, f"{tag}.toml")
    with open(project, "w") as f:
        f.write(f'[product]\nname = "Bench {tag}"\nversion = "1.0"\nsilent = true\nbitness = "{bitness}"\n'
                f'install_dir = "{install_dir.replace(chr(92), chr(92) * 2)}"\n')
        f.write('[options]\nno_main_window = true\n')
        if os.listdir(folder):
            f.write(f'[[files]]\nsource = "{folder}"\n')
    out = os.path.join(WORK, f"setup-{tag}.exe")
    t0 = time.perf_counter()
    subprocess.run([find_binary("keldwick"), "build", project, "-o", out,
                    "--engine", find_binary("keldwick-engine.exe")], check=True, stdout=subprocess.DEVNULL)
    _built[preset, install_dir, bitness] = out, time.perf_counter() - t0
    return _built[preset, install_dir, bitness]


def makensis():
    path = shutil.which("makensis")
    if path:
        return path
    print("bench: installing nsis (makensis) with apt-get", flush=True)
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends", "nsis"], check=True,
                   env=env, stdout=subprocess.DEVNULL)
    return shutil.which("makensis") or sys.exit("bench: makensis is still missing")


def build_nsis(preset):
    script = os.path.join(WORK, f"nsis-{preset}.nsi")
    out = os.path.join(WORK, f"nsis-{preset}.exe")
    with open(script, "w") as f:
        f.write(f'Unicode true\nSetCompressor zlib\nName "Bench {preset}"\nOutFile "{out}"\n'
                f'InstallDir "$PROGRAMFILES\\Bench {preset}"\nRequestExecutionLevel user\n'
                f'Section\n  SetOutPath "$INSTDIR"\n  File /nonfatal /r "{payload(preset)}/*"\nSectionEnd\n')
    with open(os.path.join(WORK, f"nsis-{preset}.log"), "w") as log:
        subprocess.run([makensis(), "-V2", script], check=True, stdout=log, stderr=subprocess.STDOUT)
    return out


def builder_figures():
    """Build time and installer size, side by side: our builder (default and
    --max, chunks compressed on every core) and makensis (zlib, and solid
    LZMA, which our archive format cannot hold)."""
    kw, engine = find_binary("keldwick"), find_binary("keldwick-engine.exe")
    print("builders, side by side (one build each; time includes reading the files)")
    print("  payload  builder              time        size")
    for preset in ("medium", "many"):
        folder = payload(preset)
        project = os.path.join(WORK, f"builders-{preset}.toml")
        with open(project, "w") as f:
            f.write(f'[product]\nname = "Bench {preset}"\nversion = "1.0"\nsilent = true\n'
                    f'[[files]]\nsource = "{folder}"\n')
        rows = []
        for label, extra in (("keldwick", []), ("keldwick --max", ["--max"])):
            out = os.path.join(WORK, f"builders-{preset}-{len(rows)}.exe")
            t0 = time.perf_counter()
            subprocess.run([kw, "build", project, "-o", out, "--engine", engine] + extra, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            rows.append((label, time.perf_counter() - t0, os.path.getsize(out)))
        for label, compressor in (("makensis zlib", "zlib"), ("makensis lzma solid", "/SOLID lzma")):
            script = os.path.join(WORK, f"builders-{preset}-{len(rows)}.nsi")
            out = script[:-4] + ".exe"
            with open(script, "w") as f:
                f.write(f'Unicode true\nSetCompressor {compressor}\nName "Bench {preset}"\nOutFile "{out}"\n'
                        f'InstallDir "$PROGRAMFILES\\Bench {preset}"\nRequestExecutionLevel user\n'
                        f'Section\n  SetOutPath "$INSTDIR"\n  File /r "{folder}/*"\nSectionEnd\n')
            t0 = time.perf_counter()
            subprocess.run([makensis(), "-V1", script], check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            rows.append((label, time.perf_counter() - t0, os.path.getsize(out)))
        for label, seconds, size in rows:
            print(f"  {preset:<8} {label:<20} {seconds:6.2f} s  {size / MiB:8.2f} MiB", flush=True)
        ours, nsis = rows[0][1], rows[2][1]
        print(f"  {preset:<8} makensis zlib / keldwick: {nsis / ours:.1f}x the time", flush=True)


def build_floor_input(preset):
    """The payload as one blob plus the manifest bench_floor reads."""
    blob = os.path.join(WORK, f"floor-{preset}.blob")
    manifest = os.path.join(WORK, f"floor-{preset}.manifest")
    files = payload_files(preset)
    with open(blob, "wb") as b, open(manifest, "w", encoding="utf-8", newline="\n") as m:
        for rel, size in files:
            with open(os.path.join(payload(preset), rel), "rb") as f:
                shutil.copyfileobj(f, b)
            m.write(f"{size}\t{rel.replace('/', chr(92))}\n")
    return blob, manifest


class Session:
    """One Wine prefix for every run, with a persistent server."""

    def __init__(self):
        self.env = wine_env.WineEnv("bench")
        if os.environ.get("BENCH_WINE"):
            self.env.out_dir = os.path.abspath(os.environ["BENCH_WINE"])
            self.env.prefix = os.path.join(self.env.out_dir, "prefix")
        self.count = 0
        self.server_pid = None

    def __enter__(self):
        self.env.__enter__()
        subprocess.run(["wineserver", "-p"], env=self.env.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        return self.env.__exit__(*exc)

    def log(self, tag):
        self.count += 1
        d = os.path.join(self.env.out_dir, "logs")
        os.makedirs(d, exist_ok=True)
        return os.path.join(d, f"{self.count:03}-{tag}")

    def drive_c(self, windows):
        """The Unix path of a C:\\ path."""
        assert windows[:3].upper() == "C:\\"
        return os.path.join(self.env.prefix, "drive_c", *windows[3:].split("\\"))

    def server_cpu(self):
        """CPU seconds the prefix's wineserver has used so far (it does the
        work of every file open, close and folder operation)."""
        if self.server_pid is None:
            for pid in filter(str.isdigit, os.listdir("/proc")):
                if (_read(f"/proc/{pid}/comm").startswith(b"wineserver") and
                        f"WINEPREFIX={self.env.prefix}".encode() in _read(f"/proc/{pid}/environ").split(b"\0")):
                    self.server_pid = pid
                    break
        fields = _read(f"/proc/{self.server_pid}/stat").rsplit(b")", 1)[-1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK") if len(fields) > 12 else 0.0

    def timed(self, argv, tag):
        """(wall seconds, process CPU seconds, wineserver CPU seconds, exit code)."""
        server = self.server_cpu()
        t0 = time.perf_counter()
        with open(self.log(tag) + ".log", "w") as log:
            p = subprocess.Popen(["wine"] + argv, env=self.env.env, stdout=log, stderr=subprocess.STDOUT,
                                 stdin=subprocess.DEVNULL)
            _, status, usage = os.wait4(p.pid, 0)
            p.returncode = os.waitstatus_to_exitcode(status)
        wall = time.perf_counter() - t0
        return wall, usage.ru_utime + usage.ru_stime, self.server_cpu() - server, p.returncode

    def measured(self, argv, tag):
        """Runs a Windows program while sampling its memory from /proc.
        Returns (exit code, peak private bytes, peak working set): private is
        the largest resident anonymous memory (RssAnon + VmSwap) seen, the
        working set the kernel's high-water mark (VmHWM), mapped files
        included. The Windows process is the one, among `wine` and its
        descendants, whose command line names the program. (Wine 8 answers
        GetProcessMemoryInfo for another process with figures that are not
        that process's, so the reading is taken here.)"""
        name = os.path.basename(argv[0]).lower().encode()
        peak_private = peak_hwm = None
        with open(self.log(tag) + ".log", "w") as log:
            p = subprocess.Popen(["wine"] + argv, env=self.env.env, stdout=log, stderr=subprocess.STDOUT,
                                 stdin=subprocess.DEVNULL)
            while p.poll() is None:
                for pid in _with_descendants(p.pid):
                    if name not in _read(f"/proc/{pid}/cmdline").lower():
                        continue
                    fields = _status_sizes(pid)
                    if "RssAnon" in fields:
                        peak_private = max(peak_private or 0, fields["RssAnon"] + fields.get("VmSwap", 0))
                    if "VmHWM" in fields:
                        peak_hwm = max(peak_hwm or 0, fields["VmHWM"])
                time.sleep(0.005)
        return p.returncode, peak_private, peak_hwm


def _read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def _with_descendants(pid):
    pids, todo = [], [pid]
    while todo:
        current = todo.pop()
        pids.append(current)
        try:
            tasks = os.listdir(f"/proc/{current}/task")
        except OSError:
            tasks = []  # gone meanwhile
        for task in tasks:
            todo += [int(c) for c in _read(f"/proc/{current}/task/{task}/children").split()]
    return pids


def _status_sizes(pid):
    """The sizes of /proc/PID/status in bytes, by field name."""
    fields = {}
    for line in _read(f"/proc/{pid}/status").decode(errors="replace").splitlines():
        key, _, value = line.partition(":")
        parts = value.split()
        if len(parts) == 2 and parts[1] == "kB":
            fields[key] = int(parts[0]) * 1024
    return fields


class Contender:
    """One way of putting a payload on disk: how to start it, where it writes."""

    def __init__(self, name, exe, args, dest):
        self.name, self.exe, self.args, self.dest = name, exe, args, dest
        self.times, self.cpu, self.server, self.memory, self.problem = [], [], [], None, None

    def argv(self):
        return [self.exe] + self.args


def installed(folder, files):
    """None when every payload file is there with its size, else what differs."""
    for rel, size in files:
        p = os.path.join(folder, rel)
        if not os.path.isfile(p):
            return f"{rel} missing"
        if os.path.getsize(p) != size:
            return f"{rel} has {os.path.getsize(p)} bytes, not {size}"
    return None


def run_contenders(session, preset, contenders):
    files = payload_files(preset)
    for c in contenders:  # the first run warms the caches and reads the memory
        shutil.rmtree(session.drive_c(c.dest), ignore_errors=True)
        _, private, hwm = session.measured(c.argv(), f"{c.name}-{preset}-memory")
        c.memory = (private, hwm)
        c.problem = installed(session.drive_c(c.dest), files)
    for _ in range(INSTALL_RUNS):  # interleaved, so that drift hits everyone alike
        for c in contenders:
            shutil.rmtree(session.drive_c(c.dest), ignore_errors=True)
            seconds, cpu, server, _ = session.timed(c.argv(), f"{c.name}-{preset}")
            c.times.append(seconds)
            c.cpu.append(cpu)
            c.server.append(server)
            c.problem = c.problem or installed(session.drive_c(c.dest), files)
    for c in contenders:
        shutil.rmtree(session.drive_c(c.dest), ignore_errors=True)


def mib(n):
    return "n/a" if n is None else f"{n / MiB:.1f} MiB"


def print_table(preset, files, contenders):
    raw = sum(size for _, size in files)
    print(f"\nsilent install, {preset} payload ({len(files)} files, {raw / MiB:.1f} MiB); "
          f"median of {INSTALL_RUNS} runs, process start included")
    print(f"  {'installer':<10} {'time':>8} {'cpu':>7} {'server':>7} {'peak private':>13} {'peak wset':>10}   runs")
    for c in contenders:
        runs = " ".join(f"{t:.2f}" for t in c.times)
        note = f"   ({c.problem})" if c.problem else ""
        print(f"  {c.name:<10} {statistics.median(c.times):>6.2f} s {statistics.median(c.cpu):>5.2f} s "
              f"{statistics.median(c.server):>5.2f} s {mib(c.memory[0]):>13} {mib(c.memory[1]):>10}   {runs}{note}")
    ours, nsis, floor = (statistics.median(c.times) for c in contenders)
    if preset in TARGETS:
        to_nsis, to_floor = TARGETS[preset]
        print(f"  ours / NSIS-zlib: {ours / nsis:.2f}x (target at most {to_nsis}x)   "
              f"ours / floor: {ours / floor:.2f}x (target at most {to_floor}x)")
    perf.install_targets(preset, contenders)
    print("  (cpu: the process's user+system time; server: wineserver CPU during the run; peak private: "
          "resident anonymous memory; peak wset: resident high-water mark, mapped files included)")


def install_figures(session):
    memory_small = None
    for preset in ("empty", "medium", "many"):
        dests = {n: f"C:\\bench\\{n}-{preset}" for n in ("keldwick", "nsis", "floor")}
        ours, _ = build(preset, dests["keldwick"])
        nsis = build_nsis(preset)
        blob, manifest = build_floor_input(preset)
        print(f"installer sizes, {preset}: ours {os.path.getsize(ours) / MiB:.1f} MiB, "
              f"NSIS {os.path.getsize(nsis) / MiB:.1f} MiB", flush=True)
        contenders = [
            Contender("keldwick", ours, ["/a"], dests["keldwick"]),
            Contender("nsis-zlib", nsis, ["/S", "/D=" + dests["nsis"]], dests["nsis"]),
            Contender("floor", find_binary("bench_floor.exe"),
                      [windows_path(blob), windows_path(manifest), dests["floor"]], dests["floor"]),
        ]
        run_contenders(session, preset, contenders)
        print_table(preset, payload_files(preset), contenders)
        if preset == "medium":
            memory_medium = contenders[0].memory[0]
        os.remove(blob)
    small, _ = build("small", "C:\\bench\\keldwick-small")
    _, memory_small, _ = session.measured([small, "/a"], "keldwick-small-memory")
    shutil.rmtree(session.drive_c("C:\\bench\\keldwick-small"), ignore_errors=True)
    print(f"\nour peak private memory: small payload (~2 MB) {mib(memory_small)}, "
          f"medium payload (~120 MB) {mib(memory_medium)} (target: independent of the payload size)")
    perf.memory_target(memory_small, memory_medium)


def per_file_prices(session):
    """The floor on `many` with one more call per file: what each call an
    installer may add costs under Wine, in wall time and in CPU (process plus
    wineserver), per file."""
    blob, manifest = build_floor_input("many")
    files = len(payload_files("many"))
    extras = ("plain", "times", "attrs", "peek", "probe")
    contenders = [Contender(x, find_binary("bench_floor.exe"),
                            [windows_path(blob), windows_path(manifest), f"C:\\bench\\floor-{x}"] +
                            ([] if x == "plain" else [x]), f"C:\\bench\\floor-{x}") for x in extras]
    run_contenders(session, "many", contenders)
    os.remove(blob)
    base = contenders[0]
    wall0 = statistics.median(base.times)
    cpu0 = statistics.median(c + s for c, s in zip(base.cpu, base.server))
    names = {"times": "SetFileTime on the handle", "attrs": "GetFileAttributesW after closing",
             "peek": "PeekMessageW", "probe": "GetFileAttributesExW of the missing file before creating it"}
    print(f"\nper-file price of one more call under Wine (floor on `many`, median of {INSTALL_RUNS}; "
          f"plain floor {wall0:.2f} s wall, {cpu0:.2f} s CPU incl. wineserver):")
    for c in contenders[1:]:
        wall = (statistics.median(c.times) - wall0) / files * 1e6
        cpu = (statistics.median(a + b for a, b in zip(c.cpu, c.server)) - cpu0) / files * 1e6
        print(f"  {names[c.name]:<62} {wall:+6.0f} us wall {cpu:+6.0f} us CPU")


def main():
    os.makedirs(WORK, exist_ok=True)
    perf.engine_size(find_binary("keldwick-engine.exe"))
    empty, _ = build("empty", "C:\\bench\\keldwick-empty")
    medium, medium_time = build("medium", "C:\\bench\\keldwick-medium")
    raw = sum(size for _, size in payload_files("medium"))
    print(f"builder, medium payload ({raw / MiB:.1f} MiB in): {medium_time:.2f} s, "
          f"installer {os.path.getsize(medium) / MiB:.1f} MiB", flush=True)
    if os.environ.get("BENCH_BUILDERS", "1") != "0":
        builder_figures()
    with Session() as session:
        session.timed([empty, "/a"], "warm")
        times = [session.timed([empty, "/a"], "empty")[0] for _ in range(RUNS)]
        print(f"fixed cost of a run (silent run with no files, process start to exit, median of {RUNS}): "
              f"{statistics.median(times) * 1000:.0f} ms", flush=True)
        # A 32-bit-only product is refused on this 64-bit prefix right after its
        # settings and engine checks: the run measures start-up to the settings
        # read, and shows that the payload is not read at start.
        startup = {}
        for preset in ("empty", "medium"):
            exe, _ = build(preset, f"C:\\bench\\keldwick-{preset}-32", bitness="32")
            startup[preset] = statistics.median(session.timed([exe, "/a"], f"startup-{preset}")[0]
                                                for _ in range(RUNS))
        print(f"start-up to the end of the settings read (median of {RUNS}): empty payload "
              f"{startup['empty'] * 1000:.0f} ms, medium payload {startup['medium'] * 1000:.0f} ms", flush=True)
        batch_log = session.log("batch") + ".log"
        session.env.run_logged([find_binary("bench_batch.exe"), str(RUNS)], batch_log)
        print(open(batch_log, errors="replace").read().strip(), flush=True)
        install_figures(session)
        uninstall.figures(session, sys.modules[__name__])
        if os.environ.get("BENCH_PRICES", "1") != "0":
            per_file_prices(session)
    main_window.main_window_figures(session.env.env, find_binary("bench_main_window.exe"), RUNS, WORK)


if __name__ == "__main__":
    try:
        main()
    except wine_env.WineSessionError as e:
        sys.exit(f"ks: {e}")
