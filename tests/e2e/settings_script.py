"""A walker over the plain settings script: finds where each field lies so
that a test can change one field (or insert list entries) and re-pack the
script, producing settings the builder would refuse to write.

  spans = walk(script)                 # {field name: (start, end)}
  script = set_uint(script, "BitmapSize", 101)
  script = insert_at(script, "DeleteList", delete_entry(b"x") * 1001)
"""
import struct

DELETE_LIST_END = b"~~THE END~~"
CLOSE_LIST_END = b"~~THE~END~~"
END_MARK = 0xD3E82B97
OPT_UNINSTALLER = 0x4
OPT_REQUIRED_PRODUCT = 0x10000


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ValueError(f"script ends at {len(self.data)}, wanted {n} bytes at {self.pos}")
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def pstr(self):
        n = self.u8()
        if n == 0xFF:
            l1 = self.u8()
            if l1 == 0xFF:
                n = self.u32()
            else:
                n = l1 + 256 * self.u8()
        return self.take(n)

    def wzstr(self):
        start = self.pos
        while self.take(2) != b"\0\0":
            pass
        return self.data[start:self.pos - 2]

    def azstr(self):
        end = self.data.index(b"\0", self.pos)
        s = self.data[self.pos:end]
        self.pos = end + 1
        return s

    def blob32(self):
        return self.take(self.u32())

    def blob16(self):
        return self.take(self.u16())

    def str8(self):
        return self.take(self.u8())


def _fields(r, spans, values):
    """Reads the script field by field; records each field's span."""
    def field(name, fn):
        start = r.pos
        values[name] = fn()
        spans[name] = (start, r.pos)
        return values[name]

    field("OptionFlags", r.u32)
    field("OptionFlags2", r.u32)
    field("SilentMode", r.u8)
    field("TaskbarText", r.pstr)
    field("DisplayTitle", r.pstr)
    field("TitleSize", lambda: r.take(8))
    field("ProgressPosition", r.u32)
    field("MinStatusTime", r.u16)
    field("ShortcutMode", r.u8)
    field("UninstallerFileTimes", lambda: r.take(24))
    for name in ("Publisher", "ProductName", "ProductDescription"):
        field(name, r.pstr)
    field("Bitness", r.u8)
    field("SharedFolderBase", r.u8)
    field("SharedPath", r.pstr)
    field("SharedPathOnRemovable", r.pstr)
    field("ProductStartMenu", r.wzstr)
    field("ProductVersion", r.pstr)
    field("DefaultInstallDir", r.wzstr)
    field("ProductRegistry", r.wzstr)
    field("Registry2Text", r.azstr)
    field("BitmapSize", r.u32)
    field("StretchMode", r.u32)
    field("GreetingLink", r.blob16)
    for name in ("LicenseTexts", "ReadmeTexts"):
        field(name + "Count", r.u32)
        field(name, lambda: [r.blob32() for _ in range(values[name + "Count"])])
    field("UninstallSubdir", r.pstr)
    field("UninstallerFileName", r.azstr)
    field("UninstallKeyName", r.pstr)
    field("InstallDirRegistryValue", r.azstr)
    field("BannerHeading", r.wzstr)
    field("PictureFrame", r.u8)
    field("TitleColor", r.u32)
    field("TitleShadow", r.u8)
    field("TitlePosition", r.u8)
    field("TitleFont", r.azstr)
    field("TopColor", r.u32)
    field("BottomColor", r.u32)

    def picture():
        n = r.u32()
        return (r.take(n), r.u32()) if n else (b"", None)
    field("BackgroundPicture", picture)

    def copyright():
        pos = r.u8()
        if not pos:
            return (0,)
        return (pos, r.u32(), r.take(8), r.pstr(), r.pstr())
    field("Copyright", copyright)
    if values["OptionFlags"] & OPT_REQUIRED_PRODUCT:
        field("RequiredProduct", lambda: (r.pstr(), r.pstr(), r.pstr()))
    field("DesktopFolder", r.pstr)
    field("DesktopFolderIcon", r.blob32)
    field("InstallBatches", lambda: [r.azstr() for _ in range(3)])
    field("UninstallBatches", lambda: [r.azstr() for _ in range(4)])
    field("Reserved", lambda: r.take(20))
    field("ExcludedSystems", r.u32)
    field("PayloadInFile", r.u8)
    field("FinishTexts", lambda: [r.azstr() for _ in range(3)])
    field("NotifyUrls", lambda: [r.pstr() for _ in range(6)])
    field("ConfirmUpgradeBelow", r.azstr)
    field("NoDowngradeBelow", r.str8)
    field("Password", r.pstr)
    field("MustUninstallBelow", r.pstr)
    field("FirewallPrograms", r.pstr)
    field("AddToPathSubfolder", r.pstr)
    field("ExtraSpace", lambda: r.take(8))
    field("DialogVariants", lambda: [r.u32() for _ in range(8)])
    if values["OptionFlags"] & OPT_UNINSTALLER:
        field("UninstallIcon", r.blob32)

    def delete_list():
        entries = []
        while True:
            path = r.azstr()
            if path == DELETE_LIST_END:
                return entries
            entries.append((path, r.u8(), r.azstr(), r.u8()))
    field("DeleteList", delete_list)
    field("AssociationCount", r.u32)
    field("AssociationList", lambda: [(r.u32(), [r.azstr() for _ in range(6)], r.wzstr(), r.azstr())
                                      for _ in range(values["AssociationCount"])])
    field("ShortcutCount", r.u32)
    field("ShortcutList", lambda: [(r.azstr(), r.azstr(), r.azstr(), r.pstr(), r.azstr(), r.u8(), r.u8(), r.u8(),
                                    r.azstr(), r.u8(), r.u8()) for _ in range(values["ShortcutCount"])])
    field("RootShortcut", lambda: (r.wzstr(), r.azstr(), r.wzstr(), r.wzstr()))
    field("RegistryCount", r.u32)
    field("RegistryList", lambda: [(r.azstr(), r.u8(), r.pstr()) for _ in range(values["RegistryCount"])])
    field("SupportOffer", r.blob16)
    field("ProductIcon", r.blob32)

    def close_list():
        entries = []
        while True:
            first = r.azstr()
            if first == CLOSE_LIST_END:
                return entries
            entries.append((first, r.azstr(), r.azstr(), r.u8(), r.u8()))
    field("CloseList", close_list)
    field("LanguageCount", r.u8)
    field("StringCount", r.u32)
    field("LanguageNames", lambda: [r.wzstr() for _ in range(values["LanguageCount"])])
    field("StringTable", lambda: [[r.wzstr() for _ in range(values["LanguageCount"])]
                                  for _ in range(values["StringCount"])])
    field("EndMark", r.u32)


def walk(script):
    """(spans, values): each field's (start, end) in the script and its value.
    Count fields are separate entries ("LicenseTextsCount", "AssociationCount",
    "ShortcutCount", "RegistryCount", "LanguageCount", "StringCount")."""
    r = Reader(bytes(script))
    spans, values = {}, {}
    _fields(r, spans, values)
    if r.pos != len(script):
        raise ValueError(f"{len(script) - r.pos} bytes after the end mark")
    return spans, values


def replace_field(script, name, new_bytes):
    start, end = walk(script)[0][name]
    return bytes(script[:start]) + bytes(new_bytes) + bytes(script[end:])


def set_uint(script, name, value):
    """Overwrites an integer field with a value of the same width."""
    start, end = walk(script)[0][name]
    fmt = {1: "<B", 2: "<H", 4: "<I"}[end - start]
    return replace_field(script, name, struct.pack(fmt, value))


def insert_at(script, name, data):
    """Inserts bytes at the start of a field (list entries before a list's end marker)."""
    start = walk(script)[0][name][0]
    return bytes(script[:start]) + bytes(data) + bytes(script[start:])


def add_entries(script, count_field, list_field, entry, n):
    """Appends n copies of `entry` to a counted list and raises its count."""
    spans, values = walk(script)
    c0, c1 = spans[count_field]
    end = spans[list_field][1]
    out = bytearray(script[:end]) + entry * n + bytes(script[end:])
    struct.pack_into("<I", out, c0, values[count_field] + n)
    return bytes(out)


def delete_entry(path=b"x"):
    return path + b"\0" + b"\0" + b"\0" + b"\0"


def close_entry(cls=b"C"):
    return cls + b"\0" + b"\0" + b"\0" + b"\0" + b"\0"


def wz(text):
    return text.encode("utf-16-le") + b"\0\0"


def pstr(data):
    n = len(data)
    if n < 0xFF:
        return bytes([n]) + data
    if n <= 0xFFFF and n & 0xFF != 0xFF:
        return bytes([0xFF, n & 0xFF, n >> 8]) + data
    return b"\xFF\xFF" + struct.pack("<I", n) + data
