// The file-copy phase: walks the payload chunk by chunk, places every file by
// its destination and overwrite rules, and collects the lists later phases use.
#pragma once
#include <string>
#include <vector>

#include "install/install_context.h"
#include "portable/payload.h"
#include "portable/pending_renames.h"
#include "portable/shortcut_record.h"

namespace ks {

struct PayloadLists {
  // Kinds 1, 6, 7, 8: destination followed by its marker (shared-file counts).
  std::vector<std::u16string> shared;
  std::vector<std::u16string> com_servers;     // kind 7
  std::vector<std::u16string> type_libraries;  // kind 8
  std::vector<std::u16string> inf_files;       // kind 10, written
  // Kind 4 without the permanent flag: "\"face\" \"file\" " per font, as the
  // record holds them (face UTF-8, file name 8-bit).
  std::string fonts_text;
  std::vector<ShortcutRecord> shortcuts;
  WrittenSet written;  // FoldPathCase of every destination written in place
  bool font_installed = false;
};

// Runs the phase from progress 21 to 92. Returns 0, kPayloadCancelled when the
// sink's pump says the user asked to stop (the files written so far stay, as
// complete files), or the corrupt-installer code that must end the
// installation (5, 55, 60 to 63, 70 to 72, 80, 83, 100, 110; 70 also for a
// file name that leaves its folder); no file of a
// damaged record is left on disk.
int InstallPayload(InstallContext& context, InstallSink& sink, PayloadLists& lists);

// The DateTime text of the overwrite log lines (local time).
std::string LocalDateText(uint64_t filetime);

}  // namespace ks
