// The product's own DLLs (components to register, custom actions), loaded by
// full path so that their own dependencies are looked up beside them. The
// run-time libraries of the system go through library_loader.h instead.
#pragma once
#include <windows.h>

#include <string>

#include "core/handle.h"

namespace ks {

class ProductLibrary {  // frees the module when it goes out of scope
 public:
  // LoadLibraryExW with LOAD_WITH_ALTERED_SEARCH_PATH. A path that is not
  // absolute is refused with ERROR_INVALID_PARAMETER: the search order of a
  // bare name would let any folder on the path supply the DLL. False with
  // the system's error as the last error.
  bool Load(const std::u16string& full_path);
  bool IsLoaded() const { return module_.valid(); }
  HMODULE Handle() const { return module_.get(); }

  // The address of an export, or null.
  FARPROC Proc(const char* name) const;
  template <typename Fn>
  Fn Proc(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Proc(name)));
  }

 private:
  UniqueModule module_;
};

}  // namespace ks
