// A fresh folder below the temporary folder for one Win32 test, removed with
// everything in it when the test ends.
#pragma once
#include <windows.h>

#include <string>

#include "core/file_access.h"  // WriteWholeFile
#include "core/folder_removal.h"
#include "core/wide.h"

namespace ks {

class TestFolder {
 public:
  explicit TestFolder(const char16_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = U16(temp) + u"ks-" + name + u"-" + std::u16string(Widen(GetCurrentProcessId()));
    RemoveFolderTree(path_, 0);
    CreateDirectoryW(W(path_), nullptr);
  }
  ~TestFolder() { RemoveFolderTree(path_, 0); }
  const std::u16string& path() const { return path_; }
  std::u16string operator/(std::u16string_view name) const { return path_ + u"\\" + std::u16string(name); }

 private:
  static std::u16string Widen(DWORD n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  }
  std::u16string path_;
};

inline bool Exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

// A file's bytes as they are now, also while another handle writes it;
// "<missing>" when it cannot be opened.
inline std::string ReadWhole(const std::u16string& path) {
  HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
  CloseHandle(h);
  return out;
}

}  // namespace ks
