// SystemErrorText through FormatMessageW.
#include "core/system_error.h"

#include "core/wide.h"

namespace ks {

std::u16string SystemErrorText(DWORD code) {
  if (code == 0) return {};
  // The system's own wording for 86 ("The specified network password is not
  // correct.") confuses users of a password page; ours is plainer.
  if (code == ERROR_INVALID_PASSWORD) return u"Incorrect password.";
  DWORD saved = GetLastError();
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (n && buffer) text = U16(buffer, n);
  if (buffer) LocalFree(buffer);
  auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  size_t begin = 0, end = text.size();
  while (begin < end && space(text[begin])) ++begin;
  while (end > begin && space(text[end - 1])) --end;
  SetLastError(saved);
  return text.substr(begin, end - begin);
}

}  // namespace ks
