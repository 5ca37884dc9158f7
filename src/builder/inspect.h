// Inspecting an installer: the .setup section decoded as the engine decodes it
// and described as JSON (header, every settings field, payload records).
#pragma once
#include <span>
#include <string>

namespace ks::builder {

// Fills `json` and returns true when the archive decodes completely; on a
// damaged archive returns false with `error` naming the corrupt-installer code.
bool InspectInstaller(std::span<const uint8_t> image, std::string& json, std::string& error);

}  // namespace ks::builder
