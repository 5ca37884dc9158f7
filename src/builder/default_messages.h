// The builder's default English texts for every message number the engine
// shows; a project overrides them per language.
#pragma once
#include <string_view>

namespace ks::builder {

// One past the highest message number the engine uses.
constexpr int kMessageCount = 114;

// UTF-8 text of message n; empty for numbers the engine never shows.
std::string_view DefaultMessage(int n);

}  // namespace ks::builder
