// Authenticode signing of a built installer through osslsigncode.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace ks::builder {

struct SigningOptions {
  std::string certificate, key;  // PEM or DER files, or
  std::string pkcs12;            // one PKCS#12 file holding both
  std::string password_env;      // environment variable holding the key's password
  std::string timestamp_url;     // RFC 3161 time-stamp server; empty: none
  std::string description;       // shown by the system's consent dialog
  std::optional<int64_t> signing_time;  // seconds since 1970; unset: now

  bool Wanted() const { return !certificate.empty() || !key.empty() || !pkcs12.empty(); }
  // Empty when the combination can sign; else what is missing.
  std::string Problem() const;
};

// Signs `in` into `out` (SHA-256). False with `error` (the tool's own words
// included) when signing failed; `out` is then removed.
bool SignInstaller(const SigningOptions& options, const std::filesystem::path& in,
                   const std::filesystem::path& out, std::string& error);

}  // namespace ks::builder
