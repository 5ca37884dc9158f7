// The engine's version text: written into every archive header, checked
// against it at start-up, and named in Install.log and the mismatch message.
#pragma once

namespace ks {

inline constexpr const char* kEngineVersion = "34.0";

}  // namespace ks
