// The payload's decoding thread.
#include "install/decode_worker.h"

namespace ks {

DecodeWorker::DecodeWorker() {
  InitializeCriticalSection(&lock_);
  go_ = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
  done_ = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
  if (go_ && done_) thread_ = CreateThread(nullptr, 0, &DecodeWorker::Main, this, 0, nullptr);
}

DecodeWorker::~DecodeWorker() {
  if (thread_) {
    while (started_) Wait();
    EnterCriticalSection(&lock_);
    quit_ = true;
    LeaveCriticalSection(&lock_);
    ReleaseSemaphore(go_, 1, nullptr);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (go_) CloseHandle(go_);
  if (done_) CloseHandle(done_);
  DeleteCriticalSection(&lock_);
}

void DecodeWorker::Start(std::function<void()> work) {
  if (!thread_) {
    work();
    return;
  }
  EnterCriticalSection(&lock_);
  queue_.push_back(std::move(work));
  LeaveCriticalSection(&lock_);
  ++started_;
  ReleaseSemaphore(go_, 1, nullptr);
}

void DecodeWorker::Wait() {
  if (!started_) return;
  // One thread runs the pieces in order: the next "done" is the oldest piece's.
  WaitForSingleObject(done_, INFINITE);
  --started_;
}

DWORD WINAPI DecodeWorker::Main(void* self) {
  auto* worker = static_cast<DecodeWorker*>(self);
  for (;;) {
    WaitForSingleObject(worker->go_, INFINITE);
    EnterCriticalSection(&worker->lock_);
    if (worker->queue_.empty()) {  // only the quit signal comes without work
      bool quit = worker->quit_;
      LeaveCriticalSection(&worker->lock_);
      if (quit) return 0;
      continue;
    }
    std::function<void()> work = std::move(worker->queue_.front());
    worker->queue_.pop_front();
    LeaveCriticalSection(&worker->lock_);
    work();
    ReleaseSemaphore(worker->done_, 1, nullptr);
  }
}

}  // namespace ks
