// Decoding an installer as the engine does: the .setup section, the archive
// header, the settings script and every payload record, for inspect and for
// recovering a project file.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "portable/archive.h"
#include "portable/payload.h"
#include "portable/pe_image.h"
#include "portable/settings.h"

namespace ks::builder {

struct DecodedInstaller {
  SetupSection section;
  ArchiveHeader header;
  Settings settings;
  uint32_t engine_checksum = 0;  // as computed from the image, not as stored
  size_t payload_chunks = 0;
};

// Called for each payload record in order; `content` is valid during the call.
// False (with `error` set) stops the decoding.
using RecordVisitor =
    std::function<bool(const FileRecord& record, std::span<const uint8_t> content, std::string& error)>;

// Fills `out` and visits every record; on a damaged archive returns false with
// `error` naming the corrupt-installer code and where it was found.
bool DecodeInstaller(std::span<const uint8_t> image, DecodedInstaller& out, const RecordVisitor& visit,
                     std::string& error);

}  // namespace ks::builder
