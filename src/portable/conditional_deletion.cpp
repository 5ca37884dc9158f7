// The test of a conditional deletion and the date texts it accepts.
#include "portable/conditional_deletion.h"

#include <charconv>
#include <tuple>

#include "portable/text.h"

namespace ks {
namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// A cursor over the date text.
struct Reader {
  std::string_view s;
  bool Digits(int min_count, int max_count, int* value) {
    size_t n = 0;
    while (n < s.size() && n < size_t(max_count) && s[n] >= '0' && s[n] <= '9') ++n;
    if (n < size_t(min_count)) return false;
    std::from_chars(s.data(), s.data() + n, *value);
    s.remove_prefix(n);
    return true;
  }
  bool Take(char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
  }
  bool Month(int* month) {
    for (int m = 0; m < 12; ++m) {
      if (s.size() >= 3 && EqualsNoCase8(s.substr(0, 3), kMonthNames[m])) {
        *month = m + 1;
        s.remove_prefix(3);
        // The full name is accepted as well ("March").
        while (!s.empty() && ((s.front() >= 'a' && s.front() <= 'z') || (s.front() >= 'A' && s.front() <= 'Z')))
          s.remove_prefix(1);
        return true;
      }
    }
    return false;
  }
};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool ValidDate(const DateTimeParts& t) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.year < 1601 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1) return false;
  int days = kDays[t.month - 1] + (t.month == 2 && IsLeap(t.year) ? 1 : 0);
  return t.day <= days && t.hour < 24 && t.minute < 60 && t.second < 60;
}

// "14:30" or "14:30:15", with an optional "a"/"am"/"p"/"pm" (12-hour clock).
bool ReadTime(Reader& r, DateTimeParts& t) {
  if (!r.Digits(1, 2, &t.hour) || !r.Take(':') || !r.Digits(2, 2, &t.minute)) return false;
  if (r.Take(':') && !r.Digits(2, 2, &t.second)) return false;
  while (r.Take(' ')) {
  }
  char half = r.s.empty() ? 0 : char(r.s.front() | 0x20);
  if (half == 'a' || half == 'p') {
    r.s.remove_prefix(1);
    if (!r.s.empty() && (r.s.front() | 0x20) == 'm') r.s.remove_prefix(1);
    if (t.hour < 1 || t.hour > 12) return false;
    t.hour = t.hour % 12 + (half == 'p' ? 12 : 0);
  }
  return true;
}

std::optional<DeletionDate> ParseDate(std::string_view text) {
  Reader r{Trim(text)};
  DeletionDate d;
  DateTimeParts& t = d.when;
  t = {};
  int first = 0;
  if (!r.Digits(1, 4, &first)) return std::nullopt;
  if (r.Take('-')) {
    if (r.Month(&t.month)) {  // "5-Mar-2024"
      t.day = first;
      if (!r.Take('-') || !r.Digits(4, 4, &t.year)) return std::nullopt;
    } else {  // "2024-03-05"
      t.year = first;
      if (!r.Digits(1, 2, &t.month) || !r.Take('-') || !r.Digits(1, 2, &t.day)) return std::nullopt;
    }
  } else if (r.Take('/')) {  // "2024/03/05"
    t.year = first;
    if (!r.Digits(1, 2, &t.month) || !r.Take('/') || !r.Digits(1, 2, &t.day)) return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (!r.s.empty()) {
    if (!r.Take(' ') && !r.Take('T')) return std::nullopt;
    while (r.Take(' ')) {
    }
    if (!ReadTime(r, t)) return std::nullopt;
    d.has_time = true;
  }
  if (!r.s.empty() || !ValidDate(t)) return std::nullopt;
  return d;
}

// -1, 0, 1 as the file's time is before, equal to or after the value.
int CompareTime(const DateTimeParts& file, const DeletionDate& value) {
  auto date = [](const DateTimeParts& p) { return std::make_tuple(p.year, p.month, p.day); };
  auto time = [](const DateTimeParts& p) { return std::make_tuple(p.hour, p.minute, p.second); };
  auto order = [](auto a, auto b) { return a < b ? -1 : (b < a ? 1 : 0); };
  int by_date = order(date(file), date(value.when));
  if (by_date != 0 || !value.has_time) return by_date;
  return order(time(file), time(value.when));
}

}  // namespace

std::optional<DeletionDate> ParseDeletionDate(std::string_view text) { return ParseDate(text); }

DeletionTest TestDeletion(int kind, std::string_view value, const DeletionCandidate& file) {
  switch (kind) {
    case kCompareAlways: return DeletionTest::kDelete;

    case kCompareDateEqual:
    case kCompareDateOnOrAfter:
    case kCompareDateOnOrBefore: {
      std::optional<DeletionDate> date = ParseDate(value);
      if (!date) return DeletionTest::kBadDate;
      int c = CompareTime(file.last_write, *date);
      bool hit = kind == kCompareDateEqual ? c == 0 : kind == kCompareDateOnOrAfter ? c >= 0 : c <= 0;
      return hit ? DeletionTest::kDelete : DeletionTest::kKeep;
    }

    case kCompareSizeEqual:
    case kCompareSizeAtLeast:
    case kCompareSizeAtMost: {
      // A size that is not a number deletes nothing: read as 0 it would make
      // "at least" match every file.
      std::string_view digits = Trim(value);
      uint64_t size = 0;
      auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
      if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return DeletionTest::kKeep;
      bool hit = kind == kCompareSizeEqual     ? file.size == size
                 : kind == kCompareSizeAtLeast ? file.size >= size
                                               : file.size <= size;
      return hit ? DeletionTest::kDelete : DeletionTest::kKeep;
    }

    default:
      // An unknown kind deletes nothing rather than everything.
      return DeletionTest::kKeep;
  }
}

}  // namespace ks
