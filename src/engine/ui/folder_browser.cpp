// SHBrowseForFolderW with a starting selection.
#include "ui/folder_browser.h"

#include <shlobj.h>

#include "core/wide.h"
#include "portable/path_rules.h"
#include "portable/text.h"

namespace ks {
namespace {

int CALLBACK SelectStart(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

std::u16string RootPath(BrowseRoot root) {
  int csidl = root == BrowseRoot::kPrograms ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS;
  wchar_t path[MAX_PATH] = {};
  if (root == BrowseRoot::kDesktop || root == BrowseRoot::kComputer) return u"";
  return SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? U16(path) : u"";
}

}  // namespace

std::optional<std::u16string> BrowseForFolder(HWND owner, BrowseRoot root, bool file_system_only, bool relative,
                                              const std::u16string& prompt, const std::u16string& start) {
  const int kinds[] = {CSIDL_DESKTOP, CSIDL_DRIVES, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS};
  LPITEMIDLIST root_item = nullptr;
  SHGetSpecialFolderLocation(owner, kinds[int(root)], &root_item);
  std::u16string root_path = relative ? RootPath(root) : u"";
  std::u16string first = relative && !root_path.empty() ? JoinPath(root_path, start) : start;

  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root_item;
  info.lpszTitle = W(prompt);
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | (file_system_only ? 0 : BIF_SHAREABLE);
  info.lpfn = SelectStart;
  info.lParam = LPARAM(W(first));
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  std::optional<std::u16string> result;
  if (chosen) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path)) result = U16(path);
    CoTaskMemFree(chosen);
  }
  if (root_item) CoTaskMemFree(root_item);
  if (result && relative && !root_path.empty()) {
    // Relative to the root again; a folder outside it stays as chosen.
    if (StartsWithNoCase(*result, root_path)) {
      std::u16string rest = result->substr(root_path.size());
      while (!rest.empty() && rest[0] == u'\\') rest.erase(0, 1);
      result = rest;
    }
  }
  return result;
}

}  // namespace ks
