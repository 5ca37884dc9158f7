// PE image rules over plain bytes: the .setup section, the engine checksum, the
// certificate table and the uninstaller image.
#include "pe_image.h"

#include <algorithm>
#include <cstring>

#include "archive.h"
#include "sum32.h"

namespace ks {
namespace {

constexpr uint32_t kDosPeOffset = 60;
constexpr uint32_t kMinPeOffset = 64, kMaxPeOffset = 4096;
constexpr uint16_t kMinSections = 4, kMaxSections = 99;
constexpr uint32_t kOptMagicPe32 = 0x10B, kOptMagicPe32Plus = 0x20B;

// Inside the optional header: NumberOfRvaAndSizes and the data directories
// (PE32 / PE32+); the certificate table is directory 4.
constexpr uint32_t kOptDirCount32 = 92, kOptDirCount64 = 108;
constexpr uint32_t kOptDirs32 = 96, kOptDirs64 = 112;
constexpr uint32_t kDirCertificate = 4;
constexpr uint32_t kCertificateAlignment = 8;

// Offsets inside one section header.
constexpr uint32_t kShVirtualSize = 8;
constexpr uint32_t kShVirtualAddress = 12;
constexpr uint32_t kShRawSize = 16;
constexpr uint32_t kShRawPointer = 20;
constexpr uint32_t kShCharacteristics = 36;

bool IsSetupName(const uint8_t* name8) {
  char name[9] = {};
  std::memcpy(name, name8, 8);
  return std::strcmp(name, kSetupSectionName) == 0;
}

bool IsPowerOfTwo(uint32_t v) { return v && !(v & (v - 1)); }
uint64_t AlignUp(uint64_t v, uint32_t a) { return (v + a - 1) / a * a; }

}  // namespace

int LocateSetupSection(const ReadAt& read_at, SetupSection& out) {
  out = {};
  uint8_t b[4];
  if (!read_at(kDosPeOffset, b, 2)) return kErrPeOffset;
  uint32_t pe = LoadU16(b);
  if (pe < kMinPeOffset || pe > kMaxPeOffset) return kErrPeOffset;
  out.pe_offset = pe;

  if (!read_at(pe + kPeSectionCount, b, 2)) return kErrSectionCount;
  uint16_t count = LoadU16(b);
  if (count < kMinSections || count > kMaxSections) return kErrSectionCount;
  out.section_count = count;

  // A table that cannot be read is damage, not an image without an archive.
  if (!read_at(pe + kPeOptionalHeaderSize, b, 2)) return kErrSectionCount;
  uint32_t table = pe + 24 + LoadU16(b);
  out.table_offset = table;

  for (uint16_t i = 0; i < count; ++i) {
    uint64_t entry = table + uint64_t(i) * kSectionHeaderSize;
    uint8_t name[8];
    if (!read_at(entry, name, sizeof name)) return kErrSectionCount;
    if (!IsSetupName(name)) continue;

    uint8_t header[kSectionHeaderSize];
    if (!read_at(entry, header, sizeof header)) return kErrSectionCount;
    out.index = i;
    out.virtual_size = LoadU32(header + kShVirtualSize);
    out.virtual_address = LoadU32(header + kShVirtualAddress);
    out.raw_size = LoadU32(header + kShRawSize);
    out.raw_pointer = LoadU32(header + kShRawPointer);
    return out.raw_pointer == 0 ? kErrSectionPointer : kArcOk;
  }
  return kNoSetupSection;
}

int LocateSetupSection(std::span<const uint8_t> image, SetupSection& out) {
  return LocateSetupSection(
      [image](uint64_t offset, void* dst, size_t n) {
        if (offset > image.size() || n > image.size() - offset) return false;
        std::memcpy(dst, image.data() + offset, n);
        return true;
      },
      out);
}

uint32_t CertificateEntryOffset(std::span<const uint8_t> head, uint32_t pe_offset) {
  const uint64_t optional = uint64_t(pe_offset) + 24;
  if (optional + 2 > head.size()) return 0;
  const uint16_t magic = LoadU16(head.data() + optional);
  if (magic != kOptMagicPe32 && magic != kOptMagicPe32Plus) return 0;
  const bool pe32 = magic == kOptMagicPe32;
  const uint32_t count_at = pe32 ? kOptDirCount32 : kOptDirCount64;
  const uint32_t entry_at = (pe32 ? kOptDirs32 : kOptDirs64) + kDirCertificate * 8;
  if (uint64_t(pe_offset) + kPeOptionalHeaderSize + 2 > head.size() || optional + entry_at + 8 > head.size())
    return 0;
  // The entry exists only when the header says it has that many directories.
  if (LoadU16(head.data() + pe_offset + kPeOptionalHeaderSize) < entry_at + 8 ||
      LoadU32(head.data() + optional + count_at) <= kDirCertificate)
    return 0;
  return uint32_t(optional + entry_at);
}

CertificateTable ReadCertificateTable(std::span<const uint8_t> head, uint32_t pe_offset) {
  const uint32_t entry = CertificateEntryOffset(head, pe_offset);
  if (entry == 0) return {};
  return {LoadU32(head.data() + entry), LoadU32(head.data() + entry + 4)};
}

uint32_t EngineChecksum(const uint8_t* head, size_t head_size, uint32_t pe_offset) {
  size_t start = size_t(pe_offset) + kPeChecksumStart;
  if (start >= head_size) return Sum32(nullptr, 0);
  uint32_t sum = Sum32(head + start, (long long)(head_size - start));
  // Counting the entry as zeros is taking its two words back out of the sum;
  // they are whole 4-byte groups of it (60 or 76 bytes after the start).
  const uint32_t entry = CertificateEntryOffset({head, head_size}, pe_offset);
  if (entry >= start && (entry - start) % 4 == 0 && entry + 8 <= head_size)
    sum -= LoadU32(head + entry) + LoadU32(head + entry + 4);
  return sum;
}

int CheckPayloadInFile(uint64_t file_size, uint64_t start, uint32_t payload_size, CertificateTable certificate) {
  const uint64_t end = start + payload_size;
  if (end == file_size) return kArcOk;
  if (certificate.Present() && uint64_t(certificate.offset) + certificate.size == file_size &&
      certificate.offset == AlignUp(end, kCertificateAlignment))
    return kArcOk;
  return kErrPayloadLength;
}

Bytes BuildUninstallerImage(Bytes head, std::span<const uint8_t> tail, const SetupSection& section) {
  const uint32_t pe = section.pe_offset;
  const uint32_t count = section.section_count;
  const uint64_t table_end = section.table_offset + uint64_t(count) * kSectionHeaderSize;
  if (count == 0 || section.index >= count || uint64_t(pe) + kPeSizeOfImage + 4 > head.size() ||
      table_end > head.size()) {
    return {};
  }

  // The signature covered bytes that change here; a table at the end of the
  // file goes, and the entry no longer names one.
  const uint64_t tail_start = uint64_t(section.raw_pointer) + section.raw_size;
  const CertificateTable certificate = ReadCertificateTable(head, pe);
  if (certificate.Present() && certificate.offset >= tail_start &&
      uint64_t(certificate.offset) + certificate.size == tail_start + tail.size())
    tail = tail.first(size_t(certificate.offset - tail_start));
  if (const uint32_t entry = CertificateEntryOffset(head, pe)) std::memset(head.data() + entry, 0, 8);

  head.insert(head.end(), tail.begin(), tail.end());
  uint8_t* image = head.data();
  StoreU16(image + pe + kPeSectionCount, uint16_t(count - 1));
  for (uint32_t field : {kPeSizeOfInitializedData, kPeSizeOfImage}) {
    StoreU32(image + pe + field, LoadU32(image + pe + field) - section.raw_size);
  }

  // Every section whose raw data followed the archive now sits raw_size bytes
  // lower in the file, the last one included; sections without raw data
  // (pointer 0) or before the archive keep their pointer.
  const uint64_t archive_end = uint64_t(section.raw_pointer) + section.raw_size;
  uint8_t* table = image + section.table_offset;
  for (uint32_t j = section.index + 1u; j < count; ++j) {
    uint8_t* slot = table + (j - 1) * kSectionHeaderSize;
    std::memmove(slot, table + j * kSectionHeaderSize, kSectionHeaderSize);
    uint32_t pointer = LoadU32(slot + kShRawPointer);
    if (pointer >= archive_end) StoreU32(slot + kShRawPointer, pointer - section.raw_size);
  }
  std::memset(table + (count - 1) * kSectionHeaderSize, 0, kSectionHeaderSize);
  return head;
}

void SetPeTimeStamp(Bytes& exe, uint32_t seconds) {
  constexpr uint32_t kPeTimeDateStamp = 8;  // from "PE\0\0"
  const uint32_t pe = LoadU32(exe.data() + kDosPeOffset);
  StoreU32(exe.data() + pe + kPeTimeDateStamp, seconds);
}

bool AttachSetupSection(Bytes& exe, std::span<const uint8_t> archive, std::string& error) {
  auto fail = [&error](const char* text) { error = text; return false; };
  if (archive.empty()) return fail("the archive is empty");
  if (exe.size() < kMinPeOffset) return fail("the engine is not a PE executable (file too short)");
  const uint32_t pe = LoadU32(exe.data() + kDosPeOffset);
  if (pe < kMinPeOffset || pe > kMaxPeOffset || uint64_t(pe) + 24 > exe.size() ||
      std::memcmp(exe.data() + pe, "PE\0\0", 4) != 0) {
    return fail("the engine is not a PE executable (no PE header within the first 4096 bytes)");
  }
  const uint16_t count = LoadU16(exe.data() + pe + kPeSectionCount);
  const uint16_t optional_size = LoadU16(exe.data() + pe + kPeOptionalHeaderSize);
  const uint64_t table = uint64_t(pe) + 24 + optional_size;
  if (optional_size < kPeChecksumStart - 24 || table + uint64_t(count) * kSectionHeaderSize > exe.size()) {
    return fail("the engine's PE headers are truncated");
  }
  const uint16_t magic = LoadU16(exe.data() + pe + 24);
  if (magic != kOptMagicPe32 && magic != kOptMagicPe32Plus) {
    return fail("the engine's optional header is neither PE32 nor PE32+");
  }
  if (count + 1 < kMinSections || count + 1 > kMaxSections) {
    return fail("the engine must end up with 4 to 99 sections including .setup");
  }

  const uint32_t section_alignment = LoadU32(exe.data() + pe + kPeSectionAlignment);
  const uint32_t file_alignment = LoadU32(exe.data() + pe + kPeFileAlignment);
  const uint32_t headers_size = LoadU32(exe.data() + pe + kPeSizeOfHeaders);
  if (!IsPowerOfTwo(section_alignment) || !IsPowerOfTwo(file_alignment) || section_alignment < file_alignment) {
    return fail("the engine's section or file alignment is invalid");
  }

  uint64_t first_raw = headers_size, data_end = headers_size, va_end = 0;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* sh = exe.data() + table + uint64_t(i) * kSectionHeaderSize;
    if (IsSetupName(sh)) return fail("the engine already has a .setup section");
    uint32_t vsize = LoadU32(sh + kShVirtualSize), va = LoadU32(sh + kShVirtualAddress);
    uint32_t raw_size = LoadU32(sh + kShRawSize), raw_pointer = LoadU32(sh + kShRawPointer);
    va_end = std::max<uint64_t>(va_end, uint64_t(va) + std::max(vsize, raw_size));
    if (raw_size && raw_pointer) {
      first_raw = std::min<uint64_t>(first_raw, raw_pointer);
      data_end = std::max<uint64_t>(data_end, uint64_t(raw_pointer) + raw_size);
    }
  }
  if (table + uint64_t(count + 1) * kSectionHeaderSize > first_raw) {
    return fail("the engine's header area has no room for another section header");
  }
  if (exe.size() > data_end) {
    return fail("data follows the engine's last section (a signature or symbol table?); "
                "use a stripped, unsigned engine and sign the installer afterwards");
  }

  // The raw data starts and ends on a page (section alignment): the loader can
  // then map the archive straight from the file instead of copying it into
  // private memory at start, and taking the section out again for the
  // uninstaller keeps SizeOfImage aligned.
  const uint64_t raw_pointer = AlignUp(exe.size(), section_alignment);
  const uint64_t raw_size = AlignUp(archive.size(), section_alignment);
  const uint64_t va = AlignUp(va_end, section_alignment);
  if (raw_pointer + raw_size > 0xFFFFFFFFu || va + raw_size > 0xFFFFFFFFu) {
    return fail("the installer would exceed 4 GB");
  }

  uint8_t* sh = exe.data() + table + uint64_t(count) * kSectionHeaderSize;
  std::memset(sh, 0, kSectionHeaderSize);
  std::memcpy(sh, kSetupSectionName, sizeof kSetupSectionName - 1);
  StoreU32(sh + kShVirtualSize, uint32_t(archive.size()));
  StoreU32(sh + kShVirtualAddress, uint32_t(va));
  StoreU32(sh + kShRawSize, uint32_t(raw_size));
  StoreU32(sh + kShRawPointer, uint32_t(raw_pointer));
  StoreU32(sh + kShCharacteristics, kScnInitializedData | kScnMemRead);

  uint8_t* image = exe.data();
  StoreU16(image + pe + kPeSectionCount, uint16_t(count + 1));
  StoreU32(image + pe + kPeSizeOfImage, uint32_t(va + raw_size));
  StoreU32(image + pe + kPeSizeOfInitializedData,
           LoadU32(image + pe + kPeSizeOfInitializedData) + uint32_t(raw_size));

  exe.resize(size_t(raw_pointer), 0);
  exe.insert(exe.end(), archive.begin(), archive.end());
  exe.resize(size_t(raw_pointer + raw_size), 0);
  return true;
}

bool SetArchiveEngineChecksum(Bytes& exe, std::string& error) {
  SetupSection section;
  if (LocateSetupSection(exe, section) != kArcOk) {
    error = "the installer has no readable .setup section";
    return false;
  }
  size_t field = 0;
  if (uint64_t(section.raw_pointer) + section.raw_size > exe.size() ||
      !FindEngineChecksumField(std::span<const uint8_t>(exe).subspan(section.raw_pointer, section.raw_size),
                               field)) {
    error = "the .setup section does not start with an archive header";
    return false;
  }
  StoreU32(exe.data() + section.raw_pointer + field,
           EngineChecksum(exe.data(), section.raw_pointer, section.pe_offset));
  return true;
}

}  // namespace ks
