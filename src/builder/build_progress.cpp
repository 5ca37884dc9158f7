// Build progress on stderr.
#include "build_progress.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace ks::builder {

namespace {

// Small builds finish before a log line would say anything.
constexpr uint64_t kPlainLinesFrom = 16ull << 20;
constexpr int kBarWidth = 30;

}  // namespace

BuildProgress::BuildProgress(std::FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void BuildProgress::Update(uint64_t done, uint64_t total) {
  if (total == 0) return;
  int percent = static_cast<int>(done * 100 / total);
  double mib_done = double(done) / (1 << 20), mib_total = double(total) / (1 << 20);
  if (terminal_) {
    if (percent == shown_) return;
    shown_ = percent;
    char bar[kBarWidth + 1];
    int filled = percent * kBarWidth / 100;
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '-';
    bar[kBarWidth] = '\0';
    std::fprintf(out_, "\rkeldwick: [%s] %3d%%  %.1f of %.1f MiB", bar, percent, mib_done, mib_total);
    std::fflush(out_);
    return;
  }
  if (total < kPlainLinesFrom || percent < 25 || percent / 25 == shown_) return;
  shown_ = percent / 25;
  std::fprintf(out_, "keldwick: %d%% of the payload (%.1f of %.1f MiB)\n", shown_ * 25, mib_done, mib_total);
}

void BuildProgress::Done() {
  if (terminal_ && shown_ >= 0) std::fputc('\n', out_);
}

}  // namespace ks::builder
