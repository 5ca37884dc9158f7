// Signing through osslsigncode; the password travels in a private file,
// never on a command line others can read.
#include "sign.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "run_program.h"

namespace ks::builder {

namespace fs = std::filesystem;

std::string SigningOptions::Problem() const {
  if (!pkcs12.empty() && (!certificate.empty() || !key.empty()))
    return "--sign-pkcs12 holds certificate and key: give it alone, or --sign-cert with --sign-key";
  if (pkcs12.empty() && (certificate.empty() || key.empty()))
    return "signing needs --sign-cert and --sign-key, or --sign-pkcs12";
  if (!password_env.empty() && !std::getenv(password_env.c_str()))
    return "the environment variable " + password_env + " (--sign-password-env) is not set";
  return {};
}

bool SignInstaller(const SigningOptions& options, const fs::path& in, const fs::path& out, std::string& error) {
  std::vector<std::string> argv = {"osslsigncode", "sign", "-h", "sha256"};
  if (!options.pkcs12.empty()) {
    argv.insert(argv.end(), {"-pkcs12", options.pkcs12});
  } else {
    argv.insert(argv.end(), {"-certs", options.certificate, "-key", options.key});
  }
  fs::path pass_file;
  if (!options.password_env.empty()) {
    pass_file = out;
    pass_file += ".pass";
    std::error_code ec;
    fs::remove(pass_file, ec);
    {
      std::ofstream f(pass_file, std::ios::binary);
      fs::permissions(pass_file, fs::perms::owner_read | fs::perms::owner_write, ec);
      f << std::getenv(options.password_env.c_str());
      if (!f.flush()) {
        error = "cannot write the password file " + pass_file.string();
        return false;
      }
    }
    argv.insert(argv.end(), {"-readpass", pass_file.string()});
  }
  if (!options.description.empty()) argv.insert(argv.end(), {"-n", options.description});
  if (!options.timestamp_url.empty()) argv.insert(argv.end(), {"-ts", options.timestamp_url});
  if (options.signing_time) argv.insert(argv.end(), {"-time", std::to_string(*options.signing_time)});
  argv.insert(argv.end(), {"-in", in.string(), "-out", out.string()});

  std::error_code ec;
  fs::remove(out, ec);  // osslsigncode refuses to overwrite
  std::string output;
  int code = RunProgram(argv, output);
  if (!pass_file.empty()) fs::remove(pass_file, ec);
  if (code == 0) return true;
  fs::remove(out, ec);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  error = code < 0 ? "cannot start osslsigncode (install it: apt-get install osslsigncode)"
                   : "osslsigncode failed (exit code " + std::to_string(code) + "): " + output;
  return false;
}

}  // namespace ks::builder
