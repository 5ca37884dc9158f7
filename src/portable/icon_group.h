// An icon file (.ico) as the resources that carry it in a program: one image
// resource per picture and the group resource that lists them.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "bytes.h"

namespace ks {

struct IconGroup {
  Bytes group;                                  // the group resource's data
  std::vector<std::span<const uint8_t>> images; // image i gets the id first_id + i
};

// Empty when the file is not an icon file or an image lies outside it.
// The spans point into `ico`.
std::optional<IconGroup> IconGroupFromFile(std::span<const uint8_t> ico, uint16_t first_id);

}  // namespace ks
