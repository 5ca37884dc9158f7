// Fuzz target: the settings script reader on arbitrary bytes. It must only
// ever return a code: no crash, no read outside the stream, no huge allocation.
#include <cstddef>
#include <cstdint>

#include "portable/settings_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ks::ByteReader stream({data, size});
  ks::Settings settings;
  ks::SettingsReadOptions options;
  options.script_check = [] { return true; };
  ks::ReadSettings(stream, settings, options);
  return 0;
}
