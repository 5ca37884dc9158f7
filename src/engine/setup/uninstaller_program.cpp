// The uninstaller program, written by the finish.
#include "setup/uninstaller_program.h"

#include <windows.h>

#include <optional>
#include <span>
#include <vector>

#include "core/code_page.h"
#include "core/restart_move.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/file_writer.h"
#include "portable/icon_group.h"
#include "portable/path_rules.h"
#include "portable/uninstall_key.h"
#include "setup/engine_sink.h"
#include "setup/engine_state.h"
#include "setup/messages.h"
#include "setup/run_context.h"
#include "setup/run_values.h"
#include "setup/setup_archive.h"

namespace ks {
namespace {

constexpr WORD kIconGroupId = 1;  // the engine's own program icon, which the uninstaller icon replaces

// A resource of the running engine, kept when the uninstaller's resources are rewritten.
struct KeptResource {
  std::u16string type, name;  // "#N" for numbered ones
  WORD language = 0;
  const void* data = nullptr;
  DWORD size = 0;
};

std::u16string ResourceKey(LPCWSTR id) {
  return IS_INTRESOURCE(id) ? u"#" + Widen(std::to_string(uintptr_t(id))) : U16(id);
}

LPCWSTR ResourceId(const std::u16string& key) {
  return key[0] == u'#' ? MAKEINTRESOURCEW(std::stoi(std::string(key.begin() + 1, key.end()))) : W(key);
}

BOOL CALLBACK KeepLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
  HRSRC info = FindResourceExW(module, type, name, language);
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  if (data) {
    reinterpret_cast<std::vector<KeptResource>*>(param)->push_back(
        {ResourceKey(type), ResourceKey(name), language, LockResource(data), SizeofResource(module, info)});
  }
  return TRUE;
}

BOOL CALLBACK KeepName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, KeepLanguage, param);
  return TRUE;
}

BOOL CALLBACK KeepType(HMODULE module, LPWSTR type, LONG_PTR param) {
  if (type != RT_ICON && type != RT_GROUP_ICON) EnumResourceNamesW(module, type, KeepName, param);
  return TRUE;
}

// Rewrites the program's resources as the engine's own (it is this engine's
// image) without its icon, plus the icon file's pictures as the one icon
// group: the engine's icon is replaced, with no second group and no image of
// it left behind.
bool ReplaceIcon(const std::u16string& program, const IconGroup& icon) {
  std::vector<KeptResource> kept;
  EnumResourceTypesW(GetModuleHandleW(nullptr), KeepType, reinterpret_cast<LONG_PTR>(&kept));
  HANDLE update = BeginUpdateResourceW(W(program), TRUE);
  if (!update) {
    Engine().log.LogText(u"Failed to open uninstaller for icon replacement.\r\n");
    return false;
  }
  const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  bool ok = true;
  for (const KeptResource& r : kept) {
    ok = ok && UpdateResourceW(update, ResourceId(r.type), ResourceId(r.name), r.language, const_cast<void*>(r.data),
                               r.size);
  }
  for (size_t i = 0; i < icon.images.size() && ok; ++i) {
    ok = UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(kIconGroupId + i), neutral,
                         const_cast<uint8_t*>(icon.images[i].data()), DWORD(icon.images[i].size()));
  }
  ok = ok && UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(kIconGroupId), neutral,
                             const_cast<uint8_t*>(icon.group.data()), DWORD(icon.group.size()));
  ok = EndUpdateResourceW(update, !ok) && ok;
  if (!ok) Engine().log.LogText(u"Failed to replace uninstaller icon.\r\n");
  return ok;
}

// The bare engine image, written like an installed file (replaced at the
// restart when the old uninstaller is in use), then given its icon.
void WriteUninstallerImage(InstallRun& run, const std::u16string& path) {
  EngineState& e = Engine();
  const Bytes& image = run.archive->UninstallerImage();
  InstallContext context = RunInstallContext(run);
  EngineSink sink(*run.archive, run);
  FileWrite request;
  request.destination = path;
  request.data = image.data();
  request.size = int64_t(image.size());
  request.times = e.settings().UninstallerFileTimes;
  FileWriteResult result;
  WriteOneFile(request, context, sink, result);
  if (context.OptionFlags & kOptRestartRequired) run.restart_required = true;
  if (!result.written || e.settings().UninstallIcon.empty()) return;
  std::optional<IconGroup> icon = IconGroupFromFile(std::span(reinterpret_cast<const uint8_t*>(e.settings().UninstallIcon.data()), e.settings().UninstallIcon.size()), kIconGroupId);
  if (!icon) {
    e.log.LogText(u"Failed to replace uninstaller icon.\r\n");
    return;
  }
  ReplaceIcon(path, *icon);
}

// A copy of the running installer; when the uninstaller is in use, a copy
// beside it replaces it at the restart.
void CopyUninstaller(InstallRun& run, const std::u16string& path) {
  EngineState& e = Engine();
  if (CopyFileW(W(e.module_path), W(path), FALSE)) return;
  wchar_t temp[MAX_PATH];
  if (!GetTempFileNameW(W(run.UninstallDir), L"OQT", 0, temp)) {
    DWORD error = GetLastError();
    e.log.AddFailure(u"Failed to register '" + path +
                     u"' for replacement because no temporary file could be created.\r\n" +
                     SystemErrorText(error) + u"\r\n\r\n");
    return;
  }
  std::u16string temporary = U16(temp);
  if (CopyFileW(W(e.module_path), temp, FALSE) && MoveAtRestart(temporary, path, e.windows_folder)) {
    run.restart_required = true;
    e.log.LogConcat({u"\"", path, u"\" was successfully registered for replacement.\r\nTemporary file is \"",
                     temporary, u"\"\r\nReboot will be required.\r\n\r\n"});
    return;
  }
  DWORD error = GetLastError();
  e.log.AddFailure(u"Failed to register '" + path + u"' for replacement with temporary file '" + temporary +
                   u"'\r\n" + SystemErrorText(error) + u"\r\n\r\n");
  DeleteFileW(temp);
}

}  // namespace

void WriteUninstaller(InstallRun& run) {
  EngineState& e = Engine();
  const Settings& s = e.settings();
  Progress(99);
  if (!run.registers_uninstaller) return;
  std::u16string path = JoinPath(run.UninstallDir, SystemCodePage().ToWide(s.UninstallerFileName));
  if (run.ArchiveFlags(e.header()) & kArcUninstallerIcon)
    WriteUninstallerImage(run, path);
  else
    CopyUninstaller(run, path);
}


}  // namespace ks
