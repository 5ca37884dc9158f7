// Building an installer: the project's settings and payload packed into the
// SetupArchive and attached to a copy of the engine as its .setup section.
#pragma once
#include <functional>
#include <string>

#include "portable/bytes.h"
#include "portable/deflate_chunk.h"
#include "build_time.h"
#include "project.h"

namespace ks::builder {

struct BuildOptions {
  size_t chunk_input = kDefaultChunkInput;  // plain bytes per payload chunk
  int64_t time_stamp = kFixedBuildTime;     // the PE header's, seconds since 1970
  unsigned threads = 1;                     // chunks compressed side by side
  int level = kDefaultDeflateLevel;         // kMaxDeflateLevel with --max
  // Called after each file with the plain bytes read so far and in all.
  std::function<void(uint64_t done, uint64_t total)> progress = nullptr;
};

// Reads the payload files, builds the archive and attaches it to `engine`.
// On success `installer` is the complete setup executable.
bool BuildInstaller(const Project& project, const Bytes& engine, Bytes& installer,
                    std::string& error, const BuildOptions& options = {});

// The SetupArchive alone (header, ScriptBlock, payload area), with
// EngineChecksum still 0; BuildInstaller attaches it and fills that in.
bool BuildArchive(const Project& project, Bytes& archive, std::string& error,
                  const BuildOptions& options = {});

}  // namespace ks::builder
