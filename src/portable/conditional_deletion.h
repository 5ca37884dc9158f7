// The test of a conditional deletion: does a file, by its last-write time or
// its size, meet the comparison of its DeleteList record.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "portable/date_format.h"

namespace ks {

// Comparison kinds of a FileDeletion.
enum : int {
  kCompareAlways = 0,
  kCompareDateEqual = 1,
  kCompareDateOnOrAfter = 2,
  kCompareDateOnOrBefore = 3,
  kCompareSizeEqual = 4,
  kCompareSizeAtLeast = 5,
  kCompareSizeAtMost = 6,
};

// A comparison date; without a time of day only the dates are compared.
struct DeletionDate {
  DateTimeParts when;
  bool has_time = false;
};

// "2024-03-05", "2024/03/05", optionally followed by " " or "T" and
// "14:30" or "14:30:15"; also the library's date text "5-Mar-2024" with an
// optional "2:30:15p" style time. Empty when the text is not a valid date.
std::optional<DeletionDate> ParseDeletionDate(std::string_view text);

// What the deletion code knows of a file: its size and its last-write time
// in local time, to the second.
struct DeletionCandidate {
  uint64_t size = 0;
  DateTimeParts last_write;
};

enum class DeletionTest {
  kDelete,   // the file meets the comparison
  kKeep,     // it does not, or the kind or size value means nothing
  kBadDate,  // a date comparison whose value is not a date: a corrupt installer
};

DeletionTest TestDeletion(int kind, std::string_view value, const DeletionCandidate& file);

}  // namespace ks
