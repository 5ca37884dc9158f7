// The folder-tree refusals against the system's real shell folders: each one,
// the folders above it and every spelling of the drive root are refused.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "core/folder_removal.h"
#include "core/wide.h"
#include "portable/text.h"

namespace ks {
namespace {

std::u16string Special(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  return SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE) ? U16(buffer) : std::u16string();
}

TEST(RefusedFolders, ShellFoldersTheirParentsAndRootSpellings) {
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYMUSIC,
                    CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                    CSIDL_COMMON_APPDATA, CSIDL_STARTMENU, CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_COMMON_PROGRAMS,
                    CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON}) {
    std::u16string folder = Special(csidl);
    ASSERT_FALSE(folder.empty()) << csidl;
    // The folder, its upper-case spelling with a trailing backslash, and its parent.
    std::u16string upper = folder + u"\\";
    for (char16_t& c : upper)
      if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    for (const std::u16string& path : {folder, upper, folder.substr(0, folder.rfind(u'\\'))}) {
      EXPECT_TRUE(IsProtectedFolder(path)) << Utf16ToUtf8(path);
      SetLastError(0);
      EXPECT_FALSE(RemoveFolderTree(path, 0)) << Utf16ToUtf8(path);
    }
    // What lies below is the product's.
    EXPECT_FALSE(IsProtectedFolder(folder + u"\\KS Some Product")) << Utf16ToUtf8(folder);
  }
  for (const char16_t* root : {u"C:", u"C:\\", u"c:\\", u"C:\\.", u"C:\\\\", u"\\\\?\\C:\\", u"C:\\..", u"C:/"}) {
    EXPECT_TRUE(IsProtectedFolder(root)) << Utf16ToUtf8(root);
    EXPECT_FALSE(RemoveFolderTree(root, 0)) << Utf16ToUtf8(root);
  }
  // Downloads has no CSIDL; the known folder sits beside Documents in the profile.
  EXPECT_TRUE(IsProtectedFolder(Special(CSIDL_PROFILE) + u"\\Downloads"));
  EXPECT_NE(GetFileAttributesW(W(Special(CSIDL_DESKTOPDIRECTORY))), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace ks
