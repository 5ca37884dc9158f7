// Fuzz target: the archive header and ScriptBlock decoder on arbitrary bytes,
// as the engine sees its mapped .setup section.
#include <cstddef>
#include <cstdint>

#include "portable/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ks::ByteReader cursor({data, size});
  ks::ArchiveHeader header;
  if (ks::ReadArchiveHeader(cursor, header) != ks::kArcOk) return 0;
  ks::Bytes script;
  ks::DecodeScriptBlock(cursor, header, nullptr, script);
  return 0;
}
