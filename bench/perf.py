"""Figures for the engine's size and for the silent install against its
targets: the PE section breakdown of keldwick-engine.exe, and the ratios of
ours to the floor and of medium to small memory."""
import statistics
import struct

KiB = 1024
# Code and data of the engine (the wizard's resources come on top).
SIZE_TARGET = 400 * KiB
MEMORY_TARGET = 1.1  # medium peak private memory / small


def pe_sections(path):
    """(name, raw size, characteristics) of each section, and the header bytes."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, optional = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    headers = struct.unpack_from("<I", data, pe + 24 + 60)[0]  # SizeOfHeaders
    sections = []
    for i in range(count):
        raw_name, _, _, raw_size, _ = struct.unpack_from("<8sIIII", data, table + 40 * i)
        flags = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
        sections.append((raw_name.rstrip(b"\0").decode(errors="replace"), raw_size, flags))
    return sections, headers, len(data)


def engine_size(path):
    sections, headers, total = pe_sections(path)
    code = sum(size for _, size, flags in sections if flags & 0x20)
    resources = sum(size for name, size, _ in sections if name == ".rsrc")
    data = total - code - resources  # headers, read-only and writable data, imports, relocations
    print(f"engine size: {total:,} bytes: code {code:,}, data {data:,} (headers {headers:,}), "
          f"resources {resources:,}")
    print("  sections: " + ", ".join(f"{name} {size:,}" for name, size, _ in sections))
    print(f"  code + data {(code + data) / KiB:.0f} KiB (target at most {SIZE_TARGET // KiB} KiB)", flush=True)


def spread(values):
    return f"{min(values):.2f}-{max(values):.2f}"


def install_targets(preset, contenders):
    """The spread of the runs, and ours against the floor where bench.py has
    no target line for the payload."""
    ours, nsis, floor = contenders
    if preset not in ("medium", "many"):
        print(f"  ours / NSIS-zlib: {statistics.median(ours.times) / statistics.median(nsis.times):.2f}x   "
              f"ours / floor: {statistics.median(ours.times) / statistics.median(floor.times):.2f}x")
    print("  spread of the runs: " + ", ".join(f"{c.name} {spread(c.times)} s" for c in contenders), flush=True)


def memory_target(small, medium):
    if small and medium:
        print(f"  medium / small peak private memory: {medium / small:.2f}x (target at most {MEMORY_TARGET}x)")
