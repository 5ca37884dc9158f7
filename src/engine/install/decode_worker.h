// The payload's decoding thread: inflates the next chunks while the main thread
// writes the last one's files. It touches no window, log or file.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>

#include "portable/payload.h"

namespace ks {

class DecodeWorker final : public BackgroundWork {
 public:
  DecodeWorker();
  ~DecodeWorker();
  DecodeWorker(const DecodeWorker&) = delete;
  DecodeWorker& operator=(const DecodeWorker&) = delete;

  // False when the thread could not be started: decode on the caller's thread.
  bool Running() const { return thread_ != nullptr; }
  void Start(std::function<void()> work) override;
  void Wait() override;

 private:
  static DWORD WINAPI Main(void* self);

  HANDLE thread_ = nullptr;
  // Semaphores: one count per piece started, one per piece done. The thread
  // sleeps in the wait, so a hand-over costs no polling.
  HANDLE go_ = nullptr, done_ = nullptr;
  CRITICAL_SECTION lock_;  // guards queue_ and quit_
  std::deque<std::function<void()>> queue_;
  size_t started_ = 0;  // pieces started and not yet waited for (caller's thread only)
  bool quit_ = false;
};

}  // namespace ks
