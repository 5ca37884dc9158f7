// keldwick: builds an installer from a project file, or shows what an
// installer holds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "build.h"
#include "build_progress.h"
#include "init_project.h"
#include "inspect.h"
#include "manifest.h"
#include "preview.h"
#include "sha256.h"
#include "portable/archive.h"
#include "project.h"
#include "project_defines.h"
#include "project_writer.h"
#include "sign.h"
#include "portable/text.h"

namespace fs = std::filesystem;

namespace {

// The builder's own version; the engine's is the archive format it writes.
constexpr const char kBuilderVersion[] = "0.1.0";

constexpr const char kUsage[] =
    "usage: keldwick build PROJECT.toml -o SETUP.exe [--engine ENGINE.exe] [--define NAME=VALUE]...\n"
    "                      [--sign-cert CERT --sign-key KEY | --sign-pkcs12 FILE]\n"
    "                      [--sign-password-env VAR] [--timestamp URL] [--threads N] [--max]\n"
    "       keldwick inspect SETUP.exe [--project -o FOLDER]\n"
    "       keldwick init [FOLDER] [-o PROJECT.toml]\n"
    "       keldwick manifest PROJECT.toml --url URL --installer SETUP.exe [--id ID] [--license TEXT]\n"
    "                [--define NAME=VALUE]... [-o FOLDER]\n"
    "       keldwick preview PROJECT.toml -o DIR [--all-variants] [--engine ENGINE.exe] [--define NAME=VALUE]...\n"
    "       keldwick --version\n"
    "The engine defaults to keldwick-engine.exe next to this program.\n"
    "--define gives ${NAME} in the project file's strings its value.\n"
    "--max compresses as hard as the archive format allows (slower builds).\n"
    "inspect --project writes FOLDER/project.toml and the files it names, which\n"
    "build the same installer again; a setting no project key expresses is an error.\n"
    "--sign-* sign the installer (Authenticode, SHA-256) with osslsigncode; the\n"
    "key's password, if any, is read from the environment variable VAR.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "keldwick: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

bool ReadFile(const fs::path& path, ks::Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Writes through a temporary name so a failed build never leaves half a file.
bool WriteFile(const fs::path& path, const ks::Bytes& data) {
  fs::path temp = path;
  temp += ".partial";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

fs::path DefaultEngine(const char* argv0) {
  std::error_code ec;
  fs::path self;
#ifdef _WIN32
  wchar_t buffer[32768];
  DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
  if (n > 0 && n < 32768) self = fs::path(std::wstring(buffer, n));
#else
  self = fs::read_symlink("/proc/self/exe", ec);
#endif
  if (ec || self.empty()) self = fs::absolute(argv0, ec);
  return self.parent_path() / "keldwick-engine.exe";
}

using ValuedOption = std::pair<const char*, std::string*>;
using FlagOption = std::pair<const char*, bool*>;

// Splits a command's arguments: options that take the next argument, options
// that stand alone, --define NAME=VALUE (also -D and --define=) and the one
// project file. Empty result, or what is wrong with the command line.
std::string ParseArguments(const std::vector<std::string>& args, std::span<const ValuedOption> valued,
                           std::span<const FlagOption> flags, ks::builder::Defines& defines,
                           std::string& project_file) {
  auto named = [](const auto& table, const std::string& arg) {
    return std::find_if(table.begin(), table.end(), [&](const auto& o) { return arg == o.first; });
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string problem;
    if (auto v = named(valued, arg); v != valued.end()) {
      if (i + 1 >= args.size()) return arg + " needs a value";
      *v->second = args[++i];
    } else if (auto f = named(flags, arg); f != flags.end()) {
      *f->second = true;
    } else if (arg == "--define" || arg == "-D") {
      if (i + 1 >= args.size()) return arg + " needs NAME=VALUE";
      if (!ks::builder::ParseDefine(args[++i], defines, problem)) return problem;
    } else if (arg.starts_with("--define=")) {
      if (!ks::builder::ParseDefine(std::string_view(arg).substr(9), defines, problem)) return problem;
    } else if (!arg.empty() && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (project_file.empty()) {
      project_file = arg;
    } else {
      return "more than one project file given";
    }
  }
  return {};
}

int Build(const std::vector<std::string>& args, const char* argv0) {
  std::string project_file, output, engine;
  ks::builder::Defines defines;
  ks::builder::SigningOptions signing;
  std::string threads;
  bool max = false;
  const ValuedOption kValued[] = {
      {"-o", &output},
      {"--engine", &engine},
      {"--sign-cert", &signing.certificate},
      {"--sign-key", &signing.key},
      {"--sign-pkcs12", &signing.pkcs12},
      {"--sign-password-env", &signing.password_env},
      {"--timestamp", &signing.timestamp_url},
      {"--threads", &threads},
  };
  const FlagOption kFlags[] = {{"--max", &max}};
  if (std::string problem = ParseArguments(args, kValued, kFlags, defines, project_file); !problem.empty())
    return Usage(problem.c_str());
  if (project_file.empty()) return Usage("no project file given");
  if (output.empty()) return Usage("no output file given (-o SETUP.exe)");
  if (signing.Wanted() || !signing.password_env.empty() || !signing.timestamp_url.empty()) {
    if (std::string problem = signing.Problem(); !problem.empty()) return Usage(problem.c_str());
  }
  fs::path engine_path = engine.empty() ? DefaultEngine(argv0) : fs::path(engine);

  std::string epoch_problem;
  ks::builder::BuildOptions options;
  options.threads = std::max(1u, std::thread::hardware_concurrency());
  if (!threads.empty()) {
    char* end = nullptr;
    unsigned long n = std::strtoul(threads.c_str(), &end, 10);
    if (*end || n < 1 || n > 256) return Usage("--threads takes a number from 1 to 256");
    options.threads = static_cast<unsigned>(n);
  }
  if (max) options.level = ks::kMaxDeflateLevel;
  ks::builder::BuildProgress progress(stderr);
  options.progress = [&progress](uint64_t done, uint64_t total) { progress.Update(done, total); };
  options.time_stamp = ks::builder::SourceDateEpoch(epoch_problem).value_or(ks::builder::kFixedBuildTime);
  if (!epoch_problem.empty()) {
    std::fprintf(stderr, "keldwick: %s\n", epoch_problem.c_str());
    return 1;
  }
  ks::builder::Project project;
  ks::builder::ProjectError perror;
  if (!ks::builder::LoadProject(project_file, project, perror, defines)) {
    std::fprintf(stderr, "%s\n", perror.Text().c_str());
    return 1;
  }
  for (const ks::builder::ProjectError& warning : project.warnings)
    std::fprintf(stderr, "%s\n", warning.WarningText().c_str());
  ks::Bytes engine_bytes;
  if (!ReadFile(engine_path, engine_bytes)) {
    std::fprintf(stderr, "keldwick: cannot read the engine %s\n", engine_path.string().c_str());
    return 1;
  }
  ks::Bytes installer;
  std::string error;
  bool built = ks::builder::BuildInstaller(project, engine_bytes, installer, error, options);
  progress.Done();
  if (!built) {
    std::fprintf(stderr, "keldwick: %s\n", error.c_str());
    return 1;
  }
  if (!signing.Wanted()) {
    if (!WriteFile(output, installer)) {
      std::fprintf(stderr, "keldwick: cannot write %s\n", output.c_str());
      return 1;
    }
  } else {
    // Signed beside the output, then renamed: a failed signing leaves no file.
    fs::path unsigned_file = output + ".unsigned";
    fs::path signed_file = output + ".partial";
    if (!WriteFile(unsigned_file, installer)) {
      std::fprintf(stderr, "keldwick: cannot write %s\n", unsigned_file.string().c_str());
      return 1;
    }
    signing.description = ks::Utf16ToUtf8(project.settings.ProductName);
    std::string no_epoch;
    signing.signing_time = ks::builder::SourceDateEpoch(no_epoch);
    std::error_code ec;
    bool ok = ks::builder::SignInstaller(signing, unsigned_file, signed_file, error);
    fs::remove(unsigned_file, ec);
    if (ok) fs::rename(signed_file, output, ec);
    if (!ok || ec) {
      fs::remove(signed_file, ec);
      std::fprintf(stderr, "keldwick: cannot sign %s: %s\n", output.c_str(), ok ? "rename failed" : error.c_str());
      return 1;
    }
  }
  std::printf("keldwick: wrote %s (%zu files, %zu bytes)\n", output.c_str(), project.files.size(),
              installer.size());
  return 0;
}

// Writes a starter project (keldwick.toml unless -o names another) for the
// files of FOLDER (the current folder's "files" sub-folder, else the current
// folder itself). Never overwrites.
int Init(const std::vector<std::string>& args) {
  std::string folder, output = "keldwick.toml";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
    else if (!args[i].empty() && args[i][0] == '-') return Usage(("unknown option " + args[i]).c_str());
    else if (folder.empty()) folder = args[i];
    else return Usage("init takes one folder");
  }
  std::error_code ec;
  if (folder.empty()) folder = fs::is_directory("files", ec) ? "files" : ".";
  if (!fs::is_directory(folder, ec)) {
    std::fprintf(stderr, "keldwick: %s is not a folder\n", folder.c_str());
    return 1;
  }
  if (fs::exists(output, ec)) {
    std::fprintf(stderr, "keldwick: %s exists already; give another name with -o\n", output.c_str());
    return 1;
  }
  fs::path project_dir = fs::path(output).parent_path();
  std::string text = ks::builder::StarterProject(folder, project_dir.empty() ? fs::path(".") : project_dir);
  if (!WriteFile(output, ks::Bytes(text.begin(), text.end()))) {
    std::fprintf(stderr, "keldwick: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("keldwick: wrote %s for the files in %s\n", output.c_str(), folder.c_str());
  return 0;
}

// Writes the package manifest set for an installer built from PROJECT.
int Manifest(const std::vector<std::string>& args) {
  std::string project_file, installer_path, folder = ".";
  ks::builder::ManifestInput input;
  ks::builder::Defines defines;
  const ValuedOption kValued[] = {
      {"--url", &input.installer_url}, {"--installer", &installer_path}, {"--id", &input.package_id},
      {"--license", &input.license},   {"-o", &folder},
  };
  if (std::string problem = ParseArguments(args, kValued, {}, defines, project_file); !problem.empty())
    return Usage(problem.c_str());
  if (project_file.empty() || input.installer_url.empty() || installer_path.empty())
    return Usage("manifest needs the project file, --url and --installer");
  ks::builder::Project project;
  ks::builder::ProjectError perror;
  if (!ks::builder::LoadProject(project_file, project, perror, defines)) {
    std::fprintf(stderr, "%s\n", perror.Text().c_str());
    return 1;
  }
  ks::Bytes installer;
  if (!ReadFile(installer_path, installer)) {
    std::fprintf(stderr, "keldwick: cannot read %s\n", installer_path.c_str());
    return 1;
  }
  input.installer_sha256 = ks::builder::Sha256Hex(installer);
  std::vector<ks::builder::ManifestFile> files;
  std::string problem;
  if (!ks::builder::ComposeManifest(project, input, files, problem)) {
    std::fprintf(stderr, "keldwick: %s\n", problem.c_str());
    return 1;
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  for (const auto& file : files) {
    fs::path path = fs::path(folder) / file.name;
    if (!WriteFile(path, ks::Bytes(file.text.begin(), file.text.end()))) {
      std::fprintf(stderr, "keldwick: cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("keldwick: wrote %s\n", path.string().c_str());
  }
  return 0;
}

int Inspect(const std::vector<std::string>& args) {
  std::string installer, folder;
  bool project = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--project") project = true;
    else if (args[i] == "-o" && i + 1 < args.size()) folder = args[++i];
    else if (!args[i].empty() && args[i][0] == '-') return Usage(("unknown option " + args[i]).c_str());
    else if (installer.empty()) installer = args[i];
    else return Usage("inspect takes one installer");
  }
  if (installer.empty()) return Usage("inspect takes one installer");
  if (project != !folder.empty()) return Usage("inspect --project needs -o FOLDER (and -o needs --project)");
  ks::Bytes image;
  if (!ReadFile(installer, image)) {
    std::fprintf(stderr, "keldwick: cannot read %s\n", installer.c_str());
    return 1;
  }
  std::string json, error;
  if (project) {
    if (!ks::builder::WriteProjectFromInstaller(image, folder, fs::path(installer).filename().string(), error)) {
      std::fprintf(stderr, "keldwick: %s: %s\n", installer.c_str(), error.c_str());
      return 1;
    }
    std::printf("keldwick: wrote %s\n", (fs::path(folder) / "project.toml").string().c_str());
    return 0;
  }
  if (!ks::builder::InspectInstaller(image, json, error)) {
    std::fprintf(stderr, "keldwick: %s: %s\n", installer.c_str(), error.c_str());
    return 1;
  }
  std::printf("%s\n", json.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(nullptr);
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "build") return Build(args, argv[0]);
  if (command == "inspect") return Inspect(args);
  if (command == "init") return Init(args);
  if (command == "manifest") return Manifest(args);
  if (command == "preview") return ks::builder::PreviewCommand(args, DefaultEngine(argv[0]));
  if (command == "--version" || command == "version") {
    std::printf("keldwick %s (engine %s)\n", kBuilderVersion, ks::kEngineVersion);
    return 0;
  }
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Usage(("unknown command " + command).c_str());
}
