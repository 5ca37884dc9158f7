// SHA-256 of a byte string, for the installer hash that package manifests carry.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace ks::builder {

std::array<uint8_t, 32> Sha256(std::span<const uint8_t> data);
// Upper-case hexadecimal, as package manifests write it.
std::string Sha256Hex(std::span<const uint8_t> data);

}  // namespace ks::builder
