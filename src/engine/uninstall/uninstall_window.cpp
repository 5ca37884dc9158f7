// The uninstaller's main window from the saved appearance values.
#include "uninstall/uninstall_window.h"

#include "core/file.h"
#include "core/registry_key.h"
#include "core/wide.h"
#include "portable/path_rules.h"

namespace ks {
namespace {

constexpr char16_t kBackgroundFileName[] = u"Installer Background.bmp";
constexpr DWORD kMaxSavedText = 4096;  // characters

std::optional<uint32_t> ReadDword(HKEY key, std::u16string_view name) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExW(key, W(std::u16string(name)), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS || type != REG_DWORD)
    return std::nullopt;
  return value;
}

std::optional<std::u16string> ReadText(HKEY key, std::u16string_view name) {
  std::u16string text(kMaxSavedText + 1, u'\0');
  DWORD type = 0, size = DWORD(text.size() * sizeof(char16_t));
  LONG rc = RegQueryValueExW(key, W(std::u16string(name)), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  text.resize(size / sizeof(char16_t));
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  if (text.size() > kMaxSavedText) text.resize(kMaxSavedText);
  return text;
}

std::string ReadFileBytes(const std::u16string& path) {
  File file;
  if (file.Open(path, kOpenExisting | kOpenNoWrite | kOpenShareRead) != FileError::kOk) return {};
  int64_t size = file.Size();
  if (size <= 0 || size > (64 << 20)) return {};
  std::string data(size_t(size), '\0');
  if (!file.ReadExact(data.data(), int(size))) return {};
  return data;
}

}  // namespace

DisplaySettings ReadSavedAppearance(RegistryKey& key, uint32_t option_flags, uint32_t option_flags2,
                                    const std::u16string& folder) {
  HKEY handle = key.Handle();
  SavedValues values{[handle](std::u16string_view name) { return ReadDword(handle, name); },
                     [handle](std::u16string_view name) { return ReadText(handle, name); }};
  const bool with_picture = (option_flags & kOptKeepBackground) != 0;
  DisplaySettings look = DisplaySettingsFromKey(values, with_picture, GetSysColor(COLOR_WINDOWTEXT),
                                                GetSysColor(COLOR_WINDOW));
  look.full_screen = (option_flags2 & kOpt2Maximised) != 0;
  if (with_picture) {
    if (auto block = DibFromBmpFile(ReadFileBytes(JoinPath(folder, kBackgroundFileName)))) look.BackgroundPicture = *block;
  }
  return look;
}

void ShowUninstallWindow(UninstallRun& run, RegistryKey& key) {
  if (!run.calls.main_window || (run.option_flags & kOptNoMainWindow)) return;
  std::u16string folder = JoinPath(run.values.install_dir, run.values.uninstall_subdir);
  run.calls.main_window(ReadSavedAppearance(key, run.option_flags, run.option_flags2, folder), folder);
}

}  // namespace ks
