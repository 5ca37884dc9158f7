// Whole small files in and out: the probes' command-line files and reports.
#pragma once
#include <string>

namespace probe {

// A UTF-8 file (a leading byte-order mark is dropped) as UTF-16.
bool ReadUtf8File(const std::wstring& path, std::wstring& text);
// Creates or replaces the file with exactly these bytes.
bool WriteBytes(const std::wstring& path, const std::string& bytes);

}  // namespace probe
