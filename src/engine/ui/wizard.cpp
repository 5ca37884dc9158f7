// The wizard pages as the installation flow sees them.
#include "ui/wizard.h"

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

}  // namespace

Wizard& DefaultWizard() {
  static DefaultsWizard wizard;
  return wizard;
}

}  // namespace ks
