// Reading the settings script into Settings (engine) and writing it (builder).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "bytes.h"
#include "settings.h"

namespace ks {

struct SettingsReadOptions {
  // /n from the command line: keeps the command-line value over field 12.
  std::optional<TextW> product_name;
  // Runs between fields 7 and 8: first the main-window seam (skipped with
  // kOptNoMainWindow), then the script check; false from the check is error 25.
  std::function<void(const Settings&)> before_script_check;
  std::function<bool()> script_check;
  // Replaces "<os>" in BannerHeading.
  TextW windows_folder;
};

// Returns 0, or the corrupt-installer code of the first failed check.
int ReadSettings(ByteReader& in, Settings& out, const SettingsReadOptions& options);

// Writes fields 1 to 71; derived fields are ignored. Conditional fields are
// written exactly when the reader will expect them.
Bytes WriteSettings(const Settings& settings);

// Why WriteSettings would lose data or produce a script the reader rejects
// (a range the reader checks, a value its encoding cannot hold, a list entry
// that reads as the list's end marker); empty when the settings fit.
std::string SettingsWriteProblem(const Settings& settings);

// Replaces "<product>", "<description>" and "<os>" in one pass: text that a
// replacement brings in is not searched again.
TextW ReplacePlaceholders(std::u16string_view text, const Settings& s,
                          std::u16string_view windows_folder);

// Text n of the current language with "<product>", "<description>" and
// "<os>" replaced; empty for an index outside the table.
TextW LookupText(const Settings& s, int n, std::u16string_view windows_folder);
// The same in the given language (an index into LanguageNames).
TextW LookupText(const Settings& s, int n, std::u16string_view windows_folder, int language);

}  // namespace ks
