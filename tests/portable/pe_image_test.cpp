// PE image rules on synthetic PE32 images: locating .setup, the engine
// checksum range, attaching an archive and the uninstaller image.
#include "portable/pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "portable/archive.h"
#include "portable/sum32.h"

namespace ks {
namespace {

constexpr uint32_t kPe = 0x80;
constexpr uint32_t kTable = kPe + 24 + 0xE0;
constexpr uint32_t kSectionAlign = 0x1000, kFileAlign = 0x200;

struct Section {
  std::string name;
  uint32_t raw_size = kFileAlign;  // 0: no raw data (pointer 0)
};

// A PE32 whose sections follow each other in file and memory; each section's
// raw data is filled with its index + 1 so moves can be traced.
Bytes MakePe(const std::vector<Section>& sections, uint32_t headers_size = 0x400) {
  Bytes exe(headers_size, 0);
  exe[0] = 'M';
  exe[1] = 'Z';
  StoreU32(exe.data() + 60, kPe);
  std::memcpy(exe.data() + kPe, "PE\0\0", 4);
  StoreU16(exe.data() + kPe + 4, 0x14C);
  StoreU16(exe.data() + kPe + 6, uint16_t(sections.size()));
  StoreU16(exe.data() + kPe + 20, 0xE0);
  StoreU16(exe.data() + kPe + 24, 0x10B);
  StoreU32(exe.data() + kPe + kPeSectionAlignment, kSectionAlign);
  StoreU32(exe.data() + kPe + kPeFileAlignment, kFileAlign);
  StoreU32(exe.data() + kPe + kPeSizeOfHeaders, headers_size);
  uint32_t va = kSectionAlign, init_data = 0;
  for (size_t i = 0; i < sections.size(); ++i) {
    uint8_t* sh = exe.data() + kTable + i * 40;
    std::memcpy(sh, sections[i].name.data(), std::min<size_t>(8, sections[i].name.size()));
    uint32_t raw = sections[i].raw_size;
    StoreU32(sh + 8, raw ? raw : kSectionAlign);
    StoreU32(sh + 12, va);
    StoreU32(sh + 16, raw);
    StoreU32(sh + 20, raw ? uint32_t(exe.size()) : 0);
    StoreU32(sh + 36, 0x40000040);
    exe.resize(exe.size() + raw, uint8_t(i + 1));
    va += (std::max(raw, 1u) + kSectionAlign - 1) / kSectionAlign * kSectionAlign;
    init_data += raw;
  }
  StoreU32(exe.data() + kPe + kPeSizeOfImage, va);
  StoreU32(exe.data() + kPe + kPeSizeOfInitializedData, init_data);
  return exe;
}

uint32_t SectionField(const Bytes& exe, size_t index, size_t field) {
  return LoadU32(exe.data() + kTable + index * 40 + field);
}

const std::vector<Section> kFiveWithSetup = {{".text"}, {".rdata"}, {".setup", 0x2000}, {".data"}, {".rsrc"}};

TEST(LocateSetupSection, FindsTheSection) {
  Bytes exe = MakePe(kFiveWithSetup);
  SetupSection s;
  ASSERT_EQ(LocateSetupSection(exe, s), kArcOk);
  EXPECT_EQ(s.pe_offset, kPe);
  EXPECT_EQ(s.section_count, 5);
  EXPECT_EQ(s.table_offset, kTable);
  EXPECT_EQ(s.index, 2);
  EXPECT_EQ(s.virtual_address, 0x3000u);
  EXPECT_EQ(s.virtual_size, 0x2000u);
  EXPECT_EQ(s.raw_size, 0x2000u);
  EXPECT_EQ(s.raw_pointer, 0x800u);
}

TEST(LocateSetupSection, Errors) {
  struct Case {
    const char* what;
    std::function<void(Bytes&)> change;
    int expect;
  };
  const Case cases[] = {
      {"pe offset 63", [](Bytes& e) { StoreU16(e.data() + 60, 63); }, kErrPeOffset},
      // 64 itself is accepted; the zeros found there then fail the count.
      {"pe offset 64", [](Bytes& e) { StoreU16(e.data() + 60, 64); }, kErrSectionCount},
      {"pe offset 4097", [](Bytes& e) { StoreU16(e.data() + 60, 4097); }, kErrPeOffset},
      {"file too short", [](Bytes& e) { e.resize(61); }, kErrPeOffset},
      {"count unreadable", [](Bytes& e) { e.resize(kPe + 7); }, kErrSectionCount},
      {"100 sections", [](Bytes& e) { StoreU16(e.data() + kPe + 6, 100); }, kErrSectionCount},
      {"table cut short", [](Bytes& e) { e.resize(kTable + 40); }, kErrSectionCount},
      {"no setup", [](Bytes& e) { e[kTable + 2 * 40 + 1] = 'S'; }, kNoSetupSection},
      {"longer name", [](Bytes& e) { e[kTable + 2 * 40 + 6] = 'x'; }, kNoSetupSection},
      {"raw pointer 0", [](Bytes& e) { StoreU32(e.data() + kTable + 2 * 40 + 20, 0); }, kErrSectionPointer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes exe = MakePe(kFiveWithSetup);
    c.change(exe);
    SetupSection s;
    EXPECT_EQ(LocateSetupSection(exe, s), c.expect);
  }
}

TEST(LocateSetupSection, ThreeSectionsFailBeforeAnyNameIsRead) {
  Bytes exe = MakePe({{".setup"}, {".text"}, {".data"}});
  uint64_t furthest = 0;
  auto read_at = [&](uint64_t offset, void* out, size_t n) {
    furthest = std::max(furthest, offset + n);
    if (offset + n > exe.size()) return false;
    std::memcpy(out, exe.data() + offset, n);
    return true;
  };
  SetupSection s;
  EXPECT_EQ(LocateSetupSection(read_at, s), kErrSectionCount);
  EXPECT_LE(furthest, kTable);
}

TEST(EngineChecksum, CoversEverythingAfterThePeChecksumField) {
  Bytes head = MakePe(kFiveWithSetup);
  head.resize(0x800);  // up to the archive's raw data
  const uint32_t base = EngineChecksum(head.data(), head.size(), kPe);
  EXPECT_EQ(base, Sum32(head.data() + kPe + 92, (long long)head.size() - kPe - 92));

  Bytes changed = head;
  changed[kPe + 91] ^= 1;  // the PE checksum itself is outside
  EXPECT_EQ(EngineChecksum(changed.data(), changed.size(), kPe), base);
  for (size_t at : {size_t(kPe + 92), head.size() - 1}) {
    changed = head;
    changed[at] ^= 1;
    EXPECT_NE(EngineChecksum(changed.data(), changed.size(), kPe), base) << at;
  }
  EXPECT_EQ(EngineChecksum(head.data(), kPe + 92, kPe), kSum32Seed);
}

// The certificate-table entry of a PE32 with 16 data directories, as MakePe
// lays it out: optional header + 96 + 4 * 8.
constexpr uint32_t kCertEntry = kPe + 24 + 96 + 32;

Bytes WithDirectories(Bytes exe, uint32_t count = 16) {
  StoreU32(exe.data() + kPe + 24 + 92, count);
  return exe;
}

void SetCertificateEntry(Bytes& exe, uint32_t offset, uint32_t size, uint32_t entry = kCertEntry) {
  StoreU32(exe.data() + entry, offset);
  StoreU32(exe.data() + entry + 4, size);
}

TEST(EngineChecksum, IgnoresOnlyTheCertificateTableEntry) {
  Bytes pe32 = WithDirectories(MakePe(kFiveWithSetup));
  pe32.resize(0x800);  // up to the archive's raw data
  ASSERT_EQ(CertificateEntryOffset(pe32, kPe), kCertEntry);
  // A PE32+ keeps its directory count and directories 16 bytes further on.
  Bytes pe64 = pe32;
  StoreU16(pe64.data() + kPe + 24, 0x20B);
  StoreU32(pe64.data() + kPe + 24 + 92, 0);
  StoreU32(pe64.data() + kPe + 24 + 108, 16);
  const uint32_t entry64 = kCertEntry + 16;
  ASSERT_EQ(CertificateEntryOffset(pe64, kPe), entry64);

  auto four_directories = [](Bytes& h) { StoreU32(h.data() + kPe + 24 + 92, 4); };
  auto short_optional_header = [](Bytes& h) { StoreU16(h.data() + kPe + 20, 96 + 32); };
  auto none = [](Bytes&) {};
  struct Case {
    const char* name;
    const Bytes& image;
    std::function<void(Bytes&)> layout;  // applied to both: the unsigned head
    std::function<void(Bytes&)> change;  // what signing (or damage) then writes
    bool counted;
  };
  const Case cases[] = {
      {"signed PE32: entry filled", pe32, none, [](Bytes& h) { SetCertificateEntry(h, 0x123400, 0x5678); }, false},
      {"signed PE32+", pe64, none, [&](Bytes& h) { SetCertificateEntry(h, 0x123400, 0x5678, entry64); }, false},
      {"the PE checksum field", pe32, none, [](Bytes& h) { StoreU32(h.data() + kPe + 88, 0xABCD); }, false},
      {"byte before the entry", pe32, none, [](Bytes& h) { h[kCertEntry - 1] ^= 1; }, true},
      {"byte after the entry", pe32, none, [](Bytes& h) { h[kCertEntry + 8] ^= 1; }, true},
      {"PE32+: where a PE32 entry would be", pe64, none, [](Bytes& h) { h[kCertEntry] ^= 1; }, true},
      {"only 4 directories: no entry", pe32, four_directories, [](Bytes& h) { h[kCertEntry] ^= 1; }, true},
      {"optional header ends before the entry", pe32, short_optional_header, [](Bytes& h) { h[kCertEntry] ^= 1; },
       true},
  };
  for (const Case& c : cases) {
    Bytes head = c.image;
    c.layout(head);
    // Unsigned: the entry is zero and the sum is exactly the plain Sum32.
    const uint32_t plain = Sum32(head.data() + kPe + 92, (long long)head.size() - kPe - 92);
    ASSERT_EQ(EngineChecksum(head.data(), head.size(), kPe), plain) << c.name;
    c.change(head);
    const uint32_t sum = EngineChecksum(head.data(), head.size(), kPe);
    if (c.counted) {
      EXPECT_NE(sum, plain) << c.name;
    } else {
      EXPECT_EQ(sum, plain) << c.name;
    }
  }
}

TEST(CheckPayloadInFile, EndsTheFileOrTheCertificateTable) {
  const uint64_t start = 0x1000;
  struct Case {
    const char* name;
    uint32_t payload_size;
    uint64_t file_size;
    CertificateTable certificate;
    int expected;
  };
  const Case cases[] = {
      {"unsigned, ends the file", 0x800, 0x1800, {}, kArcOk},
      {"unsigned, empty payload", 0, 0x1000, {}, kArcOk},
      {"unsigned, a byte appended", 0x800, 0x1801, {}, kErrPayloadLength},
      {"unsigned, file too short", 0x800, 0x17FF, {}, kErrPayloadLength},
      {"signed, table right after", 0x800, 0x1800 + 0x500, {0x1800, 0x500}, kArcOk},
      {"signed, table after 3 alignment bytes", 0x7FD, 0x1800 + 0x500, {0x1800, 0x500}, kArcOk},
      {"signed, 8 bytes between", 0x800, 0x1808 + 0x500, {0x1808, 0x500}, kErrPayloadLength},
      {"signed, bytes appended after the table", 0x800, 0x1800 + 0x510, {0x1800, 0x500}, kErrPayloadLength},
      {"signed, payload runs into the table", 0x808, 0x1800 + 0x500, {0x1800, 0x500}, kErrPayloadLength},
      {"entry with offset only", 0x800, 0x1800 + 0x500, {0x1800, 0}, kErrPayloadLength},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckPayloadInFile(c.file_size, start, c.payload_size, c.certificate), c.expected) << c.name;
}

TEST(UninstallerImage, DropsTheSignature) {
  // A signed installer: padding and the certificate table follow the archive,
  // which is the last section.
  Bytes exe = WithDirectories(MakePe({{".text"}, {".rdata"}, {".data"}, {".setup", 0x2000}}));
  const uint32_t table = uint32_t(exe.size()) + 8;
  exe.resize(table, 0);
  exe.resize(table + 0x300, 0xCE);
  SetCertificateEntry(exe, table, 0x300);
  SetupSection s;
  ASSERT_EQ(LocateSetupSection(exe, s), kArcOk);
  const uint32_t archive_end = s.raw_pointer + s.raw_size;
  Bytes image = BuildUninstallerImage(Bytes(exe.begin(), exe.begin() + s.raw_pointer),
                                      std::span<const uint8_t>(exe).subspan(archive_end), s);
  ASSERT_EQ(image.size(), size_t(s.raw_pointer) + 8);  // only the padding stays
  EXPECT_EQ(ReadCertificateTable(image, kPe).offset, 0u);
  EXPECT_EQ(ReadCertificateTable(image, kPe).size, 0u);

  // Data after the table is no signature of ours to drop: kept, entry cleared.
  exe.push_back(0x11);
  image = BuildUninstallerImage(Bytes(exe.begin(), exe.begin() + s.raw_pointer),
                                std::span<const uint8_t>(exe).subspan(archive_end), s);
  EXPECT_EQ(image.size(), exe.size() - s.raw_size);
  EXPECT_FALSE(ReadCertificateTable(image, kPe).Present());
}

TEST(UninstallerImage, SectionsAfterTheArchiveMoveUp) {
  // .setup in the middle, and a last section without raw data.
  std::vector<Section> layout = {{".text"}, {".setup", 0x2000}, {".rdata"}, {".data", 0x400}, {".bss", 0}};
  Bytes exe = MakePe(layout);
  SetupSection s;
  ASSERT_EQ(LocateSetupSection(exe, s), kArcOk);
  Bytes head(exe.begin(), exe.begin() + s.raw_pointer);
  std::span<const uint8_t> tail(exe.begin() + s.raw_pointer + s.raw_size, exe.end());

  Bytes image = BuildUninstallerImage(head, tail, s);
  ASSERT_EQ(image.size(), exe.size() - s.raw_size);
  EXPECT_EQ(LoadU16(image.data() + kPe + 6), 4);
  EXPECT_EQ(LoadU32(image.data() + kPe + kPeSizeOfImage), LoadU32(exe.data() + kPe + kPeSizeOfImage) - 0x2000);
  EXPECT_EQ(LoadU32(image.data() + kPe + kPeSizeOfInitializedData),
            LoadU32(exe.data() + kPe + kPeSizeOfInitializedData) - 0x2000);

  // Slot 0 untouched; slots 1..3 hold the former 2..4; slot 4 is cleared.
  EXPECT_EQ(0, std::memcmp(image.data() + kTable, exe.data() + kTable, 40));
  const char* names[] = {".rdata", ".data", ".bss"};
  for (size_t slot = 1; slot <= 3; ++slot) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data() + kTable + slot * 40)), names[slot - 1]);
    uint32_t pointer = SectionField(image, slot, 20), size = SectionField(image, slot, 16);
    if (size == 0) {
      EXPECT_EQ(pointer, 0u);  // no raw data: nothing to lower
      continue;
    }
    EXPECT_EQ(pointer, SectionField(exe, slot + 1, 20) - 0x2000);
    // The raw data really is where the moved header says.
    ASSERT_LE(pointer + size, image.size());
    for (uint32_t i = 0; i < size; ++i) ASSERT_EQ(image[pointer + i], uint8_t(slot + 2)) << slot;
  }
  EXPECT_EQ(Bytes(image.begin() + kTable + 4 * 40, image.begin() + kTable + 5 * 40), Bytes(40, 0));

  // The last moved header with raw data gets its pointer lowered too.
  Bytes last_moves = MakePe({{".text"}, {".setup", 0x2000}, {".rdata"}, {".rsrc", 0x600}});
  ASSERT_EQ(LocateSetupSection(last_moves, s), kArcOk);
  Bytes image2 = BuildUninstallerImage(Bytes(last_moves.begin(), last_moves.begin() + s.raw_pointer),
                                       std::span<const uint8_t>(last_moves).subspan(s.raw_pointer + s.raw_size), s);
  uint32_t rsrc = SectionField(image2, 2, 20);
  ASSERT_EQ(rsrc + 0x600, image2.size());
  EXPECT_EQ(image2[rsrc], 4);
}

TEST(UninstallerImage, HeadWithoutTheTableIsRefused) {
  Bytes exe = MakePe(kFiveWithSetup);
  SetupSection s;
  ASSERT_EQ(LocateSetupSection(exe, s), kArcOk);
  EXPECT_TRUE(BuildUninstallerImage(Bytes(exe.begin(), exe.begin() + kTable + 40), {}, s).empty());
}

TEST(AttachSetupSection, AttachLocateAndTakeOutAgain) {
  const Bytes engine = MakePe({{".text"}, {".rdata", 0x600}, {".data"}, {".rsrc"}});
  ArchiveHeader h;
  h.ScriptSize = 1;
  ByteWriter w;
  WriteArchiveHeader(w, h);
  w.Data().resize(5000, 0x77);
  const Bytes archive = w.Take();

  Bytes exe = engine;
  std::string error;
  ASSERT_TRUE(AttachSetupSection(exe, archive, error)) << error;
  SetupSection s;
  ASSERT_EQ(LocateSetupSection(exe, s), kArcOk);
  EXPECT_EQ(s.index, 4);
  EXPECT_EQ(s.section_count, 5);
  EXPECT_EQ(s.raw_pointer, engine.size());
  EXPECT_EQ(s.raw_pointer % kFileAlign, 0u);
  EXPECT_EQ(s.raw_size, 0x2000u);  // whole pages
  EXPECT_EQ(s.virtual_size, archive.size());
  EXPECT_EQ(s.virtual_address, LoadU32(engine.data() + kPe + kPeSizeOfImage));
  EXPECT_EQ(LoadU32(exe.data() + kPe + kPeSizeOfImage), s.virtual_address + s.raw_size);
  EXPECT_EQ(LoadU32(exe.data() + kPe + kPeSizeOfInitializedData),
            LoadU32(engine.data() + kPe + kPeSizeOfInitializedData) + s.raw_size);
  EXPECT_EQ(SectionField(exe, 4, 36), kScnInitializedData | kScnMemRead);
  ASSERT_EQ(exe.size(), s.raw_pointer + s.raw_size);
  EXPECT_EQ(Bytes(exe.begin() + s.raw_pointer, exe.begin() + s.raw_pointer + archive.size()), archive);

  // The engine checksum lands in the archive header and matches the head.
  ASSERT_TRUE(SetArchiveEngineChecksum(exe, error)) << error;
  ByteReader cursor(std::span<const uint8_t>(exe).subspan(s.raw_pointer));
  ArchiveHeader read;
  ASSERT_EQ(ReadArchiveHeader(cursor, read), kArcOk);
  EXPECT_EQ(read.EngineChecksum, EngineChecksum(exe.data(), s.raw_pointer, s.pe_offset));

  // Taking the archive out again gives back the engine byte for byte.
  EXPECT_EQ(BuildUninstallerImage(Bytes(exe.begin(), exe.begin() + s.raw_pointer), {}, s), engine);
}

TEST(AttachSetupSection, Refusals) {
  const Bytes archive(100, 1);
  struct Case {
    const char* what;
    Bytes exe;
    const char* in_error;
  };
  Bytes signed_exe = MakePe({{".text"}, {".rdata"}, {".data"}, {".rsrc"}});
  signed_exe.resize(signed_exe.size() + 0x80, 0xCC);
  std::vector<Section> many(99, Section{".x"});
  const Case cases[] = {
      {"already attached", MakePe(kFiveWithSetup), "already has a .setup"},
      {"no header room", MakePe({{".text"}, {".rdata"}, {".data"}, {".rsrc"}}, kTable + 4 * 40), "no room"},
      {"trailing data", signed_exe, "data follows"},
      {"too many sections", MakePe(many, 0x1A00), "4 to 99"},
      {"too few sections", MakePe({{".text"}, {".data"}}), "4 to 99"},
      {"not a PE", Bytes(0x400, 0), "not a PE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes exe = c.exe;
    std::string error;
    EXPECT_FALSE(AttachSetupSection(exe, archive, error));
    EXPECT_NE(error.find(c.in_error), std::string::npos) << error;
    EXPECT_EQ(exe, c.exe);  // untouched on failure
  }
}

}  // namespace
}  // namespace ks
