// Building an installer from a compiled project.
#include "build.h"

#include <fstream>
#include <iterator>

#include "portable/archive.h"
#include "portable/blowfish.h"
#include "portable/payload.h"
#include "portable/pe_image.h"
#include "portable/settings_codec.h"
#include "portable/sum32.h"

namespace ks::builder {

namespace {

bool ReadWholeFile(const std::filesystem::path& path, Bytes& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path.string();
    return false;
  }
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}

// The key sits in the header in plain sight, so it only keeps casual eyes off
// the data; deriving it from the script keeps builds reproducible.
std::array<uint8_t, 8> DeriveKey(const Bytes& script) {
  uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
  for (uint8_t b : script) h = (h ^ b) * 0x100000001B3ull;
  std::array<uint8_t, 8> key{};
  for (size_t i = 0; i < 8; ++i) key[i] = static_cast<uint8_t>(h >> (8 * i));
  return key;
}

}  // namespace

bool BuildArchive(const Project& project, Bytes& archive, std::string& error,
                  const BuildOptions& options) {
  const Settings& settings = project.settings;
  if (std::string problem = SettingsWriteProblem(settings); !problem.empty()) {
    error = "the settings cannot be written: " + problem;
    return false;
  }
  Bytes script = WriteSettings(settings);

  ArchiveHeader header;
  header.ArchiveFlags = project.archive_flags;
  Blowfish cipher;
  const bool blowfish = (project.archive_flags & kArcBlowfish) != 0;
  if (blowfish) {
    header.BlowfishKey = project.blowfish_key ? *project.blowfish_key : DeriveKey(script);
    cipher.SetKey(header.BlowfishKey.data(), header.BlowfishKey.size());
  }
  Bytes script_block = EncodeScriptBlock(script, header);
  if (header.ScriptSize < 1 || header.ScriptSize > kMaxScriptSize) {
    error = "the settings script is too large";
    return false;
  }

  PayloadWriter writer({(settings.OptionFlags & kOptZlibPayload) != 0, blowfish ? &cipher : nullptr, options.level},
                       options.chunk_input, options.threads);
  uint64_t total = 0, done = 0;
  if (options.progress) {
    for (const PayloadFile& file : project.files) {
      std::error_code ec;
      uint64_t size = std::filesystem::file_size(file.source, ec);
      if (!ec) total += size;
    }
  }
  Bytes content;
  for (const PayloadFile& file : project.files) {
    if (!ReadWholeFile(file.source, content, error)) return false;
    if (!writer.Add(file.record, content)) {
      error = file.source.string() + " is larger than 1 GiB, the most one file may hold";
      return false;
    }
    done += content.size();
    if (options.progress) options.progress(std::min(done, total), total);
  }
  Bytes payload = writer.Finish();

  header.FileCount = static_cast<uint32_t>(writer.FileSizes().size());
  header.FileSizes = writer.FileSizes();
  header.PayloadSize = static_cast<uint32_t>(payload.size());
  header.PayloadChecksum = Sum32(payload.data(), static_cast<long long>(payload.size()));

  // ArchiveEnd depends on the header's own length, which it does not change.
  ByteWriter probe;
  WriteArchiveHeader(probe, header);
  uint64_t end = uint64_t(probe.Size()) + script_block.size() + payload.size();
  if (end > 0x7FFFFFFF) {
    error = "the archive would exceed 2 GiB";
    return false;
  }
  header.ArchiveEnd = static_cast<uint32_t>(end);

  ByteWriter out;
  WriteArchiveHeader(out, header);
  out.Raw(script_block);
  out.Raw(payload);
  archive = out.Take();
  return true;
}

bool BuildInstaller(const Project& project, const Bytes& engine, Bytes& installer,
                    std::string& error, const BuildOptions& options) {
  Bytes archive;
  if (!BuildArchive(project, archive, error, options)) return false;
  installer = engine;
  if (!AttachSetupSection(installer, archive, error)) {
    error = "cannot attach the archive to the engine: " + error;
    return false;
  }
  SetPeTimeStamp(installer, static_cast<uint32_t>(options.time_stamp));
  // The checksum covers the final headers, the new section header included.
  if (!SetArchiveEngineChecksum(installer, error)) {
    error = "cannot set the engine checksum: " + error;
    return false;
  }
  return true;
}

}  // namespace ks::builder
