// The translated default message tables, one per language file in this folder;
// default_languages.cpp puts them in its table of languages.
#pragma once
#include <array>
#include <string_view>

#include "default_messages.h"

namespace ks::builder {

using MessageTable = std::array<std::string_view, kMessageCount>;

extern const MessageTable kGermanMessages;
extern const MessageTable kFrenchMessages;
extern const MessageTable kSpanishMessages;
extern const MessageTable kItalianMessages;
extern const MessageTable kBrazilianPortugueseMessages;
extern const MessageTable kDutchMessages;
extern const MessageTable kPolishMessages;
extern const MessageTable kRussianMessages;
extern const MessageTable kJapaneseMessages;
extern const MessageTable kSimplifiedChineseMessages;

}  // namespace ks::builder
