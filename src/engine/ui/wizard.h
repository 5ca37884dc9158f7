// The wizard pages as the installation flow sees them: one narrow interface.
// Silent runs call only the password page.
#pragma once
#include <string>

#include "portable/settings.h"

namespace ks {

class Wizard {
 public:
  virtual ~Wizard() = default;
  // False: the user cancelled (or declined the greeting).
  virtual bool Language(int& language) = 0;
  virtual bool Greeting() = 0;
  virtual bool Password(const std::u16string& password) = 0;
  virtual bool License(const std::string& text_bytes) = 0;
  virtual bool Readme(const std::string& text_bytes) = 0;
  // The folder page; `folder` in: the starting folder, out: the chosen one.
  virtual bool ChooseFolder(std::u16string& folder) = 0;
  virtual bool StartMenu(std::u16string& folder) = 0;
  // The must-uninstall page: true when the user agrees to remove the old version.
  virtual bool MustUninstall() = 0;
};

// Takes every page's default without showing anything (tests of the flow).
Wizard& DefaultWizard();

// The pages drawn from the engine's dialog templates.
Wizard& Win32Wizard();

}  // namespace ks
