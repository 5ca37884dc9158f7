"""Silent uninstall figures: our uninstaller on the every-feature product and
on the `many` payload (5,000 files), beside NSIS's uninstaller of the same
files (`Un.exe /S`, deleting them one by one), and the size of the uninstaller
each writes to disk.

Both uninstallers are started through the UI probe with their exact command
line (ours needs `/u:"name"` as it stands); the time is the probe's, from
process start to exit. NSIS runs with `_?=` so that the measured process is
the one that deletes (without it Un.exe copies itself to the temporary
folder, starts the copy and exits at once). Called from bench.py."""
import json
import os
import shutil
import statistics
import subprocess
import time

import test_every_feature as ef  # noqa: E402  (bench.py puts tests/e2e on the path)
import test_round_trip as rt  # noqa: E402


def _probe(b, session, cmdline, tag):
    """Runs an exact command line under the UI probe; (seconds, exit code, windows)."""
    base = session.log(tag)
    with open(base + ".cmdline", "wb") as f:
        f.write(cmdline.encode("utf-8"))
    session.env.run_logged([b.find_binary("ui_probe.exe"), "run", "--timeout", "300000", "--press-none",
                            "--cmdline-file", b.windows_path(base + ".cmdline"),
                            "--out", b.windows_path(base + ".json")], base + ".log", timeout=400)
    with open(base + ".json", encoding="utf-8") as f:
        report = json.load(f)
    return report["elapsed_ms"] / 1000, report["exit_code"], report["windows"]


def _wait_gone(path, seconds=30):
    deadline = time.time() + seconds
    while os.path.exists(path) and time.time() < deadline:
        time.sleep(0.1)


def _prepare_prefix(session):
    """What the every-feature product needs of a Windows machine: a SharedDLLs
    key, and shell folders inside the prefix instead of links to the home folder."""
    users = os.path.join(session.env.prefix, "drive_c", "users")
    for d, subdirs, _ in os.walk(users):
        for n in subdirs:
            p = os.path.join(d, n)
            if os.path.islink(p):
                os.unlink(p)
                os.makedirs(p)
    session.env.run_logged(["reg", "add", r"HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs", "/f",
                            "/reg:32"], session.log("shareddlls") + ".log")


def _our_product(b, name, folder, tree):
    """Our installer for `tree` ({relative path: bytes} or a payload folder)."""
    work = os.path.join(b.WORK, "uninstall-" + name.replace(" ", "-"))
    if isinstance(tree, dict):
        shutil.rmtree(work, ignore_errors=True)
        for rel, data in tree.items():
            os.makedirs(os.path.dirname(os.path.join(work, rel)), exist_ok=True)
            with open(os.path.join(work, rel), "wb") as f:
                f.write(data)
        project = ef.PROJECT + rt.CLEAN_UP  # the file its batch writes goes too
    else:
        os.makedirs(work, exist_ok=True)
        project = (f'[product]\nname = "{name}"\nversion = "1.0"\nsilent = true\n'
                   f'install_dir = "{folder.replace(chr(92), chr(92) * 2)}"\n'
                   f'[options]\nno_main_window = true\n[[files]]\nsource = "{tree}"\n')
    path = os.path.join(work, "project.toml")
    with open(path, "w") as f:
        f.write(project)
    out = os.path.join(work, "setup.exe")
    subprocess.run([b.find_binary("keldwick"), "build", path, "-o", out, "--engine",
                      b.find_binary("keldwick-engine.exe")], check=True, stdout=subprocess.DEVNULL)
    return out


def _nsis_product(b, name, folder, source, files):
    """NSIS's installer of the same files; its uninstaller deletes each file,
    then each folder deepest first."""
    work = os.path.join(b.WORK, "uninstall-nsis-" + name.replace(" ", "-"))
    os.makedirs(work, exist_ok=True)
    folders = {os.path.dirname(rel) for rel in files} - {""}
    for f in list(folders):
        while os.path.dirname(f):
            f = os.path.dirname(f)
            folders.add(f)
    lines = [f'Unicode true\nSetCompressor zlib\nName "{name}"\nOutFile "{work}/setup.exe"\n'
             f'InstallDir "{folder}"\nRequestExecutionLevel user\n'
             f'Section\n  SetOutPath "$INSTDIR"\n  File /r "{source}/*"\n'
             f'  WriteUninstaller "$INSTDIR\\Un.exe"\nSectionEnd\nSection "Uninstall"']
    lines += [f'  Delete "$INSTDIR\\{rel.replace("/", chr(92))}"' for rel in files]
    lines += [f'  RMDir "$INSTDIR\\{d.replace("/", chr(92))}"' for d in sorted(folders, key=lambda x: -x.count("/"))]
    lines += ['  Delete "$INSTDIR\\Un.exe"\n  RMDir "$INSTDIR"\nSectionEnd\n']
    script = os.path.join(work, "setup.nsi")
    with open(script, "w") as f:
        f.write("\n".join(lines))
    with open(os.path.join(work, "makensis.log"), "w") as log:
        subprocess.run([b.makensis(), "-V2", script], check=True, stdout=log, stderr=subprocess.STDOUT)
    return os.path.join(work, "setup.exe")


def _measure(b, session, label, ours, our_folder, our_name, nsis, nsis_folder):
    our_times, nsis_times, problems = [], [], []
    our_size = nsis_size = None
    for run in range(b.INSTALL_RUNS):
        # Ours: install, then the quiet uninstall string.
        session.timed([ours, "/a"], f"uninstall-{label}-install")
        uninstaller = os.path.join(session.drive_c(our_folder), "uninstall", "uninstall.exe")
        our_size = os.path.getsize(uninstaller) if os.path.exists(uninstaller) else None
        seconds, code, windows = _probe(b, session, f'"{our_folder}\\uninstall\\uninstall.exe" /a /u:"{our_name}"',
                                        f"uninstall-{label}-ours")
        our_times.append(seconds)
        if code != 0 or windows:
            problems.append(f"ours exit {code}, {len(windows)} windows")
        _wait_gone(session.drive_c(our_folder))
        if os.path.exists(session.drive_c(our_folder)):
            problems.append(f"ours left {our_folder}")
        # NSIS: install, then Un.exe /S in place.
        shutil.rmtree(session.drive_c(nsis_folder), ignore_errors=True)
        session.timed([nsis, "/S"], f"uninstall-{label}-nsis-install")
        un = os.path.join(session.drive_c(nsis_folder), "Un.exe")
        nsis_size = os.path.getsize(un) if os.path.exists(un) else None
        seconds, code, _ = _probe(b, session, f'"{nsis_folder}\\Un.exe" /S _?={nsis_folder}',
                                  f"uninstall-{label}-nsis")
        nsis_times.append(seconds)
        left = [n for n in os.listdir(session.drive_c(nsis_folder)) if n != "Un.exe"]
        if code != 0 or left:
            problems.append(f"NSIS exit {code}, left {left[:3]}")
        shutil.rmtree(session.drive_c(nsis_folder), ignore_errors=True)
    return our_times, nsis_times, our_size, nsis_size, problems


def figures(session, b):
    """Prints the uninstall table; `b` is the bench module (its helpers)."""
    _prepare_prefix(session)
    files = b.payload_files("many")
    rows = []
    ours = _our_product(b, "BenchUninstMany", "C:\\bench\\uninst-ours-many", b.payload("many"))
    nsis = _nsis_product(b, "BenchUninstMany", "C:\\bench\\uninst-nsis-many", b.payload("many"),
                         [rel for rel, _ in files])
    rows.append((f"many ({len(files)} files)",) +
                _measure(b, session, "many", ours, "C:\\bench\\uninst-ours-many", "BenchUninstMany",
                         nsis, "C:\\bench\\uninst-nsis-many"))
    tree = ef.tree()
    ours = _our_product(b, ef.NAME, ef.FOLDER, tree)
    source = os.path.join(b.WORK, "uninstall-" + ef.NAME.replace(" ", "-"))
    payload = [rel for rel in sorted(tree)]
    nsis_source = os.path.join(b.WORK, "uninstall-every-feature-files")
    shutil.rmtree(nsis_source, ignore_errors=True)
    for rel in payload:
        os.makedirs(os.path.dirname(os.path.join(nsis_source, rel)), exist_ok=True)
        shutil.copy(os.path.join(source, rel), os.path.join(nsis_source, rel))
    nsis = _nsis_product(b, "BenchUninstEvery", "C:\\bench\\uninst-nsis-every", nsis_source, payload)
    rows.append((f"every-feature ({len(payload)} files)",) +
                _measure(b, session, "every", ours, ef.FOLDER, ef.NAME, nsis, "C:\\bench\\uninst-nsis-every"))

    print(f"\nsilent uninstall, median of {b.INSTALL_RUNS} runs, process start to exit "
          "(ours: /a /u:\"name\"; NSIS: Un.exe /S, files deleted one by one)")
    print(f"  {'product':<28} {'ours':>8} {'NSIS':>8} {'ours/NSIS':>10}   runs (ours | NSIS)")
    for label, our_times, nsis_times, our_size, nsis_size, problems in rows:
        o, n = statistics.median(our_times), statistics.median(nsis_times)
        runs = " ".join(f"{t:.2f}" for t in our_times) + " | " + " ".join(f"{t:.2f}" for t in nsis_times)
        note = f"   ({'; '.join(problems)})" if problems else ""
        print(f"  {label:<28} {o:>6.2f} s {n:>6.2f} s {o / n:>9.2f}x   {runs}{note}")
    print(f"  uninstaller on disk: ours {rows[0][3]} bytes, NSIS Un.exe {rows[0][4]} bytes")
