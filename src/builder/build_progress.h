// How far a build is, on stderr: a bar redrawn in place on a terminal, a few
// plain lines when the output goes to a log.
#pragma once
#include <cstdint>
#include <cstdio>

namespace ks::builder {

class BuildProgress {
 public:
  explicit BuildProgress(std::FILE* out);
  // Plain bytes read so far and in all.
  void Update(uint64_t done, uint64_t total);
  // Ends the bar's line.
  void Done();

 private:
  std::FILE* out_;
  bool terminal_;
  int shown_ = -1;  // the last percentage (terminal) or quarter (log) printed
};

}  // namespace ks::builder
