// Which names Windows can hold as one file or folder name, and how NTFS decides
// that two names are the same file. Pure rules for the builder and the engine.
#pragma once
#include <string>
#include <string_view>

namespace ks {

enum class NameProblem {
  kNone,
  kEmpty,
  kDotName,             // "." or ".."
  kReservedDevice,      // CON, NUL, COM1 ... also with an extension ("nul.txt")
  kTrailingDotOrSpace,  // Windows strips them, so "x." would land on "x"
  kControlCharacter,    // U+0000 to U+001F, line ends among them
  kForbiddenCharacter,  // < > : " / \ | ? *
  kTooLong,             // more than 255 UTF-16 units
};

// The first reason `name` cannot be one component of a Windows path.
NameProblem WindowsNameProblem(std::u16string_view name);
// "is a reserved device name" etc., to follow the quoted name in a message.
std::string_view NameProblemText(NameProblem problem);

// The unit as NTFS upper-cases it when it compares names: the simple upper-case
// mapping of every UTF-16 unit on its own (surrogates stay as they are).
char16_t NtfsUpcase(char16_t c);
std::u16string NtfsUpcase(std::u16string_view name);

}  // namespace ks
