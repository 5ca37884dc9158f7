"""An installer executable taken apart in Python: PE headers, the .setup
section and its archive (header fields by name, ScriptBlock, payload area).

Tests use it to damage one thing at a time:
  img = SetupImage.load(path)
  img.patch("ScriptSize", 0)              # one header field in place, nothing else moves
  img.set_script(new_plain_script)        # re-pack: sizes, ArchiveEnd and section follow
  img.archive.version = "33.9"; img.rebuild()
  records = img.payload_records()         # FileRecord objects, fields by name
  img.set_payload(b"".join(chunk(r.encode()) for r in records))  # new chunks, PayloadChecksum follows
  img.save(out_path)

rebuild() writes the whole .setup section again from the parsed fields and
keeps the PE headers consistent (section sizes, SizeOfImage,
SizeOfInitializedData) and, when it was right before, EngineChecksum."""
import struct
import zlib

ARCHIVE_MAGIC = 0xA4F23DE5
SUM32_SEED = 0x79E2BC9D
ARC_BLOWFISH = 0x1000
OPT2_ENGINE_CHECKSUM = 0x1
OPT_ZLIB_PAYLOAD = 0x20
PE_CHECKSUM_START = 92

U32_FIELDS = ("ArchiveFlags", "ScriptSize", "ScriptKey", "EngineChecksum", "ArchiveEnd",
              "FileCount", "PayloadSize", "PayloadChecksum")


def sum32(data):
    """The archive's check value: seed + whole LE u32s + signed tail bytes + length."""
    n = len(data)
    if n <= 0:
        return SUM32_SEED
    total = SUM32_SEED
    whole = n // 4
    if whole:
        total += sum(struct.unpack_from(f"<{whole}I", data))
    for b in data[whole * 4:]:
        total += b - 256 if b >= 128 else b
    return (total + n) & 0xFFFFFFFF


def xor_scramble(data, key):
    """Whole LE u32 groups XOR the key, tail bytes XOR the key's low bytes. Its own inverse."""
    whole = len(data) // 4
    words = struct.unpack_from(f"<{whole}I", data)
    out = bytearray(struct.pack(f"<{whole}I", *(w ^ key for w in words)))
    kb = struct.pack("<I", key)
    for i, b in enumerate(data[whole * 4:]):
        out.append(b ^ kb[i])
    return bytes(out)


def align(n, a):
    return (n + a - 1) // a * a


class Section:
    SIZE = 40

    def __init__(self, data, offset, index):
        self.offset = offset  # file offset of the header
        self.index = index
        (name, self.virtual_size, self.virtual_address, self.raw_size, self.raw_pointer,
         _, _, _, _, self.characteristics) = struct.unpack_from("<8sIIIIIIHHI", data, offset)
        self.name = name.rstrip(b"\0").decode("latin-1")


class PeImage:
    def __init__(self, data):
        self.data = bytearray(data)
        self.parse()

    def u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def put_u16(self, off, v):
        struct.pack_into("<H", self.data, off, v & 0xFFFF)

    def put_u32(self, off, v):
        struct.pack_into("<I", self.data, off, v & 0xFFFFFFFF)

    def parse(self):
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        self.pe_offset = self.u32(60)
        if d[self.pe_offset:self.pe_offset + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        p = self.pe_offset
        self.section_count = self.u16(p + 6)
        self.optional_size = self.u16(p + 20)
        self.section_alignment = self.u32(p + 56)
        self.file_alignment = self.u32(p + 60)
        self.size_of_image = self.u32(p + 80)
        self.size_of_headers = self.u32(p + 84)
        self.table_offset = p + 24 + self.optional_size
        self.sections = [Section(d, self.table_offset + i * Section.SIZE, i) for i in range(self.section_count)]

    def section(self, name):
        for s in self.sections:
            if s.name == name:
                return s
        return None

    def engine_checksum(self, head_size):
        """Sum32 over the head from PE offset + 92 to the archive's raw data."""
        return sum32(bytes(self.data[self.pe_offset + PE_CHECKSUM_START:head_size]))


class Archive:
    """The parsed SetupArchive; `offsets` maps header field names to their
    offsets from the start of the section."""

    def __init__(self, sec):
        self.offsets = {}
        pos = 0

        def u32(name):
            nonlocal pos
            self.offsets[name] = pos
            v = struct.unpack_from("<I", sec, pos)[0]
            pos += 4
            return v

        self.magic = u32("magic")
        self.offsets["version"] = pos
        end = sec.index(b"\0", pos)
        self.version = sec[pos:end].decode("latin-1")
        pos = end + 1
        for name in U32_FIELDS:
            setattr(self, name, u32(name))
        count = self.FileCount if self.FileCount < 0x80000000 else 0
        self.offsets["FileSizes"] = pos
        self.FileSizes = list(struct.unpack_from(f"<{count}I", sec, pos))
        pos += 4 * count
        self.BlowfishKey = None
        if self.ArchiveFlags & ARC_BLOWFISH:
            self.offsets["BlowfishKey"] = pos
            self.BlowfishKey = bytes(sec[pos:pos + 8])
            pos += 8
        self.header_size = pos
        self.script_block = bytes(sec[pos:pos + self.ScriptSize])
        self.script_end = pos + self.ScriptSize
        self.payload = bytes(sec[self.script_end:self.script_end + self.PayloadSize])

    def header_bytes(self):
        out = bytearray(struct.pack("<I", self.magic))
        out += self.version.encode("latin-1") + b"\0"
        for name in U32_FIELDS:
            out += struct.pack("<I", getattr(self, name) & 0xFFFFFFFF)
        out += struct.pack(f"<{len(self.FileSizes)}I", *self.FileSizes)
        if self.ArchiveFlags & ARC_BLOWFISH:
            out += self.BlowfishKey or bytes(8)
        return bytes(out)


class SetupImage:
    def __init__(self, data):
        self.pe = PeImage(data)
        sec = self.pe.section(".setup")
        if sec is None:
            raise ValueError("no .setup section")
        self.setup = sec
        raw = bytes(self.pe.data[sec.raw_pointer:sec.raw_pointer + sec.raw_size])
        self.archive = Archive(raw)

    @classmethod
    def load(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    @property
    def data(self):
        return self.pe.data

    def save(self, path):
        with open(path, "wb") as f:
            f.write(self.pe.data)
        return path

    # --- header fields in place ------------------------------------------

    def field_offset(self, name, index=0):
        """File offset of a header field ("FileSizes" takes an index)."""
        off = self.archive.offsets[name] + (4 * index if name == "FileSizes" else 0)
        return self.setup.raw_pointer + off

    def patch(self, name, value, index=0):
        """Overwrites one u32 header field in the file; nothing else changes."""
        self.pe.put_u32(self.field_offset(name, index), value)
        if name == "FileSizes":
            self.archive.FileSizes[index] = value
        else:
            setattr(self.archive, name, value)

    def engine_checksum_ok(self):
        return self.pe.engine_checksum(self.setup.raw_pointer) == self.archive.EngineChecksum

    def fix_engine_checksum(self):
        self.patch("EngineChecksum", self.pe.engine_checksum(self.setup.raw_pointer))

    # --- the script ------------------------------------------------------

    def script(self):
        """The plain (inflated) settings script."""
        a = self.archive
        if a.ArchiveFlags & ARC_BLOWFISH:
            raise NotImplementedError("Blowfish-enciphered ScriptBlock")
        return zlib.decompress(xor_scramble(a.script_block, a.ScriptKey))

    def set_script(self, plain, key=None):
        """Compresses and scrambles `plain` as the new ScriptBlock (ScriptKey =
        Sum32 of it unless `key` is given) and rebuilds the section."""
        a = self.archive
        if a.ArchiveFlags & ARC_BLOWFISH:
            raise NotImplementedError("Blowfish-enciphered ScriptBlock")
        a.ScriptKey = sum32(plain) if key is None else key
        a.script_block = xor_scramble(zlib.compress(plain, 9), a.ScriptKey)
        self.rebuild()

    def set_script_block(self, block):
        """Stores `block` as the ScriptBlock as it is (no compression)."""
        self.archive.script_block = bytes(block)
        self.rebuild()

    # --- the payload area ------------------------------------------------

    def payload_compressed(self):
        """Chunks are zlib streams when the script's OptionFlags has 0x20."""
        if self.archive.ArchiveFlags & ARC_BLOWFISH:
            raise NotImplementedError("Blowfish-enciphered payload")
        return bool(struct.unpack_from("<I", self.script(), 0)[0] & OPT_ZLIB_PAYLOAD)

    def payload_records(self):
        """The payload's records as FileRecord objects, in payload order."""
        a = self.archive
        stream = record_stream(a.payload, self.payload_compressed())
        return [FileRecord(r, size) for r, size in zip(split_records(stream), a.FileSizes)]

    def set_payload(self, area, checksum=None):
        """Stores `area` as the payload area with PayloadChecksum = its Sum32
        (or `checksum`), so that damage inside it reaches the extraction."""
        a = self.archive
        a.payload = bytes(area)
        a.PayloadChecksum = sum32(a.payload) if checksum is None else checksum
        self.rebuild()

    # --- the whole section -----------------------------------------------

    def rebuild(self, **overrides):
        """Writes the section again from the parsed fields. ScriptSize,
        FileCount, PayloadSize and ArchiveEnd follow the data unless given in
        `overrides`; the section must be the file's last."""
        a = self.archive
        pe = self.pe
        sec = self.setup
        if any(s.raw_pointer > sec.raw_pointer or s.virtual_address > sec.virtual_address for s in pe.sections):
            raise NotImplementedError(".setup is not the last section")
        checksum_was_ok = self.engine_checksum_ok()
        a.ScriptSize = len(a.script_block)
        a.FileCount = len(a.FileSizes)
        a.PayloadSize = len(a.payload)
        for k, v in overrides.items():
            setattr(a, k, v)
        header = a.header_bytes()
        if "ArchiveEnd" not in overrides:
            a.ArchiveEnd = len(header) + len(a.script_block) + len(a.payload)
            header = a.header_bytes()
        body = header + a.script_block + a.payload
        tail = bytes(pe.data[sec.raw_pointer + sec.raw_size:])
        raw_size = align(len(body), pe.file_alignment)
        old_raw = sec.raw_size
        pe.data = bytearray(pe.data[:sec.raw_pointer]) + body + bytes(raw_size - len(body)) + tail
        pe.put_u32(sec.offset + 8, len(body))    # VirtualSize
        pe.put_u32(sec.offset + 16, raw_size)    # SizeOfRawData
        p = pe.pe_offset
        pe.put_u32(p + 32, pe.u32(p + 32) - old_raw + raw_size)   # SizeOfInitializedData
        pe.put_u32(p + 80, align(sec.virtual_address + len(body), pe.section_alignment))  # SizeOfImage
        pe.parse()
        self.setup = pe.section(".setup")
        self.archive = Archive(bytes(pe.data[self.setup.raw_pointer:self.setup.raw_pointer + self.setup.raw_size]))
        if checksum_was_ok and "EngineChecksum" not in overrides:
            self.fix_engine_checksum()


# --- loadable images with unusual headers -------------------------------

def move_pe_header(data, new_offset):
    """Moves the PE headers (signature, file and optional header, section
    table) to `new_offset`, which may overlap the DOS header: when e_lfanew
    falls inside the moved file header (offsets 0x30 and 0x2C put it on the
    unused PointerToSymbolTable and NumberOfSymbols), the value still reads
    right for the loader."""
    pe = PeImage(data)
    length = pe.table_offset + Section.SIZE * pe.section_count - pe.pe_offset
    headers = bytearray(pe.data[pe.pe_offset:pe.pe_offset + length])
    rel = 60 - new_offset
    if 0 <= rel < len(headers) and not (12 <= rel <= 16):
        raise ValueError("e_lfanew would fall on a header field the loader reads")
    if 0 <= rel < len(headers):
        struct.pack_into("<I", headers, rel, new_offset)
    out = bytearray(pe.data)
    out[pe.pe_offset:pe.pe_offset + length] = bytes(length)
    out[new_offset:new_offset + length] = headers
    struct.pack_into("<I", out, 60, new_offset)
    PeImage(out)  # still parses
    return bytes(out)


def merge_sections(data, groups):
    """Lays the image out again with fewer sections: each group (a list of
    section names, contiguous in memory) becomes one section whose raw data is
    the members' memory image; names of one-member groups are kept."""
    pe = PeImage(data)
    by_name = {s.name: s for s in pe.sections}
    if sorted(n for g in groups for n in g) != sorted(by_name):
        raise ValueError("groups must name every section once")
    sa, fa = pe.section_alignment, pe.file_alignment
    raw_parts, headers = [], []
    raw_pos = align(pe.size_of_headers, fa)
    for g in groups:
        members = sorted((by_name[n] for n in g), key=lambda s: s.virtual_address)
        va = members[0].virtual_address
        end = max(m.virtual_address + align(max(m.virtual_size, m.raw_size), sa) for m in members)
        image = bytearray(end - va)
        chars = 0
        for m in members:
            n = min(m.raw_size, align(m.virtual_size, sa)) if m.virtual_size else m.raw_size
            image[m.virtual_address - va:m.virtual_address - va + n] = pe.data[m.raw_pointer:m.raw_pointer + n]
            chars |= m.characteristics
        if len(members) > 1:
            chars = (chars | 0xE0000020) & ~0x02000080  # code, read, write, execute; kept
            name = members[0].name
            vsize = end - va
        else:
            name, vsize = members[0].name, members[0].virtual_size
            image = image[:members[0].raw_size]
        raw = bytes(image) + bytes(align(len(image), fa) - len(image))
        headers.append(struct.pack("<8sIIIIIIHHI", name.encode("latin-1"), vsize, va, len(raw),
                                   raw_pos if raw else 0, 0, 0, 0, 0, chars))
        raw_parts.append(raw)
        raw_pos += len(raw)
    out = bytearray(pe.data[:pe.size_of_headers])
    out += bytes(align(len(out), fa) - len(out))
    for raw in raw_parts:
        out += raw
    table = pe.table_offset
    out[table:table + Section.SIZE * pe.section_count] = bytes(Section.SIZE * pe.section_count)
    for i, h in enumerate(headers):
        out[table + i * Section.SIZE:table + (i + 1) * Section.SIZE] = h
    struct.pack_into("<H", out, pe.pe_offset + 6, len(groups))
    PeImage(out)
    return bytes(out)


# --- the payload area ----------------------------------------------------

def read_chunks(area):
    """The payload area as a list of (size, checksum, stored data) as found."""
    chunks, pos = [], 0
    while pos + 8 <= len(area):
        size, checksum = struct.unpack_from("<iI", area, pos)
        data = area[pos + 8:pos + 8 + max(size, 0)]
        chunks.append((size, checksum, bytes(data)))
        pos += 8 + max(size, 0)
    return chunks


def record_stream(area, compressed=True):
    """The decoded record queue of a sound payload: every chunk inflated and joined."""
    return b"".join(zlib.decompress(d) if compressed else d for _, _, d in read_chunks(area))


def split_records(stream):
    """The records of a record queue, each with its 32-bit length in front."""
    records, pos = [], 0
    while pos < len(stream):
        n = struct.unpack_from("<I", stream, pos)[0]
        records.append(bytes(stream[pos:pos + 4 + n]))
        pos += 4 + n
    return records


def chunk(plain, compressed=True, size=None, checksum=None, stored=None):
    """One chunk: size, Sum32 of the stored data, the data. `stored` replaces
    the encoded data; `size` and `checksum` override the true values."""
    data = stored if stored is not None else (zlib.compress(plain, 9) if compressed else plain)
    return struct.pack("<iI", len(data) if size is None else size,
                       sum32(data) if checksum is None else checksum) + data


class FileRecord:
    """One payload record, fields by name; `content` and its checksum follow."""

    def __init__(self, record, size):
        """`record` with its leading length; `size` is the file's FileSizes entry."""
        body = record[4:]
        pos = 0

        def cstr():
            nonlocal pos
            end = body.index(b"\0", pos)
            s = body[pos:end]
            pos = end + 1
            return s

        def u32():
            nonlocal pos
            v = struct.unpack_from("<I", body, pos)[0]
            pos += 4
            return v

        self.FileName = cstr()
        self.Kind, self.FileFlags, self.Attributes = u32(), u32(), u32()
        self.FileTime = bytes(body[pos:pos + 24])
        pos += 24
        self.Title = cstr()
        self.IconFile = cstr() if self.FileFlags & 3 else b""
        self.Arguments, self.Destination, self.WorkingFolder = cstr(), cstr(), cstr()
        self.MsiUiLevel = u32() if self.Kind == 11 else 0
        self.content = bytes(body[pos:pos + size])
        self.checksum = struct.unpack_from("<I", body, pos + size)[0]

    def encode(self, checksum=None):
        """The record with its length; the content checksum is recomputed unless given."""
        out = bytearray(self.FileName + b"\0")
        out += struct.pack("<III", self.Kind, self.FileFlags, self.Attributes) + self.FileTime
        out += self.Title + b"\0"
        if self.FileFlags & 3:
            out += self.IconFile + b"\0"
        out += self.Arguments + b"\0" + self.Destination + b"\0" + self.WorkingFolder + b"\0"
        if self.Kind == 11:
            out += struct.pack("<I", self.MsiUiLevel)
        out += self.content + struct.pack("<I", sum32(self.content) if checksum is None else checksum)
        return struct.pack("<I", len(out)) + bytes(out)

