// The orderly exit every ordinary end of a run goes through.
#pragma once

namespace ks {

[[noreturn]] void OrderlyExit(int code);

}  // namespace ks
