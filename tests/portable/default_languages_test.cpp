// The builder's default texts in every language: complete, with the English
// placeholders in the same order, valid UTF-8, and found by code or name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "default_languages.h"
#include "default_messages.h"

namespace ks::builder {
namespace {

// Every printf conversion of a text, in order ("%%" is no conversion).
std::vector<std::string> Conversions(std::string_view s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%' || i + 1 == s.size()) continue;
    if (s[i + 1] == '%') {
      ++i;
      continue;
    }
    out.emplace_back(s.substr(i, 2));
    ++i;
  }
  return out;
}

size_t Count(std::string_view s, std::string_view what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string_view::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no U+0000.
bool IsCleanUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b == 0) return false;
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    if (len == 0 || b > 0xF4 || i + len > s.size()) return false;
    uint32_t cp = b & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// Every CR is followed by LF and every LF follows a CR.
bool OnlyCrLf(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return false;
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
  }
  return true;
}

TEST(DefaultLanguages, TableHoldsTheElevenLanguagesEnglishFirst) {
  auto all = DefaultLanguages();
  ASSERT_EQ(all.size(), 11u);
  EXPECT_EQ(all[0].code, "en");
  EXPECT_EQ(all[0].messages, nullptr);
  std::vector<std::string_view> codes;
  for (const DefaultLanguage& l : all) {
    codes.push_back(l.code);
    EXPECT_FALSE(l.native_name.empty());
    EXPECT_TRUE(IsCleanUtf8(l.native_name)) << l.code;
    // The primary language id is the low 10 bits; each language has its own.
    for (const DefaultLanguage& other : all) {
      if (&other == &l) continue;
      EXPECT_NE(l.langid & 0x3FF, other.langid & 0x3FF) << l.code << " " << other.code;
    }
  }
  EXPECT_EQ(codes, (std::vector<std::string_view>{"en", "de", "fr", "es", "it", "pt-BR", "nl", "pl", "ru", "ja",
                                                  "zh-CN"}));
}

// Each translation must fit where the engine shows the English text: the same
// arguments in the same order, the same tokens, the same line structure.
TEST(DefaultLanguages, EveryTranslationKeepsTheShapeOfTheEnglishText) {
  static constexpr std::string_view kTokens[] = {"<product>", "<description>", "<os>", "<file>", "<a>", "</a>"};
  for (const DefaultLanguage& l : DefaultLanguages()) {
    for (int n = 0; n < kMessageCount; ++n) {
      SCOPED_TRACE(std::string(l.code) + " message " + std::to_string(n));
      std::string_view en = DefaultMessage(n);
      std::string_view text = DefaultMessage(l, n);
      EXPECT_EQ(text.empty(), en.empty());
      EXPECT_EQ(Conversions(text), Conversions(en));
      for (std::string_view token : kTokens)
        EXPECT_EQ(Count(text, token) > 0, Count(en, token) > 0) << token;
      EXPECT_TRUE(IsCleanUtf8(text));
      EXPECT_TRUE(OnlyCrLf(text));
      EXPECT_EQ(Count(text, "\r\n"), Count(en, "\r\n"));
      // A leading or trailing blank would shift a caption or a label.
      if (!text.empty()) {
        EXPECT_NE(text.front(), ' ');
        EXPECT_NE(text.back(), ' ');
      }
    }
  }
}

// Button labels: a mnemonic wherever English has one, and exactly one.
TEST(DefaultLanguages, ButtonsKeepOneMnemonic) {
  for (const DefaultLanguage& l : DefaultLanguages())
    for (int n = 0; n < kMessageCount; ++n) {
      std::string_view text = DefaultMessage(l, n);
      size_t expected = Count(DefaultMessage(n), "&") > 0 ? 1 : 0;
      EXPECT_EQ(Count(text, "&"), expected) << l.code << " message " << n << ": " << text;
    }
}

// Texts 33 and 86 become shortcut file names.
TEST(DefaultLanguages, ShortcutNamesAreValidFileNames) {
  for (const DefaultLanguage& l : DefaultLanguages())
    for (int n : {33, 86}) {
      std::string name(DefaultMessage(l, n));
      name.erase(name.find("<product>"), 9);
      EXPECT_EQ(name.find_first_of("\\/:*?\"<>|"), std::string::npos) << l.code << " message " << n;
    }
}

TEST(DefaultLanguages, TranslationsUseTheSystemButtonWords) {
  struct Case {
    std::string_view code;
    int message;
    std::string_view text;
  };
  const Case cases[] = {
      {"de", 48, "&Weiter >"},   {"de", 49, "Abbrechen"},        {"de", 90, "&Installieren"},
      {"de", 52, "&Durchsuchen..."}, {"fr", 48, "&Suivant >"},   {"fr", 49, "Annuler"},
      {"fr", 52, "&Parcourir..."},   {"es", 52, "&Examinar..."}, {"it", 48, "&Avanti >"},
      {"pt-BR", 48, "&Avançar >"},   {"nl", 49, "Annuleren"},    {"pl", 90, "&Zainstaluj"},
      {"ru", 52, "&Обзор..."},       {"ja", 48, "次へ(&N) >"},   {"zh-CN", 79, "是(&Y)"},
  };
  for (const Case& c : cases) {
    const DefaultLanguage* l = FindDefaultLanguage(c.code);
    ASSERT_NE(l, nullptr) << c.code;
    EXPECT_EQ(DefaultMessage(*l, c.message), c.text) << c.code << " message " << c.message;
  }
}

TEST(DefaultLanguages, FrenchUsesNoBreakSpacesBeforeHighPunctuation) {
  const DefaultLanguage* fr = FindDefaultLanguage("fr");
  ASSERT_NE(fr, nullptr);
  for (int n = 0; n < kMessageCount; ++n) {
    std::string_view text = DefaultMessage(*fr, n);
    for (std::string_view bad : {" :", " ?", " !", " ;", "« ", " »"})
      EXPECT_EQ(text.find(bad), std::string_view::npos) << "message " << n << ": " << text;
  }
  EXPECT_EQ(DefaultMessage(*fr, 92), "Espace requis\u00a0:");
}

TEST(DefaultLanguages, FindsByCodeEnglishNameOrNativeName) {
  struct Case {
    std::string_view query;
    std::string_view code;  // empty: not found
  };
  const Case cases[] = {
      {"de", "de"},           {"DE", "de"},          {"pt-br", "pt-BR"},         {"pt_BR", "pt-BR"},
      {"ZH-cn", "zh-CN"},     {"German", "de"},      {"german", "de"},           {"Deutsch", "de"},
      {"Français", "fr"},     {"日本語", "ja"},      {"简体中文", "zh-CN"},      {"Português (Brasil)", "pt-BR"},
      {"Brazilian Portuguese", "pt-BR"}, {"English", "en"}, {"Русский", "ru"},
      {"", ""},               {"pt", ""},            {"zh", ""},                 {"Klingon", ""},
      {"Germa", ""},          {"de ", ""},
  };
  for (const Case& c : cases) {
    const DefaultLanguage* l = FindDefaultLanguage(c.query);
    if (c.code.empty()) {
      EXPECT_EQ(l, nullptr) << c.query;
    } else {
      ASSERT_NE(l, nullptr) << c.query;
      EXPECT_EQ(l->code, c.code) << c.query;
    }
  }
}

TEST(DefaultLanguages, EnglishIsTheBuiltInTableAndOutOfRangeIsEmpty) {
  const DefaultLanguage* en = FindDefaultLanguage("en");
  const DefaultLanguage* ja = FindDefaultLanguage("ja");
  ASSERT_NE(en, nullptr);
  ASSERT_NE(ja, nullptr);
  for (int n = 0; n < kMessageCount; ++n) EXPECT_EQ(DefaultMessage(*en, n), DefaultMessage(n));
  for (int n : {-1, kMessageCount, 9999}) {
    EXPECT_TRUE(DefaultMessage(*en, n).empty());
    EXPECT_TRUE(DefaultMessage(*ja, n).empty());
  }
}

}  // namespace
}  // namespace ks::builder
