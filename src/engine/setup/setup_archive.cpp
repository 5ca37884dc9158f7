// The installer's own archive.
#include "setup/setup_archive.h"

#include "core/fatal.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "portable/sum32.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "setup/corrupt.h"

namespace ks {
namespace {

constexpr char16_t kNoInstallationData[] =
    u"This program performs installations and uninstallations.\r\nThere is no installation data present.\r\n"
    u"No uninstallation parameters were specified.\r\n\r\nYou should not delete this program or execute it directly.";

// The bytes of the section the loader mapped: its virtual size, but never past
// the end of the image, so that a forged header cannot send us outside it.
std::span<const uint8_t> MappedSection(const SetupSection& s) {
  auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  uint32_t image_size = nt->OptionalHeader.SizeOfImage;
  uint32_t size = s.virtual_size ? s.virtual_size : s.raw_size;
  if (s.virtual_address >= image_size) return {};
  if (size > image_size - s.virtual_address) size = image_size - s.virtual_address;
  return {base + s.virtual_address, size};
}

}  // namespace

void SetupArchive::Open(const std::u16string& module_path, ArchiveHeader& header, Bytes& script) {
  // Reading and sharing both ways: the installer may be started twice.
  if (self_.Open(module_path, kOpenExisting | kOpenNoWrite | kOpenShareRead | kOpenShareWrite) != FileError::kOk) {
    DWORD error = GetLastError();
    Fatal(FormatText(u"Error code 1: The installer could not open itself.\r\nFilename: %s\r\nError #%d: %s",
                     {module_path, int64_t(error), self_.LastErrorText()}));
  }
  file_size_ = self_.Size();

  ReadAt read_at = [this](uint64_t offset, void* out, size_t n) {
    return self_.Seek(int64_t(offset)) && self_.ReadExact(out, int(n));
  };
  int located = LocateSetupSection(read_at, section_);
  if (located == kNoSetupSection) Fatal(kNoInstallationData);
  if (located != kArcOk) CorruptInstaller(located);
  if (!self_.Seek(section_.raw_pointer)) CorruptInstaller(kErrSectionSeek);

  image_ = MappedSection(section_);
  ByteReader cursor(image_);
  int result = ReadArchiveHeader(cursor, header);
  if (result == kErrVersionMismatch) VersionMismatch(header.version);
  if (result != kArcOk) CorruptInstaller(result);
  header_ = &header;
  if (header.ArchiveFlags & kArcBlowfish) {
    cipher_.SetKey(header.BlowfishKey.data(), header.BlowfishKey.size());
    has_cipher_ = true;
  }
  result = DecodeScriptBlock(cursor, header, Cipher(), script);
  if (result != kArcOk) CorruptInstaller(result);
  script_end_ = cursor.Position();
}

void SetupArchive::VerifyEngine(const Settings& settings) {
  Bytes head(section_.raw_pointer);
  if (!self_.Seek(0) || !self_.ReadExact(head.data(), int(head.size()))) CorruptInstaller(kErrEngineRead);
  certificate_ = ReadCertificateTable(head, section_.pe_offset);
  if ((settings.OptionFlags2 & kOpt2EngineChecksum) &&
      EngineChecksum(head.data(), head.size(), section_.pe_offset) != header_->EngineChecksum)
    CorruptInstaller(kErrEngineChecksum);

  if (!(header_->ArchiveFlags & kArcUninstallerImage)) {
    uninstaller_size_ = uint64_t(file_size_);
    return;
  }
  int64_t tail_size = file_size_ - int64_t(section_.raw_pointer) - int64_t(section_.raw_size);
  Bytes tail(tail_size > 0 ? size_t(tail_size) : 0);
  if (!tail.empty() && (!self_.Seek(int64_t(section_.raw_pointer) + section_.raw_size) ||
                        !self_.ReadExact(tail.data(), int(tail.size()))))
    CorruptInstaller(kErrTailRead);
  uninstaller_image_ = BuildUninstallerImage(std::move(head), tail, section_);
  // An image whose section table lies outside the engine bytes gives nothing
  // to build from; that is damage, not an empty uninstaller.
  if (uninstaller_image_.empty()) CorruptInstaller(kErrTailRead);
  uninstaller_size_ = uninstaller_image_.size();
}

ByteReader SetupArchive::OpenPayload(const Settings& settings) {
  std::span<const uint8_t> payload;
  if (settings.PayloadInFile) {
    // The payload ends the file, or in a signed installer the certificate
    // table that signing appended after it.
    int64_t offset = int64_t(section_.raw_pointer) + int64_t(script_end_);
    int64_t length = int64_t(header_->PayloadSize);
    if (CheckPayloadInFile(uint64_t(file_size_), uint64_t(offset), header_->PayloadSize, certificate_) != kArcOk)
      CorruptInstaller(kErrPayloadLength);
    payload_copy_.resize(header_->PayloadSize);
    if (!payload_copy_.empty() &&
        (!self_.Seek(offset) || !self_.ReadExact(payload_copy_.data(), int(payload_copy_.size()))))
      FatalFormat("Error code 2: failed to read archive data\r\nsize=%d pos=%d", int(length), int(offset));
    payload = payload_copy_;
  } else {
    // The payload must lie inside what the loader mapped.
    int64_t length = int64_t(header_->ArchiveEnd) - int64_t(script_end_);
    if (length != int64_t(header_->PayloadSize) || header_->ArchiveEnd > image_.size())
      CorruptInstaller(kErrPayloadLength);
    payload = image_.subspan(script_end_, header_->PayloadSize);
  }
  if (Sum32(payload.data(), int64_t(payload.size())) != header_->PayloadChecksum)
    CorruptInstaller(kErrPayloadChecksum);
  return ByteReader(payload);
}

}  // namespace ks
