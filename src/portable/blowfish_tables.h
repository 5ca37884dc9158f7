// Blowfish's initial P-array and S-boxes: the hexadecimal digits of pi's
// fractional part, in order (P first, then S-boxes 0 to 3).
#pragma once
#include <cstdint>

namespace ks {

extern const uint32_t kBlowfishInitP[18];
extern const uint32_t kBlowfishInitS[4][256];

}  // namespace ks
