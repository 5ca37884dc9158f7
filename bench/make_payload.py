#!/usr/bin/env python3
"""Writes a deterministic synthetic product folder for the benchmark.

usage: make_payload.py PRESET OUT_DIR [--seed N]

  empty   no files: what the engine costs by itself
  small   20 files, 2 MiB in all
  medium  400 files in folders up to 3 deep, 120 MiB in all
  many    5,000 files of 1-8 KiB in folders up to 2 deep

The same preset and seed give the same names and bytes on every machine. The
bytes mix three kinds so that compression behaves like a real product: source
text (compresses 4-5x), fixed-size binary records (2-3x) and noise (like media
that is compressed already), 40/30/30 by count and by bytes.
"""
import argparse
import os
import random
import struct
import sys

MiB = 1 << 20
VOCABULARY = ("auto bool break case char class const continue default delete do double else enum "
              "explicit false float for if inline int long namespace new nullptr private public "
              "return short signed sizeof static struct switch template this true typedef union "
              "unsigned using virtual void volatile while buffer count entry file handle index key "
              "length offset path record result size status stream table value").split()


def source_text(rng, size):
    lines, total = [], 0
    while total < size:
        w = [rng.choice(VOCABULARY) for _ in range(5)]
        shape = rng.randrange(6)
        if shape == 0:
            line = f"{w[0]} {w[1]}_{w[2]}({w[3]} {w[4]}) {{\n"
        elif shape == 1:
            line = f"    {w[0]} = {w[1]}[{rng.randrange(256)}] + {w[2]};\n"
        elif shape == 2:
            line = f"    // {' '.join(w)}\n"
        elif shape == 3:
            line = f"    if ({w[0]} == {w[1]}) return {rng.randrange(100)};\n"
        elif shape == 4:
            line = "}\n"
        else:
            line = "\n"
        lines.append(line)
        total += len(line)
    return "".join(lines).encode("ascii")[:size]


ROW = struct.Struct("<IIqHHd16s")  # 44 bytes


def binary_records(rng, size):
    labels = [bytes(rng.randrange(97, 123) for _ in range(rng.randrange(3, 16))) for _ in range(48)]
    rows, ident, stamp = [], rng.randrange(1 << 24), 1_600_000_000
    for _ in range(size // ROW.size + 1):
        ident += 1
        stamp += rng.randrange(1, 60)
        rows.append(ROW.pack(ident, rng.randrange(16), stamp, rng.randrange(4), rng.randrange(1 << 10),
                             rng.normalvariate(50.0, 8.0), rng.choice(labels)))
    return b"".join(rows)[:size]


def noise(rng, size):
    return rng.randbytes(size)


KINDS = (  # share, generator, name stem, extensions
    (0.4, source_text, "src", (".cpp", ".h", ".txt", ".ini", ".xml")),
    (0.3, binary_records, "rec", (".dat", ".idx", ".bin", ".db")),
    (0.3, noise, "med", (".png", ".jpg", ".ogg", ".cab")),
)

# preset: (files, total bytes or None, per-file size range when there is no total, folder depth)
PRESETS = {
    "empty": (0, 0, None, 0),
    "small": (20, 2 * MiB, None, 1),
    "medium": (400, 120 * MiB, None, 3),
    "many": (5000, None, (1024, 8192), 2),
}


def file_sizes(rng, count, total, span):
    if count == 0:
        return []
    if span:
        return [rng.randint(*span) for _ in range(count)]
    # Many small files and a few large ones, scaled to the exact total.
    weights = [rng.lognormvariate(0.0, 1.2) for _ in range(count)]
    scale = total / sum(weights)
    sizes = [max(1, int(w * scale)) for w in weights]
    sizes[0] += total - sum(sizes)
    return sizes


def folder(rng, depth):
    parts = [f"d{level}_{rng.randrange(8 if level == 0 else 5)}" for level in range(rng.randint(0, depth))]
    return os.path.join(*parts) if parts else ""


def generate(preset, out_dir, seed=1):
    count, total, span, depth = PRESETS[preset]
    rng = random.Random(f"keldwick-bench/{preset}/{seed}")
    written = made = 0
    for share, make, stem, exts in KINDS:
        n = round(count * share)
        for i, size in enumerate(file_sizes(rng, n, round(total * share) if total else None, span)):
            where = os.path.join(out_dir, folder(rng, depth))
            os.makedirs(where, exist_ok=True)
            with open(os.path.join(where, f"{stem}{made:05d}{exts[i % len(exts)]}"), "wb") as f:
                f.write(make(rng, size))
            made += 1
            written += size
    return made, written


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("preset", choices=PRESETS)
    ap.add_argument("out_dir")
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    if os.path.isdir(args.out_dir) and os.listdir(args.out_dir):
        sys.exit(f"make_payload: {args.out_dir} is not empty")
    os.makedirs(args.out_dir, exist_ok=True)
    files, size = generate(args.preset, args.out_dir, args.seed)
    print(f"preset={args.preset} files={files} bytes={size} ({size / MiB:.1f} MiB)")


if __name__ == "__main__":
    main()
