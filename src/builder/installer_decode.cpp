// Decoding an installer: section, header, settings, payload records.
#include "installer_decode.h"

#include "portable/blowfish.h"
#include "portable/settings_codec.h"
#include "portable/sum32.h"

namespace ks::builder {

namespace {

bool Corrupt(std::string& error, int code, const std::string& where) {
  error = "corrupt installer (" + where + "): error code " + std::to_string(code);
  return false;
}

}  // namespace

bool DecodeInstaller(std::span<const uint8_t> image, DecodedInstaller& out, const RecordVisitor& visit,
                     std::string& error) {
  SetupSection& section = out.section;
  int code = LocateSetupSection(image, section);
  if (code == kNoSetupSection) {
    error = "no .setup section: this is not an installer (an engine or an uninstaller?)";
    return false;
  }
  if (code != kArcOk) return Corrupt(error, code, "section table");
  if (uint64_t(section.raw_pointer) + section.raw_size > image.size())
    return Corrupt(error, kErrSectionSeek, "section data");

  std::span<const uint8_t> data = image.subspan(section.raw_pointer, section.raw_size);
  ByteReader cursor(data);
  ArchiveHeader& header = out.header;
  code = ReadArchiveHeader(cursor, header);
  if (code == kErrVersionMismatch) {
    error = "the archive was built for engine version " + header.version + ", not " + kEngineVersion;
    return false;
  }
  if (code != kArcOk) return Corrupt(error, code, "archive header");

  Bytes script;
  code = DecodeScriptBlock(cursor, header, nullptr, script);
  if (code != kArcOk) return Corrupt(error, code, "script block");
  const size_t script_end = cursor.Position();
  ByteReader script_reader(script);
  Settings& settings = out.settings;
  SettingsReadOptions read_options;
  read_options.script_check = [&] {
    return Sum32(script.data(), static_cast<long long>(script.size())) == header.ScriptKey;
  };
  code = ReadSettings(script_reader, settings, read_options);
  if (code != 0) return Corrupt(error, code, "settings script");
  out.engine_checksum = EngineChecksum(image.data(), section.raw_pointer, section.pe_offset);

  // The payload as the engine finds it: in the section, or after it in the file.
  std::span<const uint8_t> payload;
  if (settings.PayloadInFile) {
    // Up to the end of the file, or of a signed one to its certificate table.
    const uint64_t start = uint64_t(section.raw_pointer) + script_end;
    if (CheckPayloadInFile(image.size(), start, header.PayloadSize, ReadCertificateTable(image, section.pe_offset)) !=
        kArcOk)
      return Corrupt(error, kErrPayloadLength, "payload area");
    payload = image.subspan(size_t(start), header.PayloadSize);
  } else {
    size_t end = header.ArchiveEnd;
    if (end < script_end || end > data.size()) return Corrupt(error, kErrPayloadLength, "payload area");
    payload = data.subspan(script_end, end - script_end);
  }
  if (payload.size() != header.PayloadSize) return Corrupt(error, kErrPayloadLength, "payload area");
  if (Sum32(payload.data(), static_cast<long long>(payload.size())) != header.PayloadChecksum)
    return Corrupt(error, kErrPayloadChecksum, "payload area");

  Blowfish cipher;
  if (header.ArchiveFlags & kArcBlowfish) cipher.SetKey(header.BlowfishKey.data(), header.BlowfishKey.size());
  PayloadReader reader(payload, {(settings.OptionFlags & kOptZlibPayload) != 0,
                                 (header.ArchiveFlags & kArcBlowfish) ? &cipher : nullptr});
  size_t index = 0;
  for (uint32_t size : header.FileSizes) {
    FileRecord rec;
    std::span<const uint8_t> content;
    code = reader.Next(size, rec, content);
    if (code != kPayloadOk) return Corrupt(error, code, "payload record " + std::to_string(index));
    if (!visit(rec, content, error)) return false;
    ++index;
  }
  code = reader.Finish();
  if (code != kPayloadOk) return Corrupt(error, code, "payload end");
  out.payload_chunks = reader.ChunksRead();
  return true;
}

}  // namespace ks::builder
