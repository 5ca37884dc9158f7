// The [notify] table's addresses by key, for the parser and `keldwick inspect`.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "portable/settings.h"

namespace ks::builder {

// Each [notify] key with the settings field it fills.
std::array<std::pair<std::string_view, std::u16string*>, 6> NotifyAddresses(Settings& s);
std::array<std::pair<std::string_view, const std::u16string*>, 6> NotifyAddresses(const Settings& s);

}  // namespace ks::builder
