// RemoveFolder and RemoveFolderTree.
#include "core/folder_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/handle.h"
#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr DWORD kNotEmptyRetryMs = 100;
constexpr DWORD kNotEmptyLimitMs = 2000;

std::u16string WithoutTrailingBackslash(std::u16string_view path) {
  std::u16string result(path);
  while (result.size() > 3 && (result.back() == u'\\' || result.back() == u'/')) result.pop_back();
  return result;
}

std::vector<std::u16string> ProtectedFolders() {
  std::vector<std::u16string> folders;
  wchar_t buffer[MAX_PATH + 1];
  auto add = [&](UINT n) {
    if (n > 0 && n <= MAX_PATH) folders.push_back(WithoutTrailingBackslash(U16(buffer, n)));
  };
  add(GetSystemDirectoryW(buffer, MAX_PATH));
  add(GetSystemWow64DirectoryW(buffer, MAX_PATH));
  add(GetWindowsDirectoryW(buffer, MAX_PATH));
  for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                    CSIDL_PROGRAM_FILES_COMMONX86}) {
    if (SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) add(UINT(wcslen(buffer)));
  }
  // A 32-bit process sees the 32-bit folders above; the 64-bit ones come
  // from the environment.
  for (const wchar_t* name : {L"ProgramW6432", L"CommonProgramW6432"}) {
    add(GetEnvironmentVariableW(name, buffer, MAX_PATH + 1));
  }
  return folders;
}

bool WaitingRemove(const std::u16string& path, unsigned flags, const MessagePump& pump) {
  DWORD start = GetTickCount();
  for (;;) {
    if (RemoveFolder(path, flags)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) {
      SetLastError(ERROR_SUCCESS);
      return true;
    }
    // Explorer and scanners let go of a just-emptied folder a moment later.
    if (error != ERROR_DIR_NOT_EMPTY || GetTickCount() - start >= kNotEmptyLimitMs) {
      SetLastError(error);
      return false;
    }
    if (flags & kRemovePumpMessages) {
      DWORD until = GetTickCount() + kNotEmptyRetryMs;
      do {
        RunPump(pump);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      } while (int32_t(until - GetTickCount()) > 0);
    } else {
      Sleep(kNotEmptyRetryMs);
    }
  }
}

bool RemoveTree(const std::u16string& folder, unsigned flags, const MessagePump& pump);

}  // namespace

bool DeleteTreeFile(std::u16string_view path) {
  std::u16string name(path);
  DWORD attributes = GetFileAttributesW(W(name));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(W(name), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  return DeleteFileW(W(name)) != FALSE;
}

bool IsProtectedFolder(std::u16string_view path) {
  std::u16string wanted = WithoutTrailingBackslash(path);
  for (const auto& folder : ProtectedFolders())
    if (!folder.empty() && EqualsNoCase(folder, wanted)) return true;
  return false;
}

bool RemoveFolder(std::u16string_view path, unsigned flags) {
  if (path.size() <= 3) {
    SetLastError(ERROR_BAD_PATHNAME);
    return false;
  }
  std::u16string folder = WithoutTrailingBackslash(path);
  if (!(flags & kRemoveKeepShellFiles)) {
    // The shell drops these into folders it has shown; they would keep an
    // otherwise empty folder alive.
    for (const char16_t* name : {u"\\thumbs.db", u"\\desktop.ini"}) {
      std::u16string file = folder + name;
      DWORD attributes = GetFileAttributesW(W(file));
      if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(W(file), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(W(file));
      }
    }
  }
  if (RemoveDirectoryW(W(folder))) return true;
  if (GetLastError() == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_PATH_NOT_FOUND);
  return false;
}

namespace {

// The walk itself; the refusals are checked once, at the top.
bool RemoveTree(const std::u16string& folder, unsigned flags, const MessagePump& pump) {
  DWORD first_error = ERROR_SUCCESS;
  auto remember = [&](DWORD error) {
    if (first_error == ERROR_SUCCESS) first_error = error ? error : ERROR_GEN_FAILURE;
  };

  WIN32_FIND_DATAW entry;
  UniqueFind find(FindFirstFileW(W(folder + u"\\*.*"), &entry));
  if (find) {
    do {
      std::u16string name = U16(entry.cFileName);
      if (name == u"." || name == u"..") continue;
      std::u16string child = folder + u"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A junction or directory link is removed as a link: walking into it
        // would empty the folder it points to, which is not ours.
        bool ok = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? RemoveDirectoryW(W(child)) != FALSE
                                                                          : RemoveTree(child, flags, pump);
        if (!ok) remember(GetLastError());
      } else {
        if (!DeleteTreeFile(child)) remember(GetLastError());
        if (flags & kRemovePumpMessages) RunPump(pump);
      }
    } while (FindNextFileW(find.get(), &entry));
  }
  find.reset();

  if (!WaitingRemove(folder, flags, pump)) remember(GetLastError());
  SetLastError(first_error);
  return first_error == ERROR_SUCCESS;
}

}  // namespace

bool RemoveFolderTree(std::u16string_view path, unsigned flags, const MessagePump& pump) {
  if (path.size() <= 3) {
    SetLastError(ERROR_BAD_PATHNAME);
    return false;
  }
  std::u16string folder = WithoutTrailingBackslash(path);
  if (IsProtectedFolder(folder)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return RemoveTree(folder, flags, pump);
}

}  // namespace ks
