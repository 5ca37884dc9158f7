// Moving or deleting a file at the next restart.
#include "core/restart_move.h"

#include <vector>

#include "core/file.h"
#include "core/wide.h"
#include "portable/path_rules.h"
#include "portable/pending_renames.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr DWORD kRegisteredError = 170;  // ERROR_BUSY: the file stays in use until the restart

std::u16string WindowsFolderOr(const std::u16string& given) {
  if (!given.empty()) return given;
  wchar_t buffer[MAX_PATH];
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  return n && n < MAX_PATH ? U16(buffer, n) : std::u16string(u"C:\\Windows");
}

std::u16string ShortName(const std::u16string& path) {
  DWORD n = GetShortPathNameW(W(path), nullptr, 0);
  if (n == 0) return path;
  std::vector<wchar_t> buffer(n);
  DWORD got = GetShortPathNameW(W(path), buffer.data(), n);
  return got && got < n ? U16(buffer.data(), got) : path;
}

}  // namespace

bool MoveAtRestart(const std::u16string& source, const std::u16string& destination,
                   const std::u16string& windows_folder) {
  const wchar_t* target = destination.empty() ? nullptr : W(destination);
  if (MoveFileExW(W(source), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
    SetLastError(kRegisteredError);
    return true;
  }
  DWORD error = GetLastError();
  std::u16string windows = WindowsFolderOr(windows_folder);
  if (GetFileAttributesW(W(JoinPath(windows, u"wininit.exe"))) == INVALID_FILE_ATTRIBUTES) {
    SetLastError(error);
    return false;
  }
  if (!AddWininitRename(source, destination, windows)) return false;
  SetLastError(kRegisteredError);
  return true;
}

bool AddWininitRename(const std::u16string& source, const std::u16string& destination,
                      const std::u16string& windows_folder) {
  const AnsiCodePage& ansi = SystemCodePage();
  std::string source8 = ansi.FromWide(ShortName(source), '?');
  std::string destination8 = destination.empty() ? "NUL" : ansi.FromWide(ShortName(destination), '?');
  File ini;
  if (ini.Open(JoinPath(WindowsFolderOr(windows_folder), u"wininit.ini"), kOpenAlways) != FileError::kOk) return false;
  int64_t size = ini.Size();
  if (size < 0 || size > 0x1000000) return false;
  std::string text(size_t(size), '\0');
  if (size > 0 && !ini.ReadExact(text.data(), int(size))) return false;
  text = InsertWininitRename(std::move(text), destination8, source8);
  if (!ini.Seek(0) || !ini.Write(text.data(), int(text.size()))) return false;
  return SetEndOfFile(ini.Handle()) != FALSE;
}

}  // namespace ks
