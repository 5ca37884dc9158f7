// The SetupArchive header and ScriptBlock codec: the reader checks every field
// the engine checks, the writer produces exactly what the reader accepts.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "blowfish.h"
#include "bytes.h"
#include "engine_version.h"

namespace ks {

constexpr uint32_t kArchiveMagic = 0xA4F23DE5;
constexpr uint32_t kMaxScriptSize = 0x31FFFFF;
constexpr uint32_t kMaxFileSize = 0x40000000;

// ArchiveFlags bits.
enum : uint32_t {
  kArcReinstallSameVersionOnly = 0x1,
  kArcRestorePoint = 0x2,
  kArcLaunchChecked = 0x4,     // the Summary page's boxes start checked
  kArcOpenFirstChecked = 0x8,
  kArcOpenThirdChecked = 0x10,
  kArcUninstallerImage = 0x20,
  kArcPreBatchLabel = 0x40,
  kArcPostBatchLabel = 0x80,
  kArcUpgradeBatchLabel = 0x100,
  kArcReinstallBatchLabel = 0x200,
  kArcButtonImages = 0x400,
  kArcNoStartMenuOnRemovable = 0x800,
  kArcBlowfish = 0x1000,
  kArcRecordInstallDirValue = 0x2000,
  kArcDesktopFolderFromProduct = 0x4000,
  kArcNoRegistryOnRemovable = 0x8000,      // no product key or registry entries there
  kArcFolderNameTest = 0x10000,
  kArcNoAssociationsOnRemovable = 0x20000,  // no file associations there
  kArcUninstallDoneMessage = 0x40000,       // the uninstaller says when it is done
  kArcNoFirewallOnRemovable = 0x80000,      // no firewall exceptions there
};

// Corrupt-installer codes raised while the archive is opened.
enum ArchiveError : int {
  kArcOk = 0,
  kErrVersionMismatch = -1,  // not numbered: the version message
  kErrSectionPointer = 9,
  kErrSectionSeek = 10,
  kErrMinStatusTime = 19,
  kErrMagic = 20,
  kErrScriptSize = 22,
  kErrLicenseCount = 24,
  kErrScriptCheck = 25,
  kErrReadmeCount = 26,
  kErrFileCount = 27,
  kErrFileSize = 28,
  kErrPayloadSize = 29,
  kErrLanguageCount = 30,
  kErrStringCount = 31,
  kErrEndMark = 32,
  kErrEngineRead = 35,
  kErrAssociationCount = 36,
  kErrRegistryCount = 37,
  kErrDeleteList = 38,
  kErrBitmapSize = 39,
  kErrEngineChecksum = 40,
  kErrCloseList = 41,
  kErrTailRead = 42,
  kErrPeOffset = 43,
  kErrSectionCount = 44,
  kErrArchiveEnd = 45,
  kErrPayloadLength = 46,
  kErrInflate = 47,
  kErrShortcutCount = 48,
  kErrPayloadChecksum = 55,
};

struct ArchiveHeader {
  uint32_t magic = kArchiveMagic;
  std::string version = kEngineVersion;
  uint32_t ArchiveFlags = 0;
  uint32_t ScriptSize = 0;
  uint32_t ScriptKey = 0;
  uint32_t EngineChecksum = 0;
  uint32_t ArchiveEnd = 0;
  uint32_t FileCount = 0;
  uint32_t PayloadSize = 0;
  uint32_t PayloadChecksum = 0;
  std::vector<uint32_t> FileSizes;
  std::array<uint8_t, 8> BlowfishKey{};  // only with kArcBlowfish
};

// Reads fields 1 to 12 from the cursor with the checks of the format. Returns
// kArcOk, a corrupt-installer code, or kErrVersionMismatch (the found version
// is then in header.version). No field makes the reader reach past the cursor's
// data: a FileCount larger than the bytes left is error 27.
int ReadArchiveHeader(ByteReader& cursor, ArchiveHeader& header);

// Copies ScriptSize bytes from the cursor and decodes them into the plain
// script: XOR descrambling or Blowfish, then inflation. Returns kArcOk or 47
// (a ScriptBlock longer than the data left is 47 as well). The Sum32 check
// against ScriptKey is the caller's (it runs between settings fields 7 and 8).
// `cipher` may be null: the schedule is then made from header.BlowfishKey.
// A Blowfish block whose length field is rejected decodes to an empty script
// (kArcOk), so that the script check reports it as 25.
int DecodeScriptBlock(ByteReader& cursor, const ArchiveHeader& header,
                      const Blowfish* cipher, Bytes& script);

// Builder side: compresses and scrambles/enciphers a plain script, setting
// ScriptKey (= Sum32 of the plain script) and ScriptSize in the header.
Bytes EncodeScriptBlock(const Bytes& plain, ArchiveHeader& header);
// Fields 1 to 12 as given (FileCount and FileSizes are the caller's to keep equal).
void WriteArchiveHeader(ByteWriter& out, const ArchiveHeader& header);
// Where EngineChecksum lies in a written archive (after magic, version text,
// ArchiveFlags, ScriptSize and ScriptKey). False when magic or version text
// is not there.
bool FindEngineChecksumField(std::span<const uint8_t> archive, size_t& offset);

// XOR descrambling: whole u32 groups with the key, tail bytes with the key's
// low bytes. Its own inverse.
void XorScramble(uint8_t* data, size_t length, uint32_t key);

}  // namespace ks
