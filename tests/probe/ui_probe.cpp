// The UI probe: starts a program with an exact command line, records every
// window it shows, presses dialog buttons and prints a JSON report.
//
//   ui_probe run [options] -- PROGRAM ARGS...
//   ui_probe run [options] --cmdline-file PATH
//
// Options:
//   --timeout MS         end the target after MS milliseconds (default 20000)
//   --press N            press the button with id N
//   --press-text TEXT    press the button whose text (without '&') is TEXT
//   --press-default      press the dialog's default button (the default)
//   --press-none         press nothing (watch until exit or timeout)
//   --press-close        close the dialog with its close box (WM_CLOSE)
//                        Press options may repeat: dialog i takes the i-th,
//                        the last one applies to every later dialog.
//   --max-boxes K        end the target when a dialog beyond the K-th shows
//   --settle MS          wait before reading a new window (default 50)
//   --cwd DIR            working folder of the target
//   --out PATH           also write the report to PATH
//   --cmdline-file PATH  the command line, UTF-8, taken literally (`wine`
//                        re-quotes arguments, so this is the exact way)
//   --set-text N ID TEXT before pressing in dialog N (1-based), set control
//                        ID's text (an edit box then reports the change)
//   --select N ID INDEX  before pressing in dialog N, select list box item
//                        INDEX of control ID, as a click would
//                        After such actions the dialog is read again into
//                        "controls_after".
//
// Report: {"exit_code": N or null when the probe ended the target,
//   "timed_out", "stopped": null | "timeout" | "max-boxes" | "start-failed",
//   "elapsed_ms", "windows": [{"caption", "class", "pid", "text" (a message
//   box's text, else null), "default_id", "seen_ms", "pressed_ms", "gone_ms",
//   "controls": [{"class", "id", "text", "visible", "enabled", "checked"?,
//   "parent_id"?}], "pressed": id or null, "press_missing"?}]}
// Every visible top-level window of the target and of the processes it
// starts is recorded once, when first seen; only dialogs (#32770) are pressed.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "window_probe/json_writer.h"
#include "window_probe/text_file.h"
#include "window_probe/window_read.h"

namespace {

enum class PressKind { kId, kText, kDefault, kNone, kClose };
struct PressChoice {
  PressKind kind = PressKind::kDefault;
  int id = 0;
  std::wstring text;
};

// Something done to dialog `dialog` (1-based) before its button is pressed.
struct Action {
  size_t dialog = 0;
  int id = 0;
  bool select = false;  // else set the text
  std::wstring text;
  int index = 0;
};

struct Options {
  std::vector<Action> actions;
  DWORD timeout_ms = 20000;
  DWORD settle_ms = 50;
  size_t max_boxes = 50;
  std::vector<PressChoice> presses;
  std::wstring cwd;
  std::wstring out_path;
  std::wstring command_line;
};

struct Recorded {
  probe::WindowInfo info;
  bool acted = false;
  probe::WindowInfo after;  // read again after the actions
  bool is_dialog = false;
  int pressed = -1;  // -1: nothing pressed
  bool press_missing = false;
  DWORD seen_at = 0;
  DWORD pressed_at = 0;
  DWORD gone_at = 0;
  bool fallback_sent = false;
};

constexpr DWORD kPollMs = 20;
constexpr DWORD kFallbackAfterMs = 2000;

void WriteAll(HANDLE h, const std::string& data) {
  DWORD written = 0;
  size_t at = 0;
  while (at < data.size() && WriteFile(h, data.data() + at, DWORD(data.size() - at), &written, nullptr) && written)
    at += written;
}

int Usage(const wchar_t* why) {
  std::string msg = "ui_probe: ";
  for (const wchar_t* p = why; *p; ++p) msg += char(*p < 128 ? *p : '?');
  msg += "\nusage: ui_probe run [--timeout MS] [--press N | --press-text T | --press-default | --press-none]..."
         " [--max-boxes K] [--settle MS] [--cwd DIR] [--out PATH] (--cmdline-file PATH | -- PROGRAM ARGS...)\n";
  WriteAll(GetStdHandle(STD_ERROR_HANDLE), msg);
  return 2;
}

bool ParseOptions(int argc, wchar_t** argv, Options& o, std::wstring& error) {
  bool have_command = false;
  for (int i = 2; i < argc; ++i) {
    std::wstring a = argv[i];
    auto value = [&](std::wstring& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::wstring v;
    if (a == L"--") {
      for (int j = i + 1; j < argc; ++j) {
        if (j > i + 1) o.command_line += L' ';
        o.command_line += argv[j];
      }
      have_command = i + 1 < argc;
      break;
    } else if (a == L"--timeout" && value(v)) {
      o.timeout_ms = wcstoul(v.c_str(), nullptr, 10);
    } else if (a == L"--settle" && value(v)) {
      o.settle_ms = wcstoul(v.c_str(), nullptr, 10);
    } else if (a == L"--max-boxes" && value(v)) {
      o.max_boxes = wcstoul(v.c_str(), nullptr, 10);
    } else if (a == L"--press" && value(v)) {
      o.presses.push_back({PressKind::kId, int(wcstol(v.c_str(), nullptr, 10)), {}});
    } else if (a == L"--press-text" && value(v)) {
      o.presses.push_back({PressKind::kText, 0, v});
    } else if (a == L"--press-default") {
      o.presses.push_back({PressKind::kDefault, 0, {}});
    } else if (a == L"--press-none") {
      o.presses.push_back({PressKind::kNone, 0, {}});
    } else if (a == L"--press-close") {
      o.presses.push_back({PressKind::kClose, 0, {}});
    } else if ((a == L"--set-text" || a == L"--select") && i + 3 < argc) {
      Action act;
      act.dialog = wcstoul(argv[++i], nullptr, 10);
      act.id = int(wcstol(argv[++i], nullptr, 10));
      act.select = a == L"--select";
      act.text = argv[++i];
      act.index = int(wcstol(act.text.c_str(), nullptr, 10));
      o.actions.push_back(act);
    } else if (a == L"--cwd" && value(v)) {
      o.cwd = v;
    } else if (a == L"--out" && value(v)) {
      o.out_path = v;
    } else if (a == L"--cmdline-file" && value(v)) {
      if (!probe::ReadUtf8File(v, o.command_line)) {
        error = L"cannot read " + v;
        return false;
      }
      have_command = true;
    } else {
      error = L"bad option " + a;
      return false;
    }
  }
  if (!have_command || o.command_line.empty()) {
    error = L"no command line";
    return false;
  }
  if (o.presses.empty()) o.presses.push_back({});
  return true;
}

std::wstring WithoutAmpersands(const std::wstring& s) {
  std::wstring r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) ++i;  // "&&" stands for one '&'
    r += s[i];
  }
  return r;
}

bool IsButton(const probe::ControlInfo& c) { return _wcsicmp(c.cls.c_str(), L"Button") == 0; }

// The id to press in a dialog, or -1 when none fits.
int ChooseButton(const probe::WindowInfo& w, const PressChoice& choice) {
  auto has = [&](int id) {
    for (auto& c : w.controls)
      if (c.id == id && IsButton(c)) return true;
    return false;
  };
  switch (choice.kind) {
    case PressKind::kNone:
    case PressKind::kClose:
      return -1;
    case PressKind::kId:
      return has(choice.id) ? choice.id : -1;
    case PressKind::kText:
      for (auto& c : w.controls)
        if (IsButton(c) && _wcsicmp(WithoutAmpersands(c.text).c_str(), choice.text.c_str()) == 0) return c.id;
      return -1;
    case PressKind::kDefault:
      if (w.default_id && has(w.default_id)) return w.default_id;
      for (auto& c : w.controls)
        if (IsButton(c) && c.is_default && c.visible) return c.id;
      if (has(IDOK)) return IDOK;
      if (has(IDCANCEL)) return IDCANCEL;
      for (auto& c : w.controls)
        if (IsButton(c) && c.visible && c.enabled) return c.id;
      return -1;
  }
  return -1;
}

void TerminateAll(DWORD root_pid, HANDLE root) {
  for (DWORD pid : probe::WithDescendants({root_pid})) {
    if (pid == root_pid) continue;
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
      TerminateProcess(h, 1);
      CloseHandle(h);
    }
  }
  TerminateProcess(root, 1);
  WaitForSingleObject(root, 5000);
}

std::string Report(const std::vector<Recorded>& windows, bool exited, DWORD exit_code, const char* stopped,
                   DWORD elapsed, const std::wstring& error) {
  probe::JsonWriter j;
  j.BeginObject();
  j.Key("exit_code");
  if (exited) j.Number(exit_code); else j.Null();
  j.Key("timed_out");
  j.Bool(stopped && std::string(stopped) == "timeout");
  j.Key("stopped");
  if (stopped) j.String(std::wstring(stopped, stopped + strlen(stopped))); else j.Null();
  j.Key("elapsed_ms");
  j.Number(elapsed);
  if (!error.empty()) {
    j.Key("error");
    j.String(error);
  }
  j.Key("windows");
  j.BeginArray();
  for (auto& r : windows) {
    j.BeginObject();
    j.Key("caption"); j.String(r.info.caption);
    j.Key("class"); j.String(r.info.cls);
    j.Key("pid"); j.Number(r.info.pid);
    j.Key("text");
    if (r.info.has_text) j.String(r.info.text); else j.Null();
    j.Key("default_id"); j.Number(r.info.default_id);
    j.Key("seen_ms"); j.Number(r.seen_at);
    j.Key("pressed_ms"); j.Number(r.pressed_at);
    j.Key("gone_ms"); j.Number(r.gone_at);
    auto rect = [&j](const RECT& q) {
      j.BeginArray();
      for (LONG v : {q.left, q.top, q.right, q.bottom}) j.Number(v);
      j.EndArray();
    };
    j.Key("client"); rect(r.info.client);
    j.Key("frame"); rect(r.info.frame);
    for (int pass = 0; pass < (r.acted ? 2 : 1); ++pass) {
    j.Key(pass ? "controls_after" : "controls");
    j.BeginArray();
    for (auto& c : (pass ? r.after : r.info).controls) {
      j.BeginObject();
      j.Key("class"); j.String(c.cls);
      j.Key("id"); j.Number(c.id);
      j.Key("text"); j.String(c.text);
      j.Key("visible"); j.Bool(c.visible);
      j.Key("enabled"); j.Bool(c.enabled);
      j.Key("rect"); rect(c.rect);
      if (c.checked >= 0) {
        j.Key("checked"); j.Number(c.checked);
      }
      if (c.parent_id) {
        j.Key("parent_id"); j.Number(c.parent_id);
      }
      j.EndObject();
    }
    j.EndArray();
    }
    j.Key("pressed");
    if (r.pressed >= 0) j.Number(r.pressed); else j.Null();
    if (r.press_missing) {
      j.Key("press_missing"); j.Bool(true);
    }
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  j.str() += '\n';
  return j.str();
}

// The report goes to standard output and, when asked, to a file.
void Publish(const Options& o, const std::string& report) {
  WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), report);
  if (o.out_path.empty()) return;
  HANDLE h = CreateFileW(o.out_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  WriteAll(h, report);
  CloseHandle(h);
}

int Run(const Options& o) {
  DWORD start = GetTickCount();
  std::vector<Recorded> windows;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = o.command_line;  // CreateProcessW may write into it
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      o.cwd.empty() ? nullptr : o.cwd.c_str(), &si, &pi)) {
    std::wstring error = L"CreateProcess failed: " + std::to_wstring(GetLastError());
    Publish(o, Report(windows, false, 0, "start-failed", 0, error));
    return 3;
  }
  CloseHandle(pi.hThread);

  std::map<HWND, size_t> seen;
  size_t dialogs = 0;
  const char* stopped = nullptr;
  bool exited = false;
  for (;;) {
    if (WaitForSingleObject(pi.hProcess, kPollMs) == WAIT_OBJECT_0) {
      exited = true;
      break;
    }
    DWORD now = GetTickCount();
    if (now - start >= o.timeout_ms) {
      stopped = "timeout";
      break;
    }
    auto pids = probe::WithDescendants({pi.dwProcessId});
    auto visible = probe::VisibleWindowsOf(pids);
    for (auto& [hwnd, index] : seen)
      if (!windows[index].gone_at && std::find(visible.begin(), visible.end(), hwnd) == visible.end())
        windows[index].gone_at = GetTickCount() - start;
    for (HWND hwnd : visible) {
      auto it = seen.find(hwnd);
      if (it != seen.end()) {
        // A click that the box ignored (not yet active, say) gets a second,
        // direct try as a command.
        Recorded& r = windows[it->second];
        if (r.pressed >= 0 && !r.fallback_sent && GetTickCount() - start - r.pressed_at > kFallbackAfterMs) {
          HWND button = GetDlgItem(hwnd, r.pressed);
          if (!button || IsWindowEnabled(button)) probe::SendCommand(hwnd, r.pressed);
          r.fallback_sent = true;
        }
        continue;
      }
      Sleep(o.settle_ms);
      if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) continue;
      Recorded r;
      r.seen_at = GetTickCount() - start;
      r.info = probe::ReadWindow(hwnd);
      r.is_dialog = r.info.cls == probe::kDialogClass;
      seen[hwnd] = windows.size();
      if (r.is_dialog) {
        // A window that answers a press shows the press was taken: no second try
        // (a modeless dialog stays up after its button worked).
        for (Recorded& earlier : windows)
          if (earlier.pressed >= 0) earlier.fallback_sent = true;
        if (++dialogs > o.max_boxes) {
          windows.push_back(std::move(r));
          stopped = "max-boxes";
          break;
        }
        const PressChoice& choice = o.presses[dialogs - 1 < o.presses.size() ? dialogs - 1 : o.presses.size() - 1];
        for (const Action& act : o.actions) {
          if (act.dialog != dialogs) continue;
          HWND control = GetDlgItem(hwnd, act.id);
          if (!control) continue;
          if (act.select) {
            SendMessageW(control, LB_SETCURSEL, WPARAM(act.index), 0);
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(act.id, LBN_SELCHANGE), LPARAM(control));
          } else {
            SendMessageW(control, WM_SETTEXT, 0, LPARAM(act.text.c_str()));
          }
          r.acted = true;
        }
        if (r.acted) {
          Sleep(o.settle_ms);
          r.after = probe::ReadWindow(hwnd);
        }
        if (choice.kind == PressKind::kClose) {
          PostMessageW(hwnd, WM_CLOSE, 0, 0);
          r.pressed_at = GetTickCount() - start;
          windows.push_back(std::move(r));
          continue;
        }
        int id = ChooseButton(r.acted ? r.after : r.info, choice);
        // A disabled button is reported, never forced with a command.
        HWND button = id >= 0 ? GetDlgItem(hwnd, id) : nullptr;
        if (button && !IsWindowEnabled(button)) id = -1;
        if (id >= 0 && probe::PressButton(hwnd, id)) {
          r.pressed = id;
          r.pressed_at = GetTickCount() - start;
        } else if (choice.kind != PressKind::kNone) {
          r.press_missing = true;
        }
      }
      windows.push_back(std::move(r));
    }
    if (stopped) break;
  }
  DWORD exit_code = 0;
  if (exited) {
    GetExitCodeProcess(pi.hProcess, &exit_code);
  } else {
    TerminateAll(pi.dwProcessId, pi.hProcess);
  }
  CloseHandle(pi.hProcess);
  Publish(o, Report(windows, exited, exit_code, stopped, GetTickCount() - start, {}));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || std::wstring(argv[1]) != L"run") return Usage(L"unknown mode");
  Options o;
  std::wstring error;
  if (!ParseOptions(argc, argv, o, error)) return Usage(error.c_str());
  return Run(o);
}
