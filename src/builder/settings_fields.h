// Settings and payload records compared field by field, so that a round trip
// through a project file can name the one field it would change.
#pragma once
#include <string_view>

#include "portable/payload.h"
#include "portable/settings.h"

namespace ks::builder {

// The name of the first stream field (in script order) that differs, or ""
// when every field read from a script is equal. Derived fields are ignored.
std::string_view FirstDifferentField(const Settings& a, const Settings& b);

// The same for the stored fields of a payload record.
std::string_view FirstDifferentField(const FileRecord& a, const FileRecord& b);

}  // namespace ks::builder
