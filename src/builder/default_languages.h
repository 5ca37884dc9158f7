// The languages the builder has default texts for: names, codes and Windows
// language ids, and the default text of each message number in each of them.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "default_messages.h"

namespace ks::builder {

// A `[[languages]]` entry of a project file is meant to name one of these by
// code or name (`name = "de"`, "German" or "Deutsch"): the language page then
// shows `native_name`, and every message the entry does not override takes
// this language's default text instead of the English one. Entries naming no
// known language keep the English defaults.
struct DefaultLanguage {
  std::string_view native_name;   // shown on the language page: "Deutsch"
  std::string_view english_name;  // "German"
  std::string_view code;          // BCP 47: "de", "pt-BR", "zh-CN"
  uint16_t langid;                // Windows LANGID: 0x0407
  uint16_t code_page;             // Windows ANSI code page of that language: 1252
  const std::array<std::string_view, kMessageCount>* messages;  // null: the English table
};

// All languages, English first.
std::span<const DefaultLanguage> DefaultLanguages();

// The language whose code (ignoring case, "_" taken as "-"), English name
// (ignoring ASCII case) or native name matches; null when none does.
const DefaultLanguage* FindDefaultLanguage(std::string_view name_or_code);

// UTF-8 default text of message n in that language; empty for numbers the
// engine never shows and numbers out of range.
std::string_view DefaultMessage(const DefaultLanguage& language, int n);

}  // namespace ks::builder
