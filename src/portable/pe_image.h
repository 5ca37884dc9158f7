// PE image rules over plain bytes: finding the .setup section, the engine
// checksum range, the certificate table a signature adds, the uninstaller
// image without the archive, and attaching one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "bytes.h"

namespace ks {

inline constexpr char kSetupSectionName[] = ".setup";
// LocateSetupSection's result when the image has no .setup section: the
// "no installation data" case, not a corrupt-installer code.
constexpr int kNoSetupSection = -2;

constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kScnInitializedData = 0x00000040;
constexpr uint32_t kScnMemRead = 0x40000000;

// Offsets from the PE header (the "PE\0\0" signature).
constexpr uint32_t kPeSectionCount = 6;
constexpr uint32_t kPeOptionalHeaderSize = 20;
constexpr uint32_t kPeSizeOfInitializedData = 32;
constexpr uint32_t kPeSectionAlignment = 56;
constexpr uint32_t kPeFileAlignment = 60;
constexpr uint32_t kPeSizeOfImage = 80;
constexpr uint32_t kPeSizeOfHeaders = 84;
constexpr uint32_t kPeChecksumStart = 92;  // just after the optional header's CheckSum

struct SetupSection {
  uint32_t pe_offset = 0;
  uint16_t section_count = 0;
  uint32_t table_offset = 0;  // file offset of the section table
  uint16_t index = 0;         // the .setup entry's slot in the table
  uint32_t virtual_address = 0, virtual_size = 0, raw_size = 0, raw_pointer = 0;
};

// Reads n bytes at a file offset; false when they cannot all be read.
using ReadAt = std::function<bool(uint64_t offset, void* out, size_t n)>;

// Finds the .setup section: kArcOk, 43 (PE offset), 44 (section count, or a
// section table that cannot be read), 9 (raw pointer 0) or kNoSetupSection.
int LocateSetupSection(const ReadAt& read_at, SetupSection& out);
int LocateSetupSection(std::span<const uint8_t> image, SetupSection& out);

// The certificate table that signing appends to the file, as the data
// directories name it (a file offset, unlike the other directories).
struct CertificateTable {
  uint32_t offset = 0, size = 0;
  bool Present() const { return offset != 0 && size != 0; }
};

// File offset of the certificate-table entry of the data directories (8
// bytes), or 0 when the optional header (PE32 or PE32+) has no such entry.
uint32_t CertificateEntryOffset(std::span<const uint8_t> head, uint32_t pe_offset);
// The table that entry names; empty when there is none (an unsigned file).
CertificateTable ReadCertificateTable(std::span<const uint8_t> head, uint32_t pe_offset);

// Sum32 over head[pe_offset + 92, head_size): everything after the PE
// checksum field up to the archive's raw data, with the certificate-table
// entry counted as zeros. Signing writes only that entry (and the PE checksum)
// inside this range, so a signed installer keeps its unsigned checksum; in an
// unsigned one the entry is zero and the sum is the plain Sum32.
uint32_t EngineChecksum(const uint8_t* head, size_t head_size, uint32_t pe_offset);

// PayloadInFile: kArcOk when payload_size bytes from file offset `start` end
// the file, or, in a signed installer, end where the certificate table begins
// (after the zero to 7 bytes that align the table to 8) and the table ends
// the file. Anything else after the payload is kErrPayloadLength.
int CheckPayloadInFile(uint64_t file_size, uint64_t start, uint32_t payload_size, CertificateTable certificate);

// The uninstaller: `head` (the bytes before the archive's raw data) plus
// `tail` (the bytes after it), with the archive's section header removed and
// the sizes lowered. A signature no longer fits the changed bytes: its
// certificate-table entry is cleared and a table at the end of tail dropped.
// Empty when the section table does not lie inside head.
Bytes BuildUninstallerImage(Bytes head, std::span<const uint8_t> tail, const SetupSection& section);

// Builder side: appends `archive` as a new last section named .setup.
bool AttachSetupSection(Bytes& exe, std::span<const uint8_t> archive, std::string& error);
// Builder side, after AttachSetupSection checked the headers: the file
// header's time stamp, which the linker set to the time the engine was built.
void SetPeTimeStamp(Bytes& exe, uint32_t seconds);
// Builder side: computes EngineChecksum over the final exe's head and stores
// it in the archive header inside the .setup section.
bool SetArchiveEngineChecksum(Bytes& exe, std::string& error);

}  // namespace ks
