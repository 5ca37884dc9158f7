// The walker behind `keldwick preview`: runs an installer, shoots every page
// it shows (and the screen at the first one) as BMPs and answers each page the
// way a user taking the defaults would, then writes report.json.
//
//   keldwick-preview-probe --cmdline-file PATH --out-dir DIR
//                          [--password-file PATH] [--timeout MS] [--settle MS]
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "portable/preview_pages.h"
#include "window_probe/json_writer.h"
#include "window_probe/screen_shot.h"
#include "window_probe/text_file.h"
#include "window_probe/window_read.h"

namespace {

using namespace ks::preview;

constexpr DWORD kPollMs = 10;
constexpr size_t kMaxShots = 60;  // a page that keeps coming back ends the walk
constexpr UINT kTextTimeoutMs = 1000;

struct Options {
  std::wstring command_line, out_dir, password;
  DWORD timeout_ms = 90000, settle_ms = 600;
};

struct Shot {
  std::wstring file, kind, caption;
  std::vector<int> controls;
  bool ok_is_default = false;
};

using probe::ClassOf;
using probe::TextOf;

// The process list is slow to read under Wine: it is refreshed every 300 ms,
// so a poll stays short enough to catch the progress page of a small product.
std::vector<HWND> VisibleWindows(DWORD root) {
  static std::set<DWORD> pids;
  static DWORD read_at = 0;
  if (pids.empty() || !pids.count(root) || GetTickCount() - read_at > 300) {
    pids = probe::WithDescendants({root});
    read_at = GetTickCount();
  }
  return probe::VisibleWindowsOf(pids);
}

BOOL CALLBACK CollectControl(HWND hwnd, LPARAM param) {
  auto* shot = reinterpret_cast<Shot*>(param);
  int id = probe::ControlId(hwnd);
  shot->controls.push_back(id);
  if (id == kOk) shot->ok_is_default = (GetWindowLongW(hwnd, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
  return TRUE;
}

Shot Describe(HWND dialog) {
  Shot shot;
  shot.kind = L"dialog";
  shot.caption = TextOf(dialog);
  EnumChildWindows(dialog, CollectControl, LPARAM(&shot));
  return shot;
}

bool Has(const Shot& s, int id) { return std::find(s.controls.begin(), s.controls.end(), id) != s.controls.end(); }

class Walk {
 public:
  explicit Walk(const Options& o) : o_(o) {}

  int Run();

 private:
  void Take(Shot shot, RECT r) {
    wchar_t name[32];
    wsprintfW(name, L"shot-%02u.bmp", unsigned(shots_.size() + 1));
    shot.file = name;
    if (probe::WriteScreenBmp(o_.out_dir + L"\\" + name, r)) shots_.push_back(std::move(shot));
  }
  void TakeWindow(HWND hwnd, Shot shot) {
    RECT r;
    if (IsWindowVisible(hwnd) && GetWindowRect(hwnd, &r)) Take(std::move(shot), r);
  }
  // Posted, not sent: the button's handler may open the next modal page.
  void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
  }
  bool Usable(HWND dialog, int id) {
    HWND b = GetDlgItem(dialog, id);
    return b && IsWindowVisible(b) && IsWindowEnabled(b);
  }
  HWND NewDialog(HWND except) {
    for (HWND hwnd : VisibleWindows(pid_))
      if (hwnd != except && !handled_.count(hwnd) && ClassOf(hwnd) == probe::kDialogClass) return hwnd;
    return nullptr;
  }
  // The main window lies below the pages: known before a page is handled.
  void FindMainWindow(const std::vector<HWND>& windows) {
    for (HWND hwnd : windows)
      if (ClassOf(hwnd) == L"SEA Window Class") main_window_ = hwnd;
  }
  void Progress(HWND dialog, Shot shot);
  void Answer(HWND dialog, const Shot& shot);
  void Report(const char* stopped, bool exited, DWORD code);

  const Options& o_;
  DWORD pid_ = 0;
  std::set<HWND> handled_;
  std::vector<Shot> shots_;
  HWND main_window_ = nullptr;
  bool screen_taken_ = false;
};

// The progress page lives only while the installation runs. Its Cancel asks
// a question first: while that is open the page stands still and is painted,
// so the question is moved aside, the page shot, and the question answered No.
void Walk::Progress(HWND dialog, Shot shot) {
  if (!Usable(dialog, kCancel)) {
    TakeWindow(dialog, std::move(shot));
    return;
  }
  Press(dialog, kCancel);
  HWND question = nullptr;
  for (DWORD start = GetTickCount(); !question && IsWindow(dialog) && GetTickCount() - start < 5000; Sleep(kPollMs))
    question = NewDialog(dialog);
  if (!question) {
    TakeWindow(dialog, std::move(shot));
    return;
  }
  handled_.insert(question);
  SetWindowPos(question, nullptr, -4000, -4000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Drawn as the active window it is while the installation runs.
  SendMessageTimeoutW(dialog, WM_NCACTIVATE, TRUE, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, nullptr);
  Sleep(o_.settle_ms);
  TakeWindow(dialog, std::move(shot));
  Press(question, IDNO);
}

void Walk::Answer(HWND dialog, const Shot& shot) {
  if (Has(shot, kMessageText)) {
    // Decline questions (restart now?), accept notices and the greeting.
    for (int id : {IDNO, IDOK, IDIGNORE, IDCANCEL})
      if (Usable(dialog, id)) return Press(dialog, id);
    return;
  }
  if (Has(shot, kPassword))
    SendMessageTimeoutW(GetDlgItem(dialog, kPassword), WM_SETTEXT, 0, LPARAM(o_.password.c_str()), SMTO_ABORTIFHUNG,
                        kTextTimeoutMs, nullptr);
  // The finish actions would start programs in the throw-away prefix.
  for (int id : {kOpenDocument, kLaunch, kOpenLog, kOpenDocument2})
    if (HWND box = GetDlgItem(dialog, id))
      SendMessageTimeoutW(box, BM_SETCHECK, BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, nullptr);
  if (Usable(dialog, kOk)) return Press(dialog, kOk);
  DWORD_PTR def = 0;
  SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &def);
  if (HIWORD(def) == DC_HASDEFID && Usable(dialog, LOWORD(def))) return Press(dialog, LOWORD(def));
  if (Usable(dialog, IDOK)) Press(dialog, IDOK);
}

int Walk::Run() {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = o_.command_line;  // CreateProcessW may write into it
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    Report("start-failed", false, 0);
    return 3;
  }
  CloseHandle(pi.hThread);
  pid_ = pi.dwProcessId;
  DWORD start = GetTickCount();
  const char* stopped = nullptr;
  bool exited = false;
  while (!stopped) {
    if (WaitForSingleObject(pi.hProcess, kPollMs) == WAIT_OBJECT_0) {
      exited = true;
      break;
    }
    if (GetTickCount() - start >= o_.timeout_ms) stopped = "timeout";
    if (shots_.size() >= kMaxShots) stopped = "too-many-pages";
    if (stopped) break;
    std::vector<HWND> windows = VisibleWindows(pid_);
    FindMainWindow(windows);
    for (HWND hwnd : windows) {
      if (handled_.count(hwnd) || hwnd == main_window_) continue;
      std::wstring cls = ClassOf(hwnd);
      handled_.insert(hwnd);
      if (cls != probe::kDialogClass) continue;
      Shot shot = Describe(hwnd);
      if (Has(shot, kProgressBar)) {
        Progress(hwnd, std::move(shot));
        continue;
      }
      Sleep(o_.settle_ms);
      if (!IsWindowVisible(hwnd)) continue;
      if (!screen_taken_ && !main_window_) FindMainWindow(VisibleWindows(pid_));
      if (!screen_taken_ && main_window_ && IsWindowVisible(main_window_)) {
        // The main window alone: the first page steps aside for the shot.
        screen_taken_ = true;
        ShowWindow(hwnd, SW_HIDE);
        Sleep(o_.settle_ms);
        Shot screen;
        screen.kind = L"screen";
        Take(screen, RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
        Sleep(o_.settle_ms);
      }
      Shot described = shot;
      TakeWindow(hwnd, std::move(described));
      Answer(hwnd, shot);
      break;  // the answer changes the windows: look again
    }
  }
  DWORD code = 0;
  if (exited) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    for (DWORD pid : probe::WithDescendants({pid_}))
      if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        TerminateProcess(h, 1);
        CloseHandle(h);
      }
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hProcess);
  Report(stopped, exited, code);
  return 0;
}

void Walk::Report(const char* stopped, bool exited, DWORD code) {
  probe::JsonWriter j;
  j.BeginObject();
  j.Key("exit_code");
  if (exited) {
    j.Number(code);
  } else {
    j.Null();
  }
  j.Key("stopped");
  if (stopped) {
    j.String(std::wstring(stopped, stopped + strlen(stopped)));
  } else {
    j.Null();
  }
  j.Key("shots");
  j.BeginArray();
  for (const Shot& s : shots_) {
    j.BeginObject();
    j.Key("file");
    j.String(s.file);
    j.Key("kind");
    j.String(s.kind);
    j.Key("caption");
    j.String(s.caption);
    j.Key("ok_is_default");
    j.Bool(s.ok_is_default);
    j.Key("controls");
    j.BeginArray();
    for (int id : s.controls) j.Number(id);
    j.EndArray();
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  probe::WriteBytes(o_.out_dir + L"\\report.json", j.str() + "\n");
}

int Usage(const char* why) {
  std::string msg = std::string("keldwick-preview-probe: ") + why +
                    "\nusage: keldwick-preview-probe --cmdline-file PATH --out-dir DIR [--password-file PATH]"
                    " [--timeout MS] [--settle MS]\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), msg.data(), DWORD(msg.size()), &written, nullptr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (i + 1 >= argc) return Usage("an option lacks its value");
    std::wstring v = argv[++i];
    if (a == L"--cmdline-file") {
      if (!probe::ReadUtf8File(v, o.command_line)) return Usage("cannot read the command-line file");
    } else if (a == L"--password-file") {
      if (!probe::ReadUtf8File(v, o.password)) return Usage("cannot read the password file");
    } else if (a == L"--out-dir") {
      o.out_dir = v;
    } else if (a == L"--timeout") {
      o.timeout_ms = wcstoul(v.c_str(), nullptr, 10);
    } else if (a == L"--settle") {
      o.settle_ms = wcstoul(v.c_str(), nullptr, 10);
    } else {
      return Usage("unknown option");
    }
  }
  if (o.command_line.empty() || o.out_dir.empty()) return Usage("--cmdline-file and --out-dir are needed");
  Walk walk(o);
  return walk.Run();
}
