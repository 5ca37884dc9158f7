"""A sampled sweep over damaged installers: bytes changed in the archive
header, the script block and the payload, and files cut short. Every mutant
must end in the corrupt-installer message (or, for a cut file, a clean
refusal), never in a crash or a hang, and leave at most the files that come
before the damage, each with its own bytes. The sample is fixed by its seed."""
import os
import random
import re
import shutil
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import setup_image as si  # noqa: E402
import test_install as ti  # noqa: E402
from harness import boxes  # noqa: E402

NAME = "KS Sweep"
FILES = [f"s{i}.txt" for i in range(6)]
CONTENT = {n: (f"sweep file {n}\r\n" * (30 + 7 * i)).encode() for i, n in enumerate(FILES)}
SEED = 13
# The engine's own text, shown before the script's messages are read.
BUILT_IN_CORRUPT = re.escape(
    "This installation program is corrupt.  This is usually caused by a faulty download, but it can also "
    "be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\nDelete the corrupted "
    "installer (to prevent caching), then re-download it.  If the problem persists, check your system for "
    "viruses.\r\n\r\nError code: ") + r"\d+"
# Words of Wine's crash dialog and of an unhandled exception report.
CRASH_WORDS = ("Program Error", "unhandled exception", "serious problem")


def setUpModule():
    shutil.rmtree(ti.unix_path(f"{ti.BASE}\\Sweep"), ignore_errors=True)


def base_image():
    """The sweep's installer with one record per chunk, so that damage in a
    chunk leaves the files of the chunks before it installable."""
    path = ti.build(ti.project(NAME), {f"files/{n}": data for n, data in CONTENT.items()})
    img = si.SetupImage.load(path)
    records = img.payload_records()
    assert [r.FileName.decode() for r in records] == FILES, [r.FileName for r in records]
    img.set_payload(b"".join(si.chunk(r.encode()) for r in records))
    return img, path


def chunk_spans(area):
    """(start, end) of each chunk within the payload area."""
    spans, pos = [], 0
    while pos + 8 <= len(area):
        size = struct.unpack_from("<i", area, pos)[0]
        spans.append((pos, pos + 8 + size))
        pos += 8 + size
    return spans


def make_mutants(img):
    """(name, file bytes, number of files that may stay, whether the system
    may refuse to start it) for the sampled mutants."""
    rng = random.Random(SEED)
    data = bytes(img.data)
    a = img.archive
    start = img.setup.raw_pointer
    header_end, script_end = start + a.header_size, start + a.script_end
    payload_end = script_end + a.PayloadSize
    spans = chunk_spans(a.payload)
    sizes_at = start + a.offsets["FileSizes"]

    def flipped(at):
        out = bytearray(data)
        out[at] ^= rng.randrange(1, 256)
        return out

    def files_before_payload_offset(at):
        rel = at - script_end
        return next(i for i, (s, e) in enumerate(spans) if s <= rel < e)

    mutants = []
    for _ in range(10):
        at = rng.randrange(start, header_end)
        keep = (at - sizes_at) // 4 if sizes_at <= at < sizes_at + 4 * len(FILES) else 0
        mutants.append((f"header+{at - start}", flipped(at), keep, False))
    for _ in range(10):
        at = rng.randrange(header_end, script_end)
        mutants.append((f"script+{at - header_end}", flipped(at), 0, False))
    for _ in range(4):  # PayloadChecksum left as it was
        at = rng.randrange(script_end, payload_end)
        mutants.append((f"payload+{at - script_end}", flipped(at), files_before_payload_offset(at), False))
    for _ in range(10):  # PayloadChecksum made to match: the chunk checks must catch it
        at = rng.randrange(script_end, payload_end)
        out = flipped(at)
        struct.pack_into("<I", out, start + a.offsets["PayloadChecksum"],
                         si.sum32(bytes(out[script_end:payload_end])))
        mutants.append((f"payload-rechecked+{at - script_end}", out, files_before_payload_offset(at), False))
    for _ in range(6):  # a sound chunk around a record whose content or checksum changed
        records = img.payload_records()
        k = rng.randrange(len(records))
        enc = [bytearray(r.encode()) for r in records]
        enc[k][rng.randrange(len(enc[k]) - len(CONTENT[FILES[k]]) - 4, len(enc[k]))] ^= rng.randrange(1, 256)
        area = b"".join(si.chunk(bytes(e)) for e in enc)
        mutant = si.SetupImage(bytearray(data))
        mutant.set_payload(area)
        mutants.append((f"record{k}-content", bytearray(mutant.data), k, False))
    for _ in range(4):  # the payload cut short while the header still claims all of it
        cut = rng.randrange(0, a.PayloadSize)
        mutant = si.SetupImage(bytearray(data))
        end = mutant.archive.ArchiveEnd
        mutant.archive.payload = a.payload[:cut]
        mutant.rebuild(PayloadSize=a.PayloadSize, ArchiveEnd=end)
        mutants.append((f"payload-cut-at+{cut}", bytearray(mutant.data), sum(1 for _, e in spans if e <= cut), False))
    for _ in range(2):  # the file itself cut short: the system refuses to start it
        at = rng.randrange(start, payload_end)
        mutants.append((f"file-cut-at+{at - start}", bytearray(data[:at]), 0, True))
    return mutants


class CorruptionSweepTest(unittest.TestCase):
    def test_every_mutant_stops_cleanly_and_keeps_only_earlier_files(self):
        img, path = base_image()
        # The script's corrupt message once it is read, the engine's own before.
        corrupt = re.compile(re.sub(r"%[diu]", r"\\d+", re.escape(ti.texts(path)[13])) + "|" + BUILT_IN_CORRUPT)
        work = harness.work_dir("sweep")
        mutants = make_mutants(img)
        self.assertGreaterEqual(len(mutants), 40)
        for i, (name, data, keep, refusal_ok) in enumerate(mutants):
            with self.subTest(name):
                ti.reg("delete", f"{ti.UNINSTALL_KEY}\\{NAME}", "/f")
                folder = f"{ti.BASE}\\Sweep\\{i}"
                exe = os.path.join(work, f"{i}.exe")
                with open(exe, "wb") as f:
                    f.write(data)
                report = ti.run_setup(exe, f'/a /d:"{folder}"', timeout=30)
                shown = [(b["caption"], b["text"]) for b in boxes(report)]
                words = " ".join(f"{w.get('caption')} {w.get('text')}" for w in report["windows"])
                self.assertFalse(report.get("timed_out"), "hang")
                self.assertFalse(any(w in words for w in CRASH_WORDS), words)
                if refusal_ok and report.get("stopped") == "start-failed":
                    self.assertIn("failed: 193", report.get("error", ""))  # not a valid image
                    continue
                self.assertIsNotNone(report["exit_code"], report)
                self.assertLess(report["exit_code"], 0x100, "ended by an exception")
                installed = ti.files_below(folder) - ti.UNINSTALL_FILES
                for n in installed & set(FILES):
                    with open(ti.unix_path(f"{folder}\\{n}"), "rb") as f:
                        self.assertEqual(f.read(), CONTENT[n], n)
                if not shown and report["exit_code"] == 1:
                    # Damage the run cannot see (an unused byte) installs everything.
                    self.assertEqual(installed, set(FILES))
                    continue
                self.assertEqual(len(shown), 1, shown)
                self.assertEqual(shown[0][0], "Error")
                self.assertRegex(shown[0][1], corrupt)
                self.assertLessEqual(installed, set(FILES[:keep]))
                self.assertEqual(ti.files_below(folder + "\\uninstall"), set())


if __name__ == "__main__":
    harness.main()
