// ProductLibrary: loading by full path with the DLL's own folder searched first.
#include "core/product_library.h"

#include "core/wide.h"
#include "portable/path_rules.h"

namespace ks {

bool ProductLibrary::Load(const std::u16string& full_path) {
  module_.reset();
  if (!IsAbsolutePath(full_path)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  module_.reset(LoadLibraryExW(W(full_path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  return module_.valid();
}

FARPROC ProductLibrary::Proc(const char* name) const {
  if (!module_.valid()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return GetProcAddress(module_.get(), name);
}

}  // namespace ks
