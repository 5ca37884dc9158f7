// Files in use: a file that stays locked gets its new content beside it in an
// "OQT" temporary that replaces it at the next restart; after the payload,
// pending restart operations that would undo a fresh file are dropped.
#pragma once
#include <windows.h>

#include <string>

#include "core/restart_move.h"
#include "install/file_writer.h"
#include "install/install_context.h"
#include "portable/pending_renames.h"

namespace ks {

inline constexpr wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr wchar_t kPendingRenamesValue[] = L"PendingFileRenameOperations";

// After the write routine's last failed attempt (`error` is that attempt's
// system error), with the request's content (already checked). True when the
// temporary is registered; the restart bit is then set. Every failure ends in
// the failure summary.
bool RegisterForReplacement(const FileWrite& request, ContentStream& content, DWORD error, InstallContext& context,
                            InstallSink& sink);

// Drops the pending moves and deletions that would overwrite or delete a file
// in `written`, deleting the waiting copies of the dropped moves. Silent on
// registry failures.
void CleanPendingOperations(const WrittenSet& written, const PendingLog& log);

}  // namespace ks
