// Fuzz target: `keldwick inspect` on arbitrary bytes. Whatever file it is
// given, it must answer with JSON or an error: no crash, no exception.
#include <cstddef>
#include <cstdint>
#include <string>

#include "inspect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string json, error;
  ks::builder::InspectInstaller({data, size}, json, error);
  return 0;
}
