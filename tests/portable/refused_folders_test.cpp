// The folder-tree refusals: root spellings, protected folders and their parents.
#include <gtest/gtest.h>

#include "portable/refused_folders.h"
#include "portable/text.h"

namespace ks {
namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(RefusedFolders, NormalizedFolderSpellsOneWay) {
  struct Case { const char16_t* in; const char16_t* out; } cases[] = {
      {u"C:\\", u"C:"},
      {u"c:", u"C:"},
      {u"C:\\.", u"C:"},
      {u"\\\\?\\C:\\", u"C:"},
      {u"\\\\.\\c:\\.\\", u"C:"},
      {u"C:/Program Files/", u"C:\\Program Files"},
      {u"C:\\App\\\\data\\.\\x\\..\\", u"C:\\App\\data"},
      {u"C:\\..\\..\\App", u"C:\\App"},
      {u"\\\\?\\UNC\\srv\\share\\dir", u"\\\\srv\\share\\dir"},
      {u"\\\\srv\\share\\..\\..", u"\\\\srv\\share"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(Narrow(NormalizedFolder(c.in)), Narrow(c.out)) << Narrow(c.in);
}

TEST(RefusedFolders, RootsProtectedFoldersAndTheirParentsAreRefused) {
  const std::vector<std::u16string> kept = {u"C:\\windows", u"C:\\users\\me\\Desktop",
                                            u"C:\\Program Files (x86)\\", u"D:\\Data\\Documents"};
  struct Case { const char16_t* path; bool refused; } cases[] = {
      // Roots in every spelling, of any drive.
      {u"C:", true}, {u"C:\\", true}, {u"\\\\?\\C:\\", true}, {u"C:\\.", true}, {u"c:\\\\", true},
      {u"E:\\", true}, {u"\\\\server\\share\\", true}, {u"\\\\?\\UNC\\server\\share", true}, {u"", true},
      // The folders themselves, other case, trailing backslash, other spelling.
      {u"C:\\WINDOWS", true}, {u"c:\\users\\ME\\desktop\\", true}, {u"C:/Program Files (x86)", true},
      {u"\\\\?\\C:\\windows", true}, {u"C:\\users\\me\\Desktop\\.", true},
      {u"C:\\App\\..\\windows", true},
      // Every folder that holds one.
      {u"C:\\users", true}, {u"C:\\users\\me", true}, {u"D:\\Data", true},
      // Folders below a protected one, and neighbours, are the product's to remove.
      {u"C:\\users\\me\\Desktop\\My App", false}, {u"C:\\Program Files (x86)\\Maker\\App", false},
      {u"C:\\windowsapp", false}, {u"C:\\users\\me2", false}, {u"D:\\Data2", false},
      {u"\\\\server\\share\\App", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsRefusedFolder(c.path, kept), c.refused) << Narrow(c.path);
}

}  // namespace
}  // namespace ks
