// `keldwick preview`: builds the installer (once per template-variant set),
// walks it with the preview probe under Wine in a private prefix on a private
// Xvfb display, and turns the probe's BMPs into PNGs with an index.html.
#include "preview.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "build.h"
#include "png_image.h"
#include "preview_index.h"
#include "project.h"
#include "project_defines.h"
#include "portable/preview_pages.h"
#include "portable/text.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace ks::builder {

std::string MissingToolsMessage(const std::vector<std::string>& missing) {
  std::string names;
  for (size_t i = 0; i < missing.size(); ++i) names += (i ? ", " : "") + missing[i];
  return "keldwick: preview runs the installer under Wine on a private Xvfb display, and " + names +
         (missing.size() == 1 ? " is" : " are") +
         " not on the PATH.\n"
         "Install Wine and Xvfb (Debian and Ubuntu: sudo apt-get install wine xvfb) and run the preview again.\n";
}

#ifdef _WIN32

int PreviewCommand(const std::vector<std::string>&, const fs::path&) {
  std::fputs("keldwick: preview runs on Linux, where it drives the installer under Wine and Xvfb;\n"
             "on Windows, run the installer itself to see its pages.\n",
             stderr);
  return 1;
}

#else

namespace {

constexpr int kWinebootSeconds = 600;
constexpr int kWalkSeconds = 180;  // the probe's own limit is a minute shorter
constexpr const char kProbeName[] = "keldwick-preview-probe.exe";

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
    if (access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

std::string WindowsPath(const fs::path& p) {
  std::string s = "Z:" + fs::absolute(p).lexically_normal().string();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

bool WriteBytes(const fs::path& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), std::streamsize(size));
  return bool(out.flush());
}

bool ReadBytes(const fs::path& path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// A started child: stdout and stderr go to `log`, stdin is empty.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const fs::path& log,
            int extra_fd = -1) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (extra_fd >= 0) posix_spawn_file_actions_adddup2(&actions, extra_fd, 3);
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The child's exit code; killed (and -1) when it outlives `seconds`.
int Wait(pid_t pid, int seconds) {
  for (int waited_ms = 0;; waited_ms += 50) {
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (r < 0) return -1;
    if (waited_ms >= seconds * 1000) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(50 * 1000);
  }
}

// The private session: a work folder in the temporary folder, an Xvfb display
// and a Wine prefix in the work folder. Everything goes when it ends.
class Session {
 public:
  explicit Session(bool keep) : keep_(keep) {}
  ~Session() {
    if (!env_.empty()) Run({"wineserver", "-k"}, 60);
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      Wait(xvfb_, 10);
    }
    std::error_code ec;
    if (!work_.empty() && !keep_) fs::remove_all(work_, ec);
  }

  const fs::path& work() const { return work_; }
  fs::path log() const { return work_ / "session.log"; }

  bool Open(std::string& error);
  int Run(const std::vector<std::string>& argv, int seconds) {
    pid_t pid = Start(argv, env_, log());
    return pid < 0 ? -1 : Wait(pid, seconds);
  }
  // Puts the prefix back as wineboot left it: registry and new files.
  void Reset();

 private:
  bool StartXvfb(std::string& error);

  bool keep_;
  fs::path work_, prefix_;
  pid_t xvfb_ = -1;
  std::vector<std::string> env_;
  std::set<fs::path> baseline_;  // drive_c after wineboot
};

bool Session::StartXvfb(std::string& error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {  // fd 3 of Xvfb is a dup2, without the flag
    error = "cannot make a pipe for Xvfb";
    return false;
  }
  // Xvfb picks a free display and writes its number to fd 3.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.push_back(*e);
  xvfb_ = Start({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, env,
                work_ / "xvfb.log", fds[1]);
  close(fds[1]);
  std::string display;
  pollfd p{fds[0], POLLIN, 0};
  while (xvfb_ > 0 && poll(&p, 1, 30000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    display += c;
  }
  close(fds[0]);
  if (display.empty()) {
    error = "Xvfb did not start (see " + (work_ / "xvfb.log").string() + ")";
    return false;
  }
  for (const std::string& e : env)
    if (!e.starts_with("DISPLAY=") && !e.starts_with("WINEPREFIX=") && !e.starts_with("WINEDEBUG=") &&
        !e.starts_with("WINEDLLOVERRIDES=") && !e.starts_with("WAYLAND_DISPLAY="))
      env_.push_back(e);
  env_.push_back("DISPLAY=:" + display);
  env_.push_back("WINEPREFIX=" + prefix_.string());
  env_.push_back("WINEDEBUG=-all");
  // No Mono or Gecko download prompts, no menu entries on the host.
  env_.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
  return true;
}

bool Session::Open(std::string& error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/keldwick-preview-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    error = "cannot make a work folder in " + fs::path(pattern).parent_path().string();
    return false;
  }
  work_ = pattern;
  prefix_ = work_ / "prefix";
  if (!StartXvfb(error)) return false;
  std::fprintf(stderr, "keldwick: making a private Wine prefix (about a minute)...\n");
  int rc = Run({"wineboot", "-i"}, kWinebootSeconds);
  Run({"wineserver", "-w"}, kWinebootSeconds);
  if (rc != 0 || !fs::exists(prefix_ / "system.reg")) {
    error = "wineboot could not make a Wine prefix (see " + log().string() + ")";
    return false;
  }
  // Without a window manager Wine waits for one on every hidden managed window.
  Run({"wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f"}, 120);
  Run({"wineserver", "-w"}, 120);
  std::error_code ec;
  for (const char* reg : {"system.reg", "user.reg", "userdef.reg"})
    fs::copy_file(prefix_ / reg, work_ / (std::string(reg) + ".clean"), fs::copy_options::overwrite_existing, ec);
  for (auto it = fs::recursive_directory_iterator(prefix_ / "drive_c", ec); !ec && it != fs::end(it); it.increment(ec))
    baseline_.insert(it->path());
  return true;
}

void Session::Reset() {
  Run({"wineserver", "-k"}, 60);
  Run({"wineserver", "-w"}, 60);
  std::error_code ec;
  for (const char* reg : {"system.reg", "user.reg", "userdef.reg"})
    fs::copy_file(work_ / (std::string(reg) + ".clean"), prefix_ / reg, fs::copy_options::overwrite_existing, ec);
  std::vector<fs::path> added;
  for (auto it = fs::recursive_directory_iterator(prefix_ / "drive_c", ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (baseline_.count(it->path())) continue;
    added.push_back(it->path());
    if (it->is_directory(ec) && !it->is_symlink(ec)) it.disable_recursion_pending();
  }
  for (const fs::path& p : added) fs::remove_all(p, ec);
}

struct Options {
  std::string project_file, out_dir, engine;
  Defines defines;
  bool all_variants = false, keep = false;
};

constexpr const char kUsage[] =
    "usage: keldwick preview PROJECT.toml -o DIR [--all-variants] [--engine ENGINE.exe] [--define NAME=VALUE]...\n"
    "                        [--keep-work]\n"
    "Runs the installer under Wine on a private Xvfb display and writes a PNG of every page it shows,\n"
    "and of the main window, with DIR/index.html. --all-variants shows every page plain, with the side\n"
    "picture and with the banner. --keep-work leaves the work folder (prefix, installers, logs) in place.\n"
    "Needs wine and Xvfb on the PATH.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "keldwick: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

// One walk: the installer of `set`, its shots converted and named.
bool WalkVariant(Session& session, const Project& base, const Bytes& engine, const fs::path& probe,
                 const preview::VariantSet& set, const fs::path& out_dir, PreviewWalk& walk, std::string& error,
                 int attempts_left = 2) {
  Project project = base;
  project.settings.SilentMode = 0;  // the pages are what the preview is for
  project.settings.DialogVariants = set.variants;
  Bytes installer;
  BuildOptions options;
  if (!BuildInstaller(project, engine, installer, error, options)) return false;
  fs::path dir = session.work() / ("walk-" + set.label);
  fs::create_directories(dir);
  fs::path setup = dir / "setup.exe";
  std::string cmdline = "\"" + WindowsPath(setup) + "\"";
  std::string password = Utf16ToUtf8(project.settings.Password);
  if (!WriteBytes(setup, installer.data(), installer.size()) ||
      !WriteBytes(dir / "cmdline.txt", cmdline.data(), cmdline.size()) ||
      !WriteBytes(dir / "password.txt", password.data(), password.size())) {
    error = "cannot write to the work folder " + dir.string();
    return false;
  }
  std::fprintf(stderr, "keldwick: walking the pages (%s)...\n", set.label.c_str());
  session.Run({"wine", probe.string(), "--cmdline-file", WindowsPath(dir / "cmdline.txt"), "--out-dir",
               WindowsPath(dir), "--password-file", WindowsPath(dir / "password.txt"), "--timeout",
               std::to_string((kWalkSeconds - 60) * 1000)},
              kWalkSeconds);
  Bytes report_bytes;
  nlohmann::json report;
  if (ReadBytes(dir / "report.json", report_bytes))
    report = nlohmann::json::parse(report_bytes.begin(), report_bytes.end(), nullptr, false);
  if (!report.is_object() || !report["shots"].is_array()) {
    error = "the preview probe wrote no report (see " + session.log().string() + ")";
    return false;
  }
  std::vector<preview::SeenWindow> seen;
  for (const auto& s : report["shots"]) {
    preview::SeenWindow w;
    w.screen = s.value("kind", "") == "screen";
    w.caption = s.value("caption", "");
    w.ok_is_default = s.value("ok_is_default", false);
    for (const auto& id : s["controls"])
      if (id.is_number_integer()) w.controls.push_back(id.get<int>());
    seen.push_back(std::move(w));
  }
  std::vector<preview::PageName> names = preview::NamePages(seen, set.variants);
  // A small product's progress page can come and go between two looks.
  bool progress_seen = std::any_of(names.begin(), names.end(), [](auto& n) { return n.slug == "progress"; });
  if (!progress_seen && (project.settings.OptionFlags2 & kOpt2ProgressPage) && report["stopped"].is_null()) {
    if (attempts_left > 0) {
      session.Reset();
      return WalkVariant(session, base, engine, probe, set, out_dir, walk, error, attempts_left - 1);
    }
    walk.note = "No progress page was shot: it came and went too fast, or the installation stopped before it.";
  }
  std::string prefix = set.label == "project" ? "" : set.label + "-";
  for (size_t i = 0; i < names.size(); ++i) {
    Bytes bmp;
    RgbImage image;
    std::string problem;
    std::string file = report["shots"][i].value("file", "");
    if (!ReadBytes(dir / file, bmp) || !ReadBmp24(bmp, image, problem)) {
      error = "cannot read the screenshot " + (dir / file).string() + (problem.empty() ? "" : ": " + problem);
      return false;
    }
    char number[24];
    std::snprintf(number, sizeof number, "%02zu-", i + 1);
    PreviewShot shot{prefix + number + names[i].slug + ".png", names[i].title, names[i].template_name,
                     int(image.width), int(image.height)};
    Bytes png = EncodePng(image);
    if (!WriteBytes(fs::path(out_dir) / shot.file, png.data(), png.size())) {
      error = "cannot write " + (fs::path(out_dir) / shot.file).string();
      return false;
    }
    walk.shots.push_back(shot);
  }
  std::string stopped = report["stopped"].is_string() ? report["stopped"].get<std::string>() : "";
  if (stopped == "timeout") walk.note = "The installer was still running after the time limit; it was ended.";
  if (stopped == "too-many-pages") walk.note = "A page kept coming back; the walk stopped there.";
  if (stopped == "start-failed") walk.note = "The installer did not start under Wine.";
  session.Reset();
  return true;
}

}  // namespace

int PreviewCommand(const std::vector<std::string>& args, const fs::path& default_engine) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string problem;
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    if (a == "-o") {
      if (!value(o.out_dir)) return Usage("-o needs a folder");
    } else if (a == "--engine") {
      if (!value(o.engine)) return Usage("--engine needs a file");
    } else if (a == "--all-variants") {
      o.all_variants = true;
    } else if (a == "--keep-work") {
      o.keep = true;
    } else if (a == "--define" || a == "-D") {
      std::string d;
      if (!value(d)) return Usage(a + " needs NAME=VALUE");
      if (!ParseDefine(d, o.defines, problem)) return Usage(problem);
    } else if (a.starts_with("--define=")) {
      if (!ParseDefine(std::string_view(a).substr(9), o.defines, problem)) return Usage(problem);
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unknown option " + a);
    } else if (o.project_file.empty()) {
      o.project_file = a;
    } else {
      return Usage("more than one project file given");
    }
  }
  if (o.project_file.empty()) return Usage("no project file given");
  if (o.out_dir.empty()) return Usage("no output folder given (-o DIR)");

  std::vector<std::string> missing;
  for (const char* tool : {"wine", "wineserver", "wineboot", "Xvfb"})
    if (FindOnPath(tool).empty()) missing.push_back(tool);
  if (!missing.empty()) {
    std::fputs(MissingToolsMessage(missing).c_str(), stderr);
    return 1;
  }
  fs::path engine_path = o.engine.empty() ? default_engine : fs::path(o.engine);
  fs::path probe = default_engine.parent_path() / kProbeName;
  if (!fs::is_regular_file(probe)) {
    std::fprintf(stderr, "keldwick: cannot find the preview probe %s (it ships beside keldwick)\n", probe.c_str());
    return 1;
  }
  Project project;
  ProjectError perror;
  if (!LoadProject(o.project_file, project, perror, o.defines)) {
    std::fprintf(stderr, "%s\n", perror.Text().c_str());
    return 1;
  }
  Bytes engine;
  if (!ReadBytes(engine_path, engine)) {
    std::fprintf(stderr, "keldwick: cannot read the engine %s\n", engine_path.c_str());
    return 1;
  }
  std::error_code ec;
  fs::create_directories(o.out_dir, ec);
  if (!fs::is_directory(o.out_dir, ec)) {
    std::fprintf(stderr, "keldwick: cannot make the folder %s\n", o.out_dir.c_str());
    return 1;
  }
  if (project.settings.SilentMode == 1)
    std::fprintf(stderr, "keldwick: the project installs silently; the preview shows the pages of an attended run\n");

  Session session(o.keep);
  std::string error;
  if (!session.Open(error)) {
    std::fprintf(stderr, "keldwick: %s\n", error.c_str());
    return 1;
  }
  std::vector<PreviewWalk> walks;
  size_t shots = 0;
  bool complete = true;
  for (const preview::VariantSet& set : preview::VariantSets(project.settings.DialogVariants, o.all_variants)) {
    PreviewWalk walk{set.label, {}, {}};
    if (!WalkVariant(session, project, engine, probe, set, o.out_dir, walk, error)) {
      std::fprintf(stderr, "keldwick: %s\n", error.c_str());
      return 1;
    }
    if (!walk.note.empty()) {
      std::fprintf(stderr, "keldwick: %s: %s\n", set.label.c_str(), walk.note.c_str());
      complete = false;
    }
    shots += walk.shots.size();
    walks.push_back(std::move(walk));
  }
  std::string html = PreviewIndexHtml(Utf16ToUtf8(project.settings.ProductName), walks);
  fs::path index = fs::path(o.out_dir) / "index.html";
  if (!WriteBytes(index, html.data(), html.size())) {
    std::fprintf(stderr, "keldwick: cannot write %s\n", index.c_str());
    return 1;
  }
  if (o.keep) std::fprintf(stderr, "keldwick: the work folder stays: %s\n", session.work().c_str());
  std::printf("keldwick: wrote %zu screenshots and %s\n", shots, index.c_str());
  return complete ? 0 : 1;
}

#endif

}  // namespace ks::builder
