// The payload's decoding thread.
#include "install/decode_worker.h"

namespace ks {

DecodeWorker::DecodeWorker() {
  go_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (go_ && done_) thread_ = CreateThread(nullptr, 0, &DecodeWorker::Main, this, 0, nullptr);
}

DecodeWorker::~DecodeWorker() {
  if (thread_) {
    Wait();
    quit_ = true;
    SetEvent(go_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (go_) CloseHandle(go_);
  if (done_) CloseHandle(done_);
}

void DecodeWorker::Start(std::function<void()> work) {
  Wait();
  if (!thread_) {
    work();
    return;
  }
  work_ = std::move(work);
  busy_ = true;
  SetEvent(go_);
}

void DecodeWorker::Wait() {
  if (!busy_) return;
  WaitForSingleObject(done_, INFINITE);
  busy_ = false;
}

DWORD WINAPI DecodeWorker::Main(void* self) {
  auto* worker = static_cast<DecodeWorker*>(self);
  for (;;) {
    WaitForSingleObject(worker->go_, INFINITE);
    if (worker->quit_) return 0;
    worker->work_();
    worker->work_ = nullptr;
    SetEvent(worker->done_);
  }
}

}  // namespace ks
