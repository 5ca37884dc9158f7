// The uninstall run: the start-up checks, then the removal in its fixed order.
#include "uninstall/uninstall_run.h"
#include "uninstall/uninstall_window.h"

#include <shlobj.h>

#include <algorithm>

#include "core/delete_file.h"
#include "core/fatal.h"
#include "core/file_access.h"
#include "core/folder_removal.h"
#include "core/library_loader.h"
#include "core/process.h"
#include "core/registry_key.h"
#include "core/system_error.h"
#include "core/wide.h"
#include "install/files_in_use.h"
#include "install/firewall.h"
#include "install/program_windows.h"
#include "install/path_entry.h"
#include "portable/pending_renames.h"
#include "portable/registry_path.h"
#include "portable/association_rules.h"
#include "portable/firewall_items.h"
#include "portable/path_rules.h"
#include "portable/text.h"
#include "portable/text_format.h"
#include "portable/uninstall_rules.h"
#include "script/batch.h"
#include "uninstall/conditional_deletions.h"
#include "uninstall/registry_entries_removal.h"
#include "uninstall/association_restore.h"
#include "uninstall/component_removal.h"
#include "uninstall/registry_removal.h"
#include "uninstall/shared_release.h"
#include "uninstall/taskbar_unpin.h"
#include "uninstall/uninstall_data_file.h"

namespace ks {
namespace {

constexpr int kMaxFolderLevels = 50;
constexpr int kMaxStartMenuLevels = 20;

std::u16string Lower(std::u16string s) {
  for (char16_t& c : s)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return s;
}

void Progress(UninstallRun& run, int percent) {
  if (run.calls.progress) run.calls.progress(percent);
}
void Status(UninstallRun& run, const std::u16string& text) {
  if (run.calls.status) run.calls.status(text);
}

// Opens the product's uninstall key (64-bit view, where the installation wrote it).
KeyOpen OpenProductKey(const UninstallRun& run, RegistryKey& key, REGSAM access) {
  return key.Open(HKEY_LOCAL_MACHINE, run.key_path, kRegOpenOnly | kRegNoStack | kRegView64, access);
}

REGSAM ProductView(const UninstallRun& run) { return run.values.bitness == kBitness64 ? KEY_WOW64_64KEY : 0; }

BatchContext UninstallBatchContext(const UninstallRun& run, InstallLog& log) {
  BatchContext context;
  context.value = [values = run.values](int id) { return VariableValue(id, values); };
  context.install_dir = run.values.install_dir;
  context.silent = run.silent;
  context.log = &log;
  context.show_error = run.calls.show;
  return context;
}

// UninstallBatch1 / UninstallBatch2: run, then forget it so that a second run
// does not repeat it.
void RunSavedBatch(UninstallRun& run, const char16_t* name) {
  RegistryKey key;
  if (!Opened(OpenProductKey(run, key, KEY_ALL_ACCESS))) return;
  std::u16string text = key.ReadValueText(name, u"");
  if (text.empty()) return;
  InstallLog log;
  RunBatch(UninstallBatchContext(run, log), SystemCodePage().FromWide(text), {}, true);
  key.DeleteValue(std::u16string_view(name));
}

// Start-up checks 1-4: the key, its values, redirection.
bool ReadProductKey(UninstallRun& run) {
  run.key_path = std::u16string(kUninstallKey) + u"\\" + run.product_name;
  RegistryKey key;
  if (!Opened(OpenProductKey(run, key, KEY_READ))) {
    if (GetLastError() == ERROR_ACCESS_DENIED)
      run.Show(u"Permission denied.  Please login with an administrator account before uninstalling.", {}, MB_OK | MB_ICONERROR);
    else
      run.Show(FormatText(u"No product named '%s' is installed.", {run.product_name}), {}, MB_OK | MB_ICONERROR);
    return false;
  }
  if (!Opened(OpenProductKey(run, key, KEY_ALL_ACCESS))) {
    run.Show(FormatText(u"Unable to access the uninstall information for:\r\n%s\r\n\r\nThe uninstallation cannot be performed.",
                        {run.product_name}), {}, MB_OK | MB_ICONERROR);
    return false;
  }
  run.display_name = key.ReadValueText(u"DisplayName", u"");
  if (run.display_name.empty()) run.display_name = run.product_name;
  run.values.product_name = run.display_name;
  run.values.install_dir = key.ReadValueText(u"InstallLocation", u"");
  if (run.values.install_dir.empty()) {
    run.Show(FormatText(u"The uninstall information for %s is corrupt.\r\n\r\nThe uninstallation cannot be performed.",
                        {run.display_name}), {}, MB_OK | MB_ICONERROR);
    return false;
  }
  ProductFlagWords words = SplitProductFlags(key.ReadValueText(u"ProductFlags", u"0"));
  run.option_flags = words.option_flags;
  run.option_flags2 = words.option_flags2;
  run.archive_flags = SplitProductFlags(key.ReadValueText(u"ProductFlags2", u"0")).option_flags;
  if (run.option_flags2 & kOpt2DeploymentExitCodes) ProcessExitFacts().deployment = true;
  run.values.bitness = int(key.ReadNumber(u"Bitness", 0));
  run.values.version = key.ReadValueText(u"DisplayVersion", u"");
  run.values.uninstall_subdir = key.ReadValueText(u"UninstallSubdir", u"");
  run.values.shortcut_mode = int(key.ReadNumber(u"ShortcutMode", 0));
  run.values.desktop_folder = key.ReadValueText(u"DesktopFolder", u"");
  if (run.option_flags & kOptSilentUninstall) run.silent = true;
  ShowUninstallWindow(run, key);
  if (run.values.bitness == kBitness64) {
    using Fn = BOOL(WINAPI*)(PVOID*);
    auto fn = SystemProc<Fn>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
    if (!fn || !fn(&run.redirection_state)) Fatal(u"Wow64DisableWow64FsRedirection() failed");
    run.redirection_off = true;
  }
  return true;
}

bool LoadData(UninstallRun& run) {
  std::u16string folder = JoinPath(run.values.install_dir, run.values.uninstall_subdir);
  run.data_path = JoinPath(folder, kUninstallDataFileName);
  DWORD code = LoadUninstallData(run.data_path, run.data);
  if (code == 0) return true;
  run.Show(FormatText(u"The uninstall information for %s could not be loaded.\r\n\r\nFilepath: %s\r\nCode %d: %s",
                      {run.display_name, run.data_path, int64_t(code), SystemErrorText(code)}),
           {}, MB_OK | MB_ICONERROR);
  return false;
}

enum : int { kCloseRequest = 0, kQuitRequest = 1, kAskUser = 2, kTerminate = 3 };

// Step 7: the [AutoClose] records that need no answer.
void CloseListedPrograms(UninstallRun& run) {
  if (run.data.auto_close.empty()) return;
  for (HWND w : ForeignTopWindows())
    for (const AutoCloseRecord& record : run.data.auto_close) {
      if (record.action == kAskUser || !WindowMatches(w, record.window_class, record.window_title)) continue;
      if (record.action == kCloseRequest) PostMessageW(w, WM_CLOSE, 0, 0);
      if (record.action == kQuitRequest) PostMessageW(w, WM_QUIT, 0, 0);
      if (record.action == kTerminate) TerminateWindowProcess(w);
      break;
    }
}

// Step 10: the user closes the "ask" programs; false when Cancel ends the run.
bool UserClosedPrograms(UninstallRun& run) {
  for (const AutoCloseRecord& record : run.data.auto_close) {
    if (record.action != kAskUser) continue;
    auto open_window = [&record] {
      for (HWND w : ForeignTopWindows())
        if (WindowMatches(w, record.window_class, record.window_title)) return true;
      return false;
    };
    std::u16string text = FormatText(run.Message(107), {SystemCodePage().ToWide(record.program_name)});
    while (open_window())
      if (run.Show(text, run.Message(55), MB_RETRYCANCEL | MB_ICONWARNING) == IDCANCEL) return false;
  }
  return true;
}

bool Confirmed(UninstallRun& run) {
  if (run.silent) return true;
  return run.Show(run.Message(53), run.Message(55), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Step 9: true when the user took the support offer instead of uninstalling.
bool TookSupportOffer(UninstallRun& run) {
  if (run.silent || !run.calls.support_offer) return false;
  RegistryKey key;
  std::u16string offer;
  if (Opened(OpenProductKey(run, key, KEY_READ))) offer = key.ReadValueText(u"SupportOffer", u"");
  std::u16string address = SupportAddress(offer);
  if (address.empty() || !run.calls.support_offer()) return false;
  OpenDocument(address);
  return true;
}

void DeleteInstallLog(UninstallRun& run) {
  if (run.option_flags2 & kOpt2KeepInstallLog) return;
  Status(run, run.Message(68));
  Progress(run, 5);
  DeleteFileEx(JoinPath(JoinPath(run.values.install_dir, run.values.uninstall_subdir), u"Install.log"),
               kDeleteMissingIsSuccess);
}

void RestoreAssociations(UninstallRun& run) {
  Status(run, run.Message(70));
  Progress(run, 1);
  if (run.data.associations.empty()) return;
  std::u16string backup = BackupValueName(run.display_name);
  for (const FileAssociation& record : run.data.associations) RestoreAssociation(record, backup, ProductView(run));
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

// Fonts of "ProductFonts"; those kept (the user said No) are written back.
void RemoveFonts(UninstallRun& run) {
  Status(run, run.Message(67));
  Progress(run, 3);
  RegistryKey key;
  if (!Opened(OpenProductKey(run, key, KEY_ALL_ACCESS))) return;
  std::vector<std::u16string> names = QuotedNames(key.ReadValueText(u"ProductFonts", u""));
  if (names.empty()) return;
  std::u16string folder = VariableValue(kVarFontDir, run.values);
  std::u16string kept;
  bool removed = false;
  for (const std::u16string& name : names) {
    bool agreed = run.silent || !(run.option_flags & kOptFontQuestion) ||
                  run.Show(FormatText(run.Message(56), {name}), run.Message(57), MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (agreed) {
      RemoveFont(name, folder);
      removed = true;
    } else {
      kept += u"\"" + name + u"\"";
    }
  }
  if (kept.empty())
    key.DeleteValue(std::u16string_view(u"ProductFonts"));
  else
    key.WriteString(u"ProductFonts", kept, kRegWideText);
  if (removed) SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
}

void ReleaseShared(UninstallRun& run) {
  RegistryKey key;
  if (!Opened(OpenProductKey(run, key, KEY_ALL_ACCESS))) return;
  std::u16string text = key.ReadValueText(u"SharedFiles", u"");
  if (text.empty()) return;
  SharedReleaseCalls calls;
  calls.add_failure = [&run](const std::u16string& line) { run.failures += line; };
  if (!run.silent && (run.option_flags & kOptSharedQuestion))
    calls.confirm_delete = [&run](const std::u16string& path) {
      return run.Show(FormatText(run.Message(59), {path}), run.Message(35), MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
  ReleaseSharedFiles(text, calls);
  key.DeleteValue(std::u16string_view(u"SharedFiles"));
}

// "!" item: "\HKLM\Key\Value" (the leading backslash may be missing).
void DeleteRegistryValueItem(std::u16string path) {
  if (!path.empty() && path.front() != u'\\') path.insert(path.begin(), u'\\');
  size_t slash = path.rfind(u'\\');
  if (slash == 0) return;
  // Recorded values live in either view (the folder value in the 64-bit
  // one, applets in the process's own): the value goes from both.
  for (unsigned view : {0u, unsigned(kRegView64)}) {
    RegistryKey key;
    if (Opened(key.OpenPath(std::u16string_view(path).substr(0, slash), kRegOpenOnly | kRegNoStack | view,
                            KEY_ALL_ACCESS)))
      key.DeleteValue(std::u16string_view(path).substr(slash + 1));
  }
}

// The main section in file order: folders collected, registry values and files deleted.
void RemoveMainItems(UninstallRun& run, std::vector<std::u16string>& failed) {
  Progress(run, 10);
  size_t count = std::max<size_t>(run.data.items.size(), 1), done = 0;
  for (const Text8& item : run.data.items) {
    ++done;
    if (item.empty()) continue;
    if (item[0] == '~') {
      run.folders.push_back(WideFrom8Bit(std::string_view(item).substr(1)));
      continue;
    }
    if (item[0] == '!') {
      DeleteRegistryValueItem(WideFrom8Bit(std::string_view(item).substr(1)));
      continue;
    }
    std::u16string path = WideFrom8Bit(item);
    if (!(run.option_flags2 & kOpt2FixedProgressText)) Status(run, path);
    Progress(run, 11 + int((92 - 11) * done / count));
    if (!PathExists(path)) continue;
    if (DeleteFileEx(path, 0)) {
      run.deleted_files.insert(FoldPathCase(path));
      continue;
    }
    DWORD error = GetLastError();
    run.failures += FileNotDeletedLine(run.Message(58), path, SystemErrorText(error));
    failed.push_back(path);
  }
}

// A folder and its parents while empty, never the install folder itself.
void RemoveFolderChain(const std::u16string& start, const std::u16string& stop_at, int levels) {
  std::u16string folder = start;
  std::u16string stop = Lower(FullPath(stop_at));
  for (int i = 0; i < levels && folder.size() > 3; ++i) {
    if (!stop.empty() && Lower(FullPath(folder)) == stop) return;
    if (!RemoveFolder(folder, 0)) return;
    size_t slash = folder.find_last_of(u"\\/");
    if (slash == std::u16string::npos) return;
    folder.resize(slash);
  }
}

void RemoveCollectedFolders(UninstallRun& run) {
  Progress(run, 93);
  for (const auto& folder : FoldersDeepestFirst(run.folders)) {
    if (!(run.option_flags2 & kOpt2FixedProgressText)) Status(run, folder);
    RemoveFolderChain(folder, run.values.install_dir, kMaxFolderLevels);
  }
}

void RemoveStartMenuFolder(UninstallRun& run) {
  if (run.values.start_menu.empty()) return;
  std::u16string folder = VariableValue(kVarStartMenuChosen, run.values);
  if (folder.empty()) return;
  std::u16string programs = VariableValue(run.values.shortcut_mode == kShortcutsAllUsers ? kVarSMProgramsAllDir
                                                                                         : kVarSMProgramsDir,
                                          run.values);
  // Up to, never including, the Programs folder itself.
  std::u16string stop = Lower(FullPath(programs));
  for (int i = 0; i < kMaxStartMenuLevels && folder.size() > 3; ++i) {
    if (Lower(FullPath(folder)) == stop) return;
    if (!RemoveFolder(folder, 0)) return;
    size_t slash = folder.find_last_of(u"\\/");
    if (slash == std::u16string::npos) return;
    folder.resize(slash);
  }
}

void RemoveProductRegistry(UninstallRun& run) {
  Status(run, run.Message(69));
  Progress(run, 95);
  REGSAM view = ProductView(run);
  for (const Text8& line : run.data.registry) {
    std::u16string path = Utf8ToUtf16(line);
    auto parts = SplitRegistryPath(path);
    if (!parts || parts->rest.empty()) continue;
    for (const RegistryRoot& root : kRegistryRoots)
      if (root.id == parts->root) DeleteKeyTree(root.handle, parts->rest, view);
  }
  RegistryKey key;
  if (!Opened(OpenProductKey(run, key, KEY_ALL_ACCESS))) return;
  std::u16string name = key.ReadValueText(u"ProductRegistry", u"");
  if (name.empty()) return;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    std::u16string sub = u"Software\\" + name;
    DeleteKeyTree(root, sub, view);
    for (size_t slash = sub.rfind(u'\\'); slash != std::u16string::npos && slash > 8; slash = sub.rfind(u'\\')) {
      sub.resize(slash);
      if (!DeleteKeyIfEmpty(root, sub, view)) break;
    }
  }
  key.DeleteValue(std::u16string_view(u"ProductRegistry"));
}

void RemoveRegistry2(UninstallRun& run) { RemoveRegistryEntries(run.data.registry2, ProductView(run)); }

// The firewall exceptions the installation added (kept ones were never recorded).
void RemoveFirewallItems(UninstallRun& run) {
  Progress(run, 96);
  if (run.data.firewall.empty() || FirewallConnect() != kFirewallDone) return;
  const AnsiCodePage& cp = SystemCodePage();
  for (const Text8& line : run.data.firewall) {
    std::optional<FirewallItem> item = ParseFirewallLine(cp.ToWide(line));
    if (!item) continue;
    if (item->is_port) {
      if (item->flags & kFirewallTcp) FirewallRemovePort(item->port, kProtocolTcp);
      if (item->flags & kFirewallUdp) FirewallRemovePort(item->port, kProtocolUdp);
      continue;
    }
    std::u16string path = ExpandVariables(item->target, run.values);
    if (!IsAbsolutePath(path)) path = JoinPath(run.values.install_dir, path);
    FirewallRemoveProgram(path);
  }
  FirewallReleaseProfile();
}

void RemoveSharedFolder(UninstallRun& run) {
  Progress(run, 98);
  if (!run.values.shared_path.empty()) RemoveFolder(run.values.shared_path, 0);
}

// Step 29: only a run without failures forgets the product.
void FinishCleanRun(UninstallRun& run) {
  DeleteFileEx(run.data_path, kDeleteMissingIsSuccess);
  if (run.option_flags & kOptAddToPath) {
    RegistryKey key;
    std::u16string sub;
    if (Opened(OpenProductKey(run, key, KEY_READ))) sub = key.ReadValueText(u"AddToPathSubfolder", u"");
    key.Close();
    std::u16string folder = sub.empty() ? run.values.install_dir : JoinPath(run.values.install_dir, sub);
    (void)EditPath(false, folder);
  }
  RunSavedBatch(run, u"UninstallBatch2");
  DeleteKeyTree(HKEY_LOCAL_MACHINE, run.key_path, KEY_WOW64_64KEY);
}

void RemoveProduct(UninstallRun& run) {
  {
    RegistryKey key;
    if (Opened(OpenProductKey(run, key, KEY_READ))) {
      run.values.shared_path = key.ReadValueText(u"SharedPath", u"");
      run.values.start_menu = key.ReadValueText(u"ProductStartMenu", u"");
    }
  }
  RunSavedBatch(run, u"UninstallBatch1");
  RestoreAssociations(run);
  RemoveFonts(run);
  DeleteInstallLog(run);
  ReleaseShared(run);
  UnpinTaskbarItems(run.data.items);

  Status(run, run.Message(108));
  std::vector<Text8> msi_left = RemoveMsiPackages(run.data.msi, [&run](const std::u16string& line) {
    run.failures += line;
  });

  std::vector<std::u16string> failed;
  RemoveMainItems(run, failed);

  Progress(run, 92);
  CleanPendingOperations(run.deleted_files, {});
  auto expand = [&run](std::u16string text) { return ExpandVariables(std::move(text), run.values); };
  ConditionalDeletionOutcome outcome =
      ApplyConditionalDeletions(false, run.data.deletions, run.values.install_dir, expand);
  if (outcome.restart_needed) run.option_flags2 |= kOpt2RestartAfterUninstall;

  RemoveCollectedFolders(run);

  // What is left, for a later run.
  run.data.ClearItems();
  for (const auto& path : failed) run.data.RecordItem(path, kRecordFile);
  // The folders that still hold those files, so that a second run removes them too.
  for (const auto& folder : run.folders)
    if (FolderExists(folder)) run.data.RecordItem(folder, kRecordFolder);
  if (!run.failures.empty()) {
    UninstallData left = run.data;
    left.associations.clear();
    left.firewall.clear();
    left.inf.clear();
    left.registry.clear();
    left.registry2.clear();
    left.msi = msi_left;
    WriteUninstallData(run.data_path, left);
  }

  RemoveStartMenuFolder(run);
  RemoveProductRegistry(run);
  RemoveRegistry2(run);
  RemoveFirewallItems(run);
  Progress(run, 97);
  RemoveDriverPackages(run.data.inf);

  if (run.option_flags & kOptDeleteInstallFolder) RemoveFolderTree(run.values.install_dir, 0);
  RemoveSharedFolder(run);
  if (run.failures.empty()) FinishCleanRun(run);

  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  Progress(run, 100);
  if ((run.option_flags2 & kOpt2ProgressPage) && run.calls.close_progress) run.calls.close_progress();
}

void EndRun(UninstallRun& run) {
  if (run.redirection_off) {
    using Fn = BOOL(WINAPI*)(PVOID);
    if (auto fn = SystemProc<Fn>(L"kernel32.dll", "Wow64RevertWow64FsRedirection")) fn(run.redirection_state);
    run.redirection_off = false;
  }
  if (run.failures.empty()) {
    if (!run.silent && (run.archive_flags & kArcUninstallDoneMessage)) run.Show(run.Message(34), run.Message(15), MB_OK | MB_ICONINFORMATION);
    // A deployment tool restarts the machine when it chooses: the exit code says it is needed.
    if ((run.option_flags2 & kOpt2RestartAfterUninstall) && ProcessExitFacts().deployment)
      ProcessExitFacts().restart_pending = true;
    else if ((run.option_flags2 & kOpt2RestartAfterUninstall) && run.calls.restart &&
             (run.silent || run.Show(run.Message(74), run.Message(20), MB_YESNO | MB_ICONQUESTION) == IDYES))
      run.calls.restart();
    if (!run.calls.program_after.empty()) Launch(run.calls.program_after, 0);
    run.removed = true;
    return;
  }
  ProcessExitFacts().failures = true;
  if (!run.silent)
    run.Show(FormatText(run.Message(10), {run.failures}), run.Message(20), MB_OK | MB_ICONWARNING);
}

}  // namespace

std::u16string UninstallRun::Message(int n) const {
  auto it = data.messages.find(n);
  return it == data.messages.end() ? std::u16string() : it->second;
}

int UninstallRun::Show(const std::u16string& text, const std::u16string& caption, UINT flags) const {
  if (!calls.show) return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
  return calls.show(text, caption.empty() ? data.title : caption, flags);
}

ExitCode RunUninstaller(const std::u16string& product_name, const std::u16string& self_path,
                        const UninstallCalls& calls) {
  UninstallRun run;
  run.product_name = product_name;
  run.calls = calls;
  run.silent = calls.silent;
  if (!ReadProductKey(run) || !LoadData(run)) return ExitCode::kRefused;
  if (run.calls.texts) run.calls.texts([&run](int n) { return run.Message(n); });
  CloseListedPrograms(run);
  if (!Confirmed(run) || TookSupportOffer(run) || !UserClosedPrograms(run)) return ExitCode::kCancelled;
  // A silent run, as a deployment tool or the quiet uninstall string starts it, shows no page.
  if (!run.silent && run.calls.show_progress) run.calls.show_progress();
  // Read before the removal, which takes the key away on a clean run.
  std::u16string notify_url;
  {
    RegistryKey key;
    if (Opened(OpenProductKey(run, key, KEY_READ))) notify_url = key.ReadValueText(u"NotifyURL", u"");
  }
  RemoveProduct(run);
  EndRun(run);
  if (!run.removed) return ExitCode::kUninstallEnd;
  if (run.calls.notify && !notify_url.empty()) run.calls.notify(notify_url, run.values.version);
  ScheduleSelfDeletion(self_path, run.values.install_dir, run.values.uninstall_subdir);
  return ExitCode::kUninstallEnd;
}

}  // namespace ks
