// The uninstall data: what the uninstaller must undo, collected in memory while
// the installation works, and its "Uninstall.DAT" text (writer and reader).
#pragma once
#include <array>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "portable/settings.h"

namespace ks {

inline constexpr const char16_t* kUninstallDataFileName = u"Uninstall.DAT";

// RecordItem kinds.
enum : int {
  kRecordFile = 0,           // a file to delete
  kRecordFolder = 1,         // "~": a folder to remove once empty
  kRecordRegistryValue = 2,  // "!": a registry value to delete
};

// FileDeletion flags (the last byte of a DeleteList entry).
enum : unsigned {
  kConditionalAtRestart = 0x1,         // always delete at the next restart, never now
  kConditionalRestartOnFailure = 0x2,  // deleting now failed: delete at the next restart
  kConditionalDuringInstall = 0x4,
  kConditionalDuringUninstall = 0x8,   // travels in [ConditionalDelete]
};

// CloseList entry flags.
enum : uint8_t {
  kCloseAtInstall = 0x1,
  kCloseAtUninstall = 0x2,  // travels in [AutoClose]
};

// A conditional deletion (DeleteList entry): 8-bit path pattern, comparison
// kind and value, flags.
struct FileDeletion {
  Text8 path;
  int kind = 0;
  Text8 value;
  unsigned flags = 0;
  bool operator==(const FileDeletion&) const = default;
};

// One association the installation made, for the uninstaller to undo.
struct FileAssociation {
  Text8 extension, file_type, verb, icon;
  bool operator==(const FileAssociation&) const = default;
};

// A program to close before uninstalling: window class, window title,
// program name and the CloseList action (0 close, 1 quit, 2 ask, 3 terminate).
struct AutoCloseRecord {
  Text8 window_class, window_title, program_name;
  int action = 0;
  int wait_mode = 2;  // 4 for the asking action, 2 otherwise
  bool operator==(const AutoCloseRecord&) const = default;
};

// The messages the uninstaller shows, in the order [Strings] lists them.
inline constexpr std::array<int, 31> kUninstallMessageNumbers = {
    10, 15, 20, 30, 34, 35, 49, 53, 55, 56, 57, 58, 59, 65, 67, 68,
    69, 70, 71, 74, 79, 80, 99, 100, 101, 104, 107, 108, 109, 110, 111};
constexpr int kTitleMessageNumber = 999;  // [Strings] number of the dialogs' title

// The record set. Every section is a list of lines in the encoding of its
// section in the file: `items`, `inf`, `msi` in the system code page (or "|" +
// UTF-8, the path convention), `registry` and `registry2` in UTF-8, the others
// 8-bit as the settings gave them.
class UninstallData {
 public:
  // Appends a main-section line. Folders are recorded once, compared without
  // regard to case; paths of three characters or fewer (drive roots) never.
  void RecordItem(std::u16string_view path, int kind);
  // 8-bit path: system code page, or "|" followed by UTF-8.
  void RecordItem(std::string_view path, int kind);
  // Empties the main section, so that it can be recorded afresh.
  void ClearItems();

  // The message texts the uninstaller will show: `message(n)` for each of
  // kUninstallMessageNumbers, and the dialogs' title.
  void SetMessages(const std::function<std::u16string(int)>& message, std::u16string title);

  std::vector<Text8> items;
  std::vector<AutoCloseRecord> auto_close;
  std::vector<FileAssociation> associations;
  std::vector<Text8> firewall;
  std::vector<Text8> inf;
  std::vector<Text8> msi;
  std::vector<Text8> registry;
  std::vector<Text8> registry2;
  std::vector<FileDeletion> deletions;
  std::map<int, std::u16string> messages;  // message number -> text
  std::u16string title;

 private:
  std::set<std::u16string> recorded_folders_;
};

// The 8-bit form of a UTF-16 path in the data file: the system code page when
// it holds every character; otherwise "|" + UTF-8, so the uninstaller still
// finds a file whose name the code page cannot spell.
std::string EightBitPath(std::u16string_view path);
// The UTF-16 path of an 8-bit one in either form.
std::u16string WideFrom8Bit(std::string_view path);

// Records from the settings: every DeleteList entry, and the CloseList
// entries meant for the uninstallation.
std::vector<FileDeletion> FileDeletionsFromSettings(const std::vector<DeleteEntry>& list);
std::vector<AutoCloseRecord> AutoCloseFromSettings(const std::vector<CloseEntry>& list);

// The exact bytes of Uninstall.DAT for `data`.
std::string ComposeUninstallData(const UninstallData& data);

// Fills `data` from the bytes of an Uninstall.DAT; malformed lines are skipped.
void ParseUninstallData(std::string_view text, UninstallData& data);

}  // namespace ks
