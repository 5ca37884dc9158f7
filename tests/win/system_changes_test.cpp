// The PATH entry and folder rights against the real registry and file system
// of the Wine prefix. The machine's "Path" is saved and restored around each test.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/registry_key.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "install/folder_rights.h"
#include "install/path_entry.h"
#include "portable/text.h"

namespace ks {
namespace {

class PathEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(std::u16string(kEnvironmentKey)), 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, &key_),
              ERROR_SUCCESS);
    DWORD size = 0;
    had_path_ = RegQueryValueExW(key_, L"Path", nullptr, &saved_type_, nullptr, &size) == ERROR_SUCCESS;
    if (had_path_) {
      saved_.resize(size);
      ASSERT_EQ(RegQueryValueExW(key_, L"Path", nullptr, &saved_type_, saved_.data(), &size), ERROR_SUCCESS);
    }
  }
  void TearDown() override {
    if (had_path_)
      RegSetValueExW(key_, L"Path", 0, saved_type_, saved_.data(), DWORD(saved_.size()));
    else
      RegDeleteValueW(key_, L"Path");
    RegCloseKey(key_);
  }
  void SetPath(const std::u16string& value, DWORD type) {
    ASSERT_EQ(RegSetValueExW(key_, L"Path", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                             DWORD((value.size() + 1) * 2)),
              ERROR_SUCCESS);
  }
  // The stored text and type, read without expansion.
  std::u16string StoredPath(DWORD* type) {
    DWORD size = 0;
    RegQueryValueExW(key_, L"Path", nullptr, type, nullptr, &size);
    std::u16string text(size / 2, u'\0');
    RegQueryValueExW(key_, L"Path", nullptr, type, reinterpret_cast<BYTE*>(text.data()), &size);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
  }

  HKEY key_ = nullptr;
  bool had_path_ = false;
  DWORD saved_type_ = REG_NONE;
  std::vector<BYTE> saved_;
};

TEST_F(PathEntryTest, AddAndRemoveKeepExpandableType) {
  TestFolder folder(u"path");
  const std::u16string before = u"%SystemRoot%\\system32;%SystemRoot%";
  SetPath(before, REG_EXPAND_SZ);
  DWORD type = REG_NONE;

  EXPECT_EQ(EditPath(true, folder.path()), PathEdit::kChanged);
  EXPECT_EQ(StoredPath(&type), before + u";" + folder.path());
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));  // %SystemRoot% still expands
  // Found again in other case and with a trailing backslash.
  std::u16string other_case = folder.path();
  for (char16_t& c : other_case) c = AsciiUpper(c);
  EXPECT_EQ(EditPath(true, other_case + u"\\"), PathEdit::kUnchanged);

  EXPECT_EQ(EditPath(false, folder.path()), PathEdit::kChanged);
  EXPECT_EQ(StoredPath(&type), before);
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
  EXPECT_EQ(EditPath(false, folder.path()), PathEdit::kUnchanged);
}

TEST_F(PathEntryTest, PlainStringStaysPlainAndMissingFolderIsNotAdded) {
  TestFolder folder(u"path-sz");
  SetPath(u"C:\\windows", REG_SZ);
  DWORD type = REG_NONE;
  EXPECT_EQ(EditPath(true, folder.path()), PathEdit::kChanged);
  EXPECT_EQ(StoredPath(&type), u"C:\\windows;" + folder.path());
  EXPECT_EQ(type, DWORD(REG_SZ));

  EXPECT_EQ(EditPath(true, folder / u"missing"), PathEdit::kFolderMissing);
  EXPECT_EQ(StoredPath(&type), u"C:\\windows;" + folder.path());

  SetPath(u"", REG_EXPAND_SZ);
  EXPECT_EQ(EditPath(true, folder.path()), PathEdit::kNoPath);
  EXPECT_EQ(StoredPath(&type), u"");
}

// A value far beyond 4,096 characters is read and written back whole.
TEST_F(PathEntryTest, LongValueKeptWhole) {
  TestFolder folder(u"path-long");
  std::u16string before;
  for (int i = 0; before.size() < 10000; ++i) before += u"C:\\Tools\\Long\\Entry\\Number" + Widen(std::to_string(i)) + u";";
  before += u"C:\\End";
  SetPath(before, REG_EXPAND_SZ);
  DWORD type = REG_NONE;
  EXPECT_EQ(EditPath(true, folder.path()), PathEdit::kChanged);
  EXPECT_EQ(StoredPath(&type), before + u";" + folder.path());
  EXPECT_EQ(EditPath(true, folder.path()), PathEdit::kUnchanged);
  EXPECT_EQ(EditPath(false, folder.path()), PathEdit::kChanged);
  EXPECT_EQ(StoredPath(&type), before);
  EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
}

// Whether the folder's rights hold an inheritable (object and container)
// entry that lets Everyone read, write, execute and delete. Wine keeps file
// rights as Unix mode bits and reads such a grant back as 0x1301FF (all but
// WRITE_DAC and WRITE_OWNER), so the test asks for the rights that matter.
bool EveryoneMayWriteInherited(const std::u16string& folder) {
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(W(folder), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                            &descriptor) != ERROR_SUCCESS)
    return false;
  BYTE everyone[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof everyone;
  bool found = false;
  if (acl && CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sid_size)) {
    constexpr DWORD kNeeded = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    constexpr BYTE kInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(acl, i, &ace)) continue;
      auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !EqualSid(&allowed->SidStart, everyone)) continue;
      bool full = (allowed->Mask & GENERIC_ALL) || (allowed->Mask & kNeeded) == kNeeded;
      if (full && (allowed->Header.AceFlags & kInherit) == kInherit) found = true;
    }
  }
  LocalFree(descriptor);
  return found;
}

TEST(FolderRights, EveryoneGetsInheritedFullAccess) {
  TestFolder folder(u"rights");
  ASSERT_FALSE(EveryoneMayWriteInherited(folder.path()));  // a fresh folder does not allow it yet
  ASSERT_EQ(GrantFolderRights(folder.path()), 0u);
  EXPECT_TRUE(EveryoneMayWriteInherited(folder.path()));

  EXPECT_EQ(GrantFolderRights(folder / u"missing"), DWORD(ERROR_PATH_NOT_FOUND));
  ASSERT_TRUE(WriteWholeFile(folder / u"file.txt", "x"));
  EXPECT_EQ(GrantFolderRights(folder / u"file.txt"), DWORD(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace ks
