// Texts by number for dialogs and boxes, with "<product>", "<description>"
// and "<os>" filled in: the installer reads them from the settings' string
// table, the uninstaller from the [Strings] section of Uninstall.DAT.
#pragma once
#include <map>
#include <string>
#include <string_view>

#include "settings.h"

namespace ks {

struct PlaceholderValues {
  std::u16string_view product, description, os;
};

// Replaces the three placeholders in one pass: text that a replacement
// brings in is not searched again.
TextW ReplacePlaceholders(std::u16string_view text, const PlaceholderValues& values);

class TextSource {
 public:
  virtual ~TextSource() = default;
  // Text n with the placeholders replaced; empty when there is no such text.
  TextW Text(int n) const { return ReplacePlaceholders(Raw(n), Placeholders()); }

 protected:
  virtual std::u16string_view Raw(int n) const = 0;
  virtual PlaceholderValues Placeholders() const = 0;
};

// The settings' StringTable in the run's language: `*language` when given
// (the language page may change it while the source lives), else the
// settings' CurrentLanguage.
class SettingsTexts final : public TextSource {
 public:
  SettingsTexts(const Settings& settings, std::u16string windows_folder, const int* language = nullptr)
      : settings_(settings), windows_folder_(std::move(windows_folder)), language_(language) {}

 private:
  std::u16string_view Raw(int n) const override;
  PlaceholderValues Placeholders() const override;
  const Settings& settings_;
  std::u16string windows_folder_;
  const int* language_;
};

// Numbered texts read back from a file, with the values the placeholders
// stand for.
class StoredTexts final : public TextSource {
 public:
  StoredTexts(std::map<int, TextW> messages, TextW product, TextW description, TextW os)
      : messages_(std::move(messages)),
        product_(std::move(product)),
        description_(std::move(description)),
        os_(std::move(os)) {}

 private:
  std::u16string_view Raw(int n) const override;
  PlaceholderValues Placeholders() const override { return {product_, description_, os_}; }
  std::map<int, TextW> messages_;
  TextW product_, description_, os_;
};

}  // namespace ks
