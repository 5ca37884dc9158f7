// The installer's own archive: found through the executable's headers, read
// from the mapped image, checked field by field. Every failure is fatal.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "core/file.h"
#include "portable/archive.h"
#include "portable/blowfish.h"
#include "portable/bytes.h"
#include "portable/pe_image.h"
#include "portable/settings.h"

namespace ks {

class SetupArchive {
 public:
  // Opens the running executable, locates .setup, reads and checks the
  // header into `header` and decodes the ScriptBlock into `script`.
  void Open(const std::u16string& module_path, ArchiveHeader& header, Bytes& script);

  // After the settings: reads the bytes before the archive (35), checks the
  // engine checksum when asked (40) and builds the uninstaller image (42).
  void VerifyEngine(const Settings& settings);

  // When file installation begins: establishes the payload area (46, 55,
  // "Error code 2") and returns a cursor on its first byte.
  ByteReader OpenPayload(const Settings& settings);

  const Blowfish* Cipher() const { return has_cipher_ ? &cipher_ : nullptr; }
  // The uninstaller: the engine without the archive (ArchiveFlags 0x20), else
  // empty, in which case the whole executable is the uninstaller.
  const Bytes& UninstallerImage() const { return uninstaller_image_; }
  uint64_t UninstallerSize() const { return uninstaller_size_; }

 private:
  File self_;
  int64_t file_size_ = 0;
  SetupSection section_;
  std::span<const uint8_t> image_;  // the section as mapped
  const ArchiveHeader* header_ = nullptr;
  size_t script_end_ = 0;
  Blowfish cipher_;
  bool has_cipher_ = false;
  CertificateTable certificate_;  // of a signed installer, read with the engine bytes
  Bytes payload_copy_;  // PayloadInFile only
  Bytes uninstaller_image_;
  uint64_t uninstaller_size_ = 0;
};

}  // namespace ks
