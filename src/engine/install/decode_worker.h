// The payload's decoding thread: inflates the next chunk while the main thread
// writes the last one's files. It touches no window, log or file.
#pragma once
#include <windows.h>

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
  HANDLE go_ = nullptr, done_ = nullptr;  // auto-reset events
  std::function<void()> work_;
  bool busy_ = false;
  bool quit_ = false;
};

}  // namespace ks
