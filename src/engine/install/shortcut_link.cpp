// CreateShortcut through IShellLinkW and IPersistFile.
#include "install/shortcut_link.h"

#include <objidl.h>
#include <shlobj.h>

#include "core/com_ptr.h"
#include "core/crash_guard.h"
#include "core/handle.h"
#include "core/wide.h"
#include "install/folder_tree.h"
#include "portable/shortcut_rules.h"

namespace ks {
namespace {

// CLSID_ShellLink, here so the engine needs no uuid library.
constexpr GUID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// A failed HRESULT as the system error the log texts expect.
DWORD ErrorOf(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return HRESULT_CODE(hr);
  return DWORD(hr);
}

}  // namespace

LinkSave CreateShortcut(std::u16string& path, const ShortcutFields& fields, unsigned flags) {
  if (path.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return LinkSave::kFailed;
  }
  path = LinkFileName(path);
  std::u16string working = fields.working_folder.empty() ? std::u16string() : TrimWorkingFolder(fields.working_folder);
  const std::u16string& icon = fields.icon.empty() ? fields.target : fields.icon;
  int show = ShowCommandFor(flags);
  std::u16string parent = ParentFolder(path);
  // The shell refuses to save into a missing folder (0x80070003).
  if (!parent.empty()) CreateFolderTree(parent);

  // The interfaces live outside the guarded call: after a fault in the shell
  // they are let go behind a guard of their own.
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  HRESULT hr = E_FAIL;
  GuardedCall call = CallGuarded([&] {
    hr = CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW), link.PutVoid());
    if (FAILED(hr)) return;
    hr = link->SetPath(W(fields.target));
    if (FAILED(hr)) return;
    link->SetIconLocation(W(icon), 0);
    if (!fields.arguments.empty()) link->SetArguments(W(fields.arguments));
    if (show) link->SetShowCmd(show);
    if (!working.empty()) link->SetWorkingDirectory(W(working));
    hr = link.QueryTo(__uuidof(IPersistFile), file);
    if (FAILED(hr)) return;
    hr = file->Save(W(path), FALSE);
  });
  if (call.crashed) {
    CallGuarded([&] {
      file.Reset();
      link.Reset();
    });
    SetLastError(call.exception_code);
    return LinkSave::kCrashed;
  }
  if (FAILED(hr)) {
    SetLastError(ErrorOf(hr));
    return LinkSave::kFailed;
  }
  return LinkSave::kSaved;
}

}  // namespace ks
