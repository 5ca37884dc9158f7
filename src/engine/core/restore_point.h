// System restore points around an installation, with the COM security that
// the restore service needs from its caller.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

// One restore-point client over the library that provides SRSetRestorePointW
// ("srclient.dll" for the process; another name lets a test take the
// not-present paths).
class RestorePointClient {
 public:
  explicit RestorePointClient(const wchar_t* library = L"srclient.dll") : library_name_(library) {}
  // False with the reason in `message`.
  bool Begin(std::u16string_view description, std::u16string* message);
  // False, calling nothing, when no restore point is open.
  bool End();

 private:
  using SetRestorePointFn = BOOL(WINAPI*)(void* info, void* status);
  const wchar_t* library_name_;
  bool library_tried_ = false;
  HMODULE library_ = nullptr;
  SetRestorePointFn set_point_ = nullptr;
  int64_t sequence_ = 0;  // 0: none open
};

// The process's restore point: description at most 255 characters.
bool BeginRestorePoint(std::u16string_view description, std::u16string* message);
bool EndRestorePoint();

// Process-wide COM security as the restore service wants it. Empty on
// success (also when it was set before), else the failure text.
std::u16string InitializeComSecurity();

}  // namespace ks
