// The wizard pages as the installation flow sees them.
#include "ui/wizard.h"

#include "ui/pages.h"
#include "ui/res/resource.h"

namespace ks {
namespace {

class DefaultsWizard : public Wizard {
 public:
  bool Language(int&) override { return true; }
  bool Greeting() override { return true; }
  // Without a page nobody can type the password: refuse rather than let the
  // installation through unchecked.
  bool Password(const std::u16string& password) override { return password.empty(); }
  bool License(const std::string&) override { return true; }
  bool Readme(const std::string&) override { return true; }
  bool ChooseFolder(std::u16string&) override { return true; }
  bool StartMenu(std::u16string&) override { return true; }
  bool MustUninstall() override { return false; }
};

class PagesWizard : public Wizard {
 public:
  bool Language(int& language) override { return LanguagePage(language); }
  bool Greeting() override { return GreetingPage(); }
  bool Password(const std::u16string& password) override { return PasswordPage(password); }
  bool License(const std::string& text_bytes) override { return LicensePage(text_bytes) == KS_ID_OK; }
  bool Readme(const std::string& text_bytes) override { return ReadmePage(text_bytes) == KS_ID_OK; }
  bool ChooseFolder(std::u16string& folder) override { return ChooseDirPage(folder); }
  bool StartMenu(std::u16string& folder) override { return StartMenuPage(folder); }
  bool MustUninstall() override { return MustUninstallPage() == KS_ID_OK; }
};

}  // namespace

Wizard& Win32Wizard() {
  static PagesWizard wizard;
  return wizard;
}

Wizard& DefaultWizard() {
  static DefaultsWizard wizard;
  return wizard;
}

}  // namespace ks
