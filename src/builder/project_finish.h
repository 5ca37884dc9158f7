// The [finish] table's switches by name, for `keldwick inspect`.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace ks::builder {

// The [finish] switches that are on in OptionFlags2, and the bits they use.
std::vector<std::string_view> FinishSwitches(uint32_t option_flags2);
uint32_t FinishSwitchBits();

}  // namespace ks::builder
