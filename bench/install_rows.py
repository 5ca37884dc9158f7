#!/usr/bin/env python3
"""Only the install rows of the benchmark: our installer and the floor on the
`medium` payload (no NSIS, no builders, no other figures), the engine size,
the small/medium peak private memory, and the CPU price of decoding the
medium payload without writing it (bench_decode). For checking one change to extraction
quickly; `./ks bench` prints the full set.

  python3 bench/install_rows.py          (BENCH_INSTALL_RUNS runs, default 5)

Prints each run, the median and the spread. A benchmark, not a test."""
import os
import shutil
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
os.environ.setdefault("BENCH_INSTALL_RUNS", "5")
import bench  # noqa: E402
import perf  # noqa: E402


def main():
    os.makedirs(bench.WORK, exist_ok=True)
    perf.engine_size(bench.find_binary("keldwick-engine.exe"))
    load = open("/proc/loadavg").read().split()[:3]
    print(f"load average before the runs: {' '.join(load)}")
    with bench.Session() as session:
        dests = {n: f"C:\\bench\\{n}-medium" for n in ("keldwick", "floor")}
        ours, _ = bench.build("medium", dests["keldwick"])
        blob, manifest = bench.build_floor_input("medium")
        contenders = [
            bench.Contender("keldwick", ours, ["/a"], dests["keldwick"]),
            bench.Contender("floor", bench.find_binary("bench_floor.exe"),
                            [bench.windows_path(blob), bench.windows_path(manifest), dests["floor"]],
                            dests["floor"]),
        ]
        bench.run_contenders(session, "medium", contenders)
        os.remove(blob)
        print(f"\nsilent install, medium payload; {bench.INSTALL_RUNS} runs")
        for c in contenders:
            note = f"   ({c.problem})" if c.problem else ""
            print(f"  {c.name:<9} wall {statistics.median(c.times):.2f} s ({perf.spread(c.times)})  "
                  f"cpu {statistics.median(c.cpu):.2f} s ({perf.spread(c.cpu)})  "
                  f"server {statistics.median(c.server):.2f} s  private {bench.mib(c.memory[0])}{note}")
        ours_c, floor_c = contenders
        print(f"  ours / floor: wall {statistics.median(ours_c.times) / statistics.median(floor_c.times):.2f}x "
              f"(target at most {bench.TARGETS['medium'][1]}x), "
              f"cpu {statistics.median(ours_c.cpu) / statistics.median(floor_c.cpu):.2f}x")
        small, _ = bench.build("small", "C:\\bench\\keldwick-small")
        memory = []
        for _ in range(3):
            _, private, _ = session.measured([small, "/a"], "keldwick-small-memory")
            shutil.rmtree(session.drive_c("C:\\bench\\keldwick-small"), ignore_errors=True)
            memory.append(private)
        print(f"  peak private: small {bench.mib(statistics.median(memory))}, medium {bench.mib(ours_c.memory[0])}")
        perf.memory_target(statistics.median(memory), ours_c.memory[0])
        log = session.log("decode") + ".log"
        session.env.run_logged([bench.find_binary("bench_decode.exe"), bench.windows_path(ours), "5"], log)
        print(open(log, errors="replace").read().rstrip())
    print(f"load average after the runs: {' '.join(open('/proc/loadavg').read().split()[:3])}")


if __name__ == "__main__":
    try:
        main()
    except bench.wine_env.WineSessionError as e:
        sys.exit(f"bench: {e}")
