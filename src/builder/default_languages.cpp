// The table of languages with default texts and the lookups over it. English
// texts stay in default_messages.cpp; the others are in languages/.
#include "default_languages.h"

#include <array>

#include "languages/message_tables.h"

namespace ks::builder {

namespace {

constexpr std::array<DefaultLanguage, 11> kLanguages = {{
    {"English", "English", "en", 0x0409, 1252, nullptr},
    {"Deutsch", "German", "de", 0x0407, 1252, &kGermanMessages},
    {"Français", "French", "fr", 0x040C, 1252, &kFrenchMessages},
    {"Español", "Spanish", "es", 0x0C0A, 1252, &kSpanishMessages},
    {"Italiano", "Italian", "it", 0x0410, 1252, &kItalianMessages},
    {"Português (Brasil)", "Brazilian Portuguese", "pt-BR", 0x0416, 1252, &kBrazilianPortugueseMessages},
    {"Nederlands", "Dutch", "nl", 0x0413, 1252, &kDutchMessages},
    {"Polski", "Polish", "pl", 0x0415, 1250, &kPolishMessages},
    {"Русский", "Russian", "ru", 0x0419, 1251, &kRussianMessages},
    {"日本語", "Japanese", "ja", 0x0411, 932, &kJapaneseMessages},
    {"简体中文", "Simplified Chinese", "zh-CN", 0x0804, 936, &kSimplifiedChineseMessages},
}};

char Fold(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c == '_' ? '-' : c;
}

bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

}  // namespace

std::span<const DefaultLanguage> DefaultLanguages() { return kLanguages; }

const DefaultLanguage* FindDefaultLanguage(std::string_view name_or_code) {
  for (const DefaultLanguage& l : kLanguages)
    if (SameFolded(name_or_code, l.code) || SameFolded(name_or_code, l.english_name) ||
        SameFolded(name_or_code, l.native_name))
      return &l;
  return nullptr;
}

std::string_view DefaultMessage(const DefaultLanguage& language, int n) {
  if (!language.messages) return DefaultMessage(n);
  if (n < 0 || n >= kMessageCount) return {};
  return (*language.messages)[static_cast<size_t>(n)];
}

}  // namespace ks::builder
