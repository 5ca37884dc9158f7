// The file-copy phase of an installation.
#include "install/payload_install.h"

#include <windows.h>

#include <unordered_set>

#include "core/file.h"
#include "core/file_access.h"
#include "core/wide.h"
#include "install/file_version.h"
#include "install/file_writer.h"
#include "install/files_in_use.h"
#include "install/folder_tree.h"
#include "install/staging_folders.h"
#include "portable/archive.h"
#include "portable/date_format.h"
#include "portable/overwrite_rules.h"
#include "portable/path_rules.h"
#include "portable/sum32.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr int kProgressStart = 21;
constexpr int kProgressDeleteList = 26;
constexpr int kProgressFiles = 27;
constexpr int kProgressFirstFile = 28;
constexpr int kProgressFileRange = 62;
constexpr int kProgressFilesDone = 91;
constexpr int kProgressDone = 92;
constexpr UINT kFontChangeTimeoutMs = 1000;

// Trimmed, canonical, with a trailing backslash and folded case, so that two
// spellings of one folder compare equal.
std::u16string FolderKey(const std::u16string& folder) {
  std::u16string key = folder;
  while (!key.empty() && (key.back() == u' ' || key.back() == u'\t')) key.pop_back();
  size_t start = key.find_first_not_of(u" \t");
  key = start == std::u16string::npos ? std::u16string() : key.substr(start);
  if (key.empty()) return key;
  key = FullPath(key);
  if (key.back() != u'\\') key.push_back(u'\\');
  return FoldPathCase(key);
}

ExistingFile ProbeExisting(const std::u16string& path, bool with_version) {
  ExistingFile existing;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return existing;
  existing.exists = true;
  existing.last_write = uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  if (with_version) existing.version = FileVersionText(path);
  return existing;
}

class PayloadInstaller {
 public:
  PayloadInstaller(InstallContext& context, InstallSink& sink, PayloadLists& lists)
      : context_(context), sink_(sink), lists_(lists), install_key_(FolderKey(context.InstallDir)) {
    folders_.install = context.InstallDir;
    folders_.shared = context.SharedDir;
    folders_.uninstall = context.UninstallDir;
    folders_.fonts = context.FontsDir;
    folders_.system = context.SystemDir;
  }

  int Install(const FileRecord& record, std::span<const uint8_t> content);

 private:
  bool PrepareFolder(const FileRecord& record, const std::u16string& destination);
  void AddShortcut(const FileRecord& record, const std::u16string& destination);

  InstallContext& context_;
  InstallSink& sink_;
  PayloadLists& lists_;
  DestinationFolders folders_;
  std::u16string install_key_;
  // Folders made (or found) during this run: a tree is created once, not per file.
  std::unordered_set<std::u16string> made_folders_;
  // Removed with their contents when the phase ends, however it ends.
  StagingFolders staging_;
};

int PayloadInstaller::Install(const FileRecord& record, std::span<const uint8_t> content) {
  const bool permanent = record.FileFlags & kFilePermanent;
  DestinationRequest request;
  request.Kind = record.Kind;
  request.FileFlags = record.FileFlags;
  request.file_name = PathFrom8Bit(record.FileName);
  request.destination = PathFrom8Bit(record.Destination);
  request.ignore_shared_destination = context_.InstallOnRemovable && !context_.SharedPathOnRemovable.empty();
  // A name that leaves its folder ("..\\x", "C:\\x", "\\\\server\\x", "x:stream")
  // is not something the builder writes: the record is damaged.
  const std::string_view file_name = EffectiveFileName(record);
  if (!IsContainedRelativePath(request.file_name) || !IsContainedRelativePath(PathFrom8Bit(file_name)))
    return kErrEmptyFileName;
  ResolvedDestination where =
      ResolveDestination(request, folders_, [this](std::u16string text) { return sink_.Expand(std::move(text)); });
  if (where.error) return where.error;
  if (where.refused) {
    std::u16string name = PathFrom8Bit(file_name);
    sink_.Log(RefusedDestinationLog(where, name));
    sink_.AddFailure(SystemCodePage().FromWide(RefusedDestinationFailure(where, sink_.Text(kMsgFileNotWritten)), '?'));
    return 0;
  }
  const std::u16string& destination = where.path;

  if ((context_.OptionFlags2 & kOpt2FixedProgressText) || record.FileName == kHiddenProgressName)
    sink_.Status(sink_.Text(kMsgInstallingFiles));
  else
    sink_.Status(destination);

  if (record.Kind == kKindFont && !permanent) AppendFontPair(lists_.fonts_text, record.Title, file_name);
  if (std::u16string entry = SharedListEntry(destination, record.Kind, record.FileFlags); !entry.empty()) {
    lists_.shared.push_back(std::move(entry));
    if (record.Kind == kKindComServer) lists_.com_servers.push_back(destination);
    if (record.Kind == kKindTypeLibrary) lists_.type_libraries.push_back(destination);
  }

  ExistingFile existing;
  if (NeedsExistingFile(record)) existing = ProbeExisting(destination, NeedsExistingVersion(record));
  OverwriteDecision decision = DecideOverwrite(record, existing, Utf16ToUtf8(destination), LocalDateText);
  if (!decision.log.empty()) sink_.Log(decision.log);
  if (decision.record_existing) sink_.RecordItem(destination, kRecordFile);
  if (!decision.write) return 0;

  AddShortcut(record, destination);
  if (where.create_folder && !PrepareFolder(record, destination)) return 0;
  if (!permanent && RecordedForRemoval(record.Kind)) sink_.RecordItem(destination, kRecordFile);

  FileWrite write;
  write.destination = destination;
  write.data = content.data();
  write.size = int64_t(content.size());
  write.times = record.FileTime;
  write.attributes = record.Attributes;
  write.existed = KnowsExistingFile(record.Kind) && existing.exists;
  write.staging = &staging_;
  staging_.Watch(ParentFolder(destination));  // also clears what a killed run left there
  FileWriteResult result;
  if (int error = WriteOneFile(write, context_, sink_, result)) return error;
  if (!result.written) return 0;

  if (context_.OptionFlags & kOptVerboseLog)
    sink_.Log(Utf16ToUtf8(LastPathComponent(PathFrom8Bit(file_name))) + " >>> " + Utf16ToUtf8(destination) + "\r\n");
  if (record.Kind == kKindFont) lists_.font_installed = true;
  if (record.Kind == kKindDriverInf) lists_.inf_files.push_back(destination);
  sink_.FileWritten(record, destination);
  lists_.written.insert(FoldPathCase(destination));
  return 0;
}

bool PayloadInstaller::PrepareFolder(const FileRecord& record, const std::u16string& destination) {
  std::u16string folder = ParentFolder(destination);
  if (folder.empty()) return true;
  std::u16string key = FolderKey(folder);
  if (key == install_key_) return true;
  if (!made_folders_.count(key)) {
    if (!CreateFolderTree(folder)) {
      DWORD error = GetLastError();
      std::u16string text = sink_.Text(kMsgCannotCreateFolder) + u" " + folder + u"\r\n" +
                            FolderFailureReason(folder, error) + u"\r\n\r\nNot installed: " + destination +
                            u"\r\n\r\n";
      sink_.AddFailure(SystemCodePage().FromWide(text, '?'));
      return false;
    }
    made_folders_.insert(key);
  }
  // Counted files (shared, COM servers, type libraries) leave with their last
  // count; their folder must be known then too, or it stays behind empty.
  bool counted = record.Kind == kKindShared || record.Kind == kKindComServer || record.Kind == kKindTypeLibrary;
  if (!(record.FileFlags & kFilePermanent) && (RecordedForRemoval(record.Kind) || counted))
    sink_.RecordItem(folder, kRecordFolder);
  return true;
}

void PayloadInstaller::AddShortcut(const FileRecord& record, const std::u16string& destination) {
  if (!(record.Kind == kKindFile && (record.FileFlags & kFileShortcutMask)) && record.Kind != kKindStartup) return;
  ShortcutRecord shortcut;
  shortcut.OnDesktop = record.FileFlags & kFileDesktopShortcut;
  shortcut.InStartMenu = record.FileFlags & kFileStartMenuShortcut;
  shortcut.InStartup = record.Kind == kKindStartup;
  shortcut.KeepOnUninstall = record.FileFlags & kFilePermanent;
  shortcut.Target = destination;
  shortcut.Name = Utf8ToUtf16(record.Title);
  shortcut.Icon = PathFrom8Bit(record.IconFile);
  shortcut.Arguments = SystemCodePage().ToWide(record.Arguments);
  shortcut.WorkingFolder = PathFrom8Bit(record.WorkingFolder);
  lists_.shortcuts.push_back(std::move(shortcut));
}

}  // namespace

std::string LocalDateText(uint64_t filetime) {
  FILETIME utc{DWORD(filetime), DWORD(filetime >> 32)}, local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return {};
  DateTimeParts parts{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  return FormatDate("d-M-yy h:ii:ssap", parts);
}

int InstallPayload(InstallContext& context, InstallSink& sink, PayloadLists& lists) {
  sink.Status(sink.Text(kMsgCheckingArchive));
  sink.Progress(kProgressStart);
  std::span<const uint8_t> area = sink.PayloadArea();
  if (context.CheckPayloadChecksum &&
      Sum32(area.data(), static_cast<long long>(area.size())) != context.PayloadChecksum)
    return kErrPayloadChecksum;

  sink.Status(sink.Text(kMsgInstallingFiles));
  sink.Progress(kProgressDeleteList);
  sink.ProcessDeleteList();
  sink.Progress(kProgressFiles);

  PayloadCoding coding;
  coding.compressed = context.OptionFlags & kOptZlibPayload;
  coding.cipher = (context.ArchiveFlags & kArcBlowfish) ? context.Cipher : nullptr;
  PayloadReadHooks hooks;
  hooks.before_chunk = [&sink] { sink.Status(sink.Text(kMsgReadingArchive)); };
  hooks.inflate_progress = [&sink](uint64_t, uint64_t, uint64_t) { return sink.Pump(); };
  // The reader holds one chunk and the records it completes, never the whole payload.
  PayloadReader reader(area, coding, std::move(hooks));
  PayloadInstaller installer(context, sink, lists);

  const size_t count = context.FileSizes.size();
  lists.written.reserve(count);
  int shown = -1;
  for (size_t i = 0; i < count; ++i) {
    FileRecord record;
    std::span<const uint8_t> content;
    if (int error = reader.Next(context.FileSizes[i], record, content)) return error;
    int percent = kProgressFirstFile + int(uint64_t(i) * kProgressFileRange / count);
    if (percent != shown) sink.Progress(shown = percent);
    if (int error = installer.Install(record, content)) return error;
    if (sink.Pump()) return kPayloadCancelled;
  }
  if (int error = reader.Finish()) return error;

  sink.Progress(kProgressFilesDone);
  sink.Status(sink.Text(kMsgInstallingFiles));
  if (lists.font_installed)
    SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kFontChangeTimeoutMs, nullptr);
  CleanPendingOperations(lists.written, [&sink](std::string_view text) { sink.Log(text); });
  sink.Progress(kProgressDone);
  return 0;
}

}  // namespace ks
