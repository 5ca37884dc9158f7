// The system's text for a Win32 error code, as shown in messages and logs.
// One place, so that the one exception to the system's wording stays in one place.
#pragma once
#include <windows.h>

#include <string>

namespace ks {

// Empty for 0; "Incorrect password." for ERROR_INVALID_PASSWORD (86);
// otherwise the system's message in the user's default language, trimmed of
// surrounding white space; empty when the system has none. Leaves the
// thread's last error unchanged.
std::u16string SystemErrorText(DWORD code);

}  // namespace ks
