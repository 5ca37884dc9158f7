// What the dialogs need from the run, set once by the start-up: the settings,
// the text lookup in the current language and the few run facts they read.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "portable/settings.h"

namespace ks {

struct UiEnv {
  const Settings* settings = nullptr;
  std::function<std::u16string(int)> text;  // entry N in the current language, placeholders replaced
  int* language = nullptr;                  // the current language index; the language page sets it
  std::function<bool()> button_images;      // images on OK, Cancel and Browse
  std::function<bool()> uninstalling;
  std::function<uint64_t(const std::u16string& folder)> required_space;  // the folder page's estimate
  std::function<void()> abort;  // the abort notice and exit (does not return)
  std::function<void()> cancel;  // Yes to the progress page's Cancel: the run stops at its next pump
  HICON large_icon = nullptr, small_icon = nullptr;
};

// The process's one environment; empty until the start-up fills it.
UiEnv& Ui();

inline std::u16string UiText(int n) { return Ui().text ? Ui().text(n) : std::u16string(); }

}  // namespace ks
