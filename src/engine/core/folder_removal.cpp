// RemoveFolder and RemoveFolderTree.
#include "core/folder_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/handle.h"
#include "core/library_loader.h"
#include "core/wide.h"
#include "portable/refused_folders.h"
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

// The shell folders of the user and of all users, and the system's own.
std::vector<std::u16string> ProtectedFolders() {
  std::vector<std::u16string> folders;
  wchar_t buffer[MAX_PATH + 1];
  auto add = [&](UINT n) {
    if (n > 0 && n <= MAX_PATH) folders.push_back(WithoutTrailingBackslash(U16(buffer, n)));
  };
  add(GetSystemDirectoryW(buffer, MAX_PATH));
  add(GetSystemWow64DirectoryW(buffer, MAX_PATH));
  add(GetWindowsDirectoryW(buffer, MAX_PATH));
  // The folder that holds the user profiles.
  using ProfilesFn = BOOL(WINAPI*)(wchar_t*, DWORD*);
  static const auto profiles = SystemProc<ProfilesFn>(L"userenv.dll", "GetProfilesDirectoryW");
  DWORD size = MAX_PATH;
  if (profiles && profiles(buffer, &size)) add(UINT(wcslen(buffer)));
  for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                    CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY,
                    CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS, CSIDL_MYMUSIC,
                    CSIDL_COMMON_MUSIC, CSIDL_MYPICTURES, CSIDL_COMMON_PICTURES, CSIDL_MYVIDEO, CSIDL_COMMON_VIDEO,
                    CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_STARTMENU,
                    CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTUP,
                    CSIDL_COMMON_STARTUP, CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86}) {
    if (SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) add(UINT(wcslen(buffer)));
  }
  // Downloads has no CSIDL: the known-folder call names it (Vista and later).
  using KnownFolderFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, wchar_t**);
  static const auto known = SystemProc<KnownFolderFn>(L"shell32.dll", "SHGetKnownFolderPath");
  static const GUID kDownloads = {0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
  static const GUID kPublicDownloads = {0x3d644c9b, 0x1fb8, 0x4f30, {0x9b, 0x45, 0xf6, 0x70, 0x23, 0x5f, 0x79, 0xc0}};
  for (const GUID* id : {&kDownloads, &kPublicDownloads}) {
    wchar_t* path = nullptr;
    if (known && SUCCEEDED(known(*id, 0, nullptr, &path)) && path) folders.push_back(WithoutTrailingBackslash(U16(path)));
    CoTaskMemFree(path);
  }
  // A 32-bit process sees the 32-bit folders above; the 64-bit ones come
  // from the environment.
  for (const wchar_t* name : {L"ProgramW6432", L"CommonProgramW6432"}) {
    add(GetEnvironmentVariableW(name, buffer, MAX_PATH + 1));
  }
  return folders;
}

// The full, long form of a path, so that "C:\App\..", "C:\PROGRA~1" and a
// relative path compare as the folder they name.
std::u16string FullLongPath(std::u16string_view path) {
  std::u16string text(path);
  if (text.rfind(u"\\\\?\\", 0) == 0 && text.rfind(u"\\\\?\\UNC\\", 0) != 0) text.erase(0, 4);
  wchar_t full[MAX_PATH * 2];
  DWORD n = GetFullPathNameW(W(text), MAX_PATH * 2, full, nullptr);
  if (n == 0 || n >= MAX_PATH * 2) return text;
  wchar_t long_form[MAX_PATH * 2];
  DWORD m = GetLongPathNameW(full, long_form, MAX_PATH * 2);
  return (m > 0 && m < MAX_PATH * 2) ? U16(long_form, m) : U16(full, n);
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
  return IsRefusedFolder(path, ProtectedFolders()) || IsRefusedFolder(FullLongPath(path), ProtectedFolders());
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
