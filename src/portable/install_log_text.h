// The texts of Install.log: the line conversions of the log writers, the
// section header, separator and tail, and the conversion of an old 1252 log.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "date_format.h"

namespace ks {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Between two sections of one Install.log: two blank lines and 46 asterisks.
inline constexpr std::string_view kLogSeparator = "\r\n\r\n**********************************************\r\n";
inline constexpr std::string_view kFailureSummaryTitle = "*** FAILURE SUMMARY ***\r\n";
inline constexpr std::string_view kInstallDateFormat = "d-M-yy h:ii:ssap";
inline constexpr std::u16string_view kInstallLogName = u"Install.log";
// What the crash handler adds to the failure summary before finishing the log.
inline constexpr std::u16string_view kInstallerCrashedFailure = u"\r\n\r\nINSTALLER CRASHED!\r\n";

// UTF-16 log text as UTF-8; a surrogate without its partner becomes "?".
std::string LogUtf8(std::u16string_view text);
// 8-bit log text is code page 1252 whatever the system's code page.
std::string LogUtf8From1252(std::string_view text);

// What the header of one log section says.
struct LogHeader {
  std::u16string product_name;
  DateTimeParts date;
  bool creates_uninstaller = false;  // only then the install type is named
  bool reinstall = false;            // the same version installed again
  std::u16string install_folder;
  std::u16string product_version;    // empty: no version line
  bool earlier_installation = false; // an older installation was found
  std::u16string old_version;
  std::u16string os_name;
};

// The header lines in UTF-8, each ending in "\r\n", the last in "\r\n\r\n".
std::string LogHeaderText(const LogHeader& header);

// What goes in front of a new section: the byte-order mark for an empty
// file, the separator otherwise.
std::string_view LogSectionLead(bool file_empty);

bool StartsWithUtf8Bom(std::string_view bytes);
// An Install.log of an older installer without the mark holds code page
// 1252 text: the mark and the same text in UTF-8.
std::string ConvertOldLog(std::string_view cp1252);

// The end of a section: the failure summary under its title, or the success
// line (message 43) when the summary is empty.
std::string LogTailText(std::u16string_view failure_summary, std::u16string_view success_line);

// The failure paragraph of a file that could not be written: message 31,
// the path and the system's error text.
std::u16string FileFailureParagraph(std::u16string_view message31, std::u16string_view path,
                                    std::u16string_view error_text);

// The temporary log stream of a run: "OQTL" and eight hex digits, ".tmp", in
// the temporary folder. No GetTempFileName name ("OQT" and up to four hex
// digits) looks like it, so a stream left by a killed run is told apart
// from the temporaries that wait to replace files at the restart.
std::u16string LogStreamName(uint32_t unique);
bool IsLogStreamName(std::u16string_view name);

// The copy of the log in the temporary folder when Install.log cannot be
// written: "<product> Install.log", characters no file name may hold
// replaced by "_".
std::u16string FallbackLogName(std::u16string_view product_name);

// Install.log's path: the install folder, the uninstall sub-folder (when
// there is one) and the file name.
std::u16string InstallLogPath(std::u16string_view install_folder, std::u16string_view uninstall_subdir);

}  // namespace ks
