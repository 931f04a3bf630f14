#include "win/sys/BoundedWorker.h"

namespace tvx {

BoundedWorker::BoundedWorker(DWORD closeWaitMilliseconds) : closeWait_(closeWaitMilliseconds) {}

// The thread holds the state too: left behind, it still has its events and its call.
DWORD WINAPI BoundedWorker::ThreadProc(void* param) {
  const std::unique_ptr<std::shared_ptr<State>> own(static_cast<std::shared_ptr<State>*>(param));
  State& state = **own;
  for (;;) {
    std::function<void()> call;
    {
      const std::lock_guard<std::mutex> lock(state.mutex);
      std::swap(call, state.call);
      if (!call && state.stop) return 0;
    }
    if (!call) {
      ::WaitForSingleObject(state.wake.get(), INFINITE);
      continue;
    }
    call();
    ::SetEvent(state.idle.get());
  }
}

bool BoundedWorker::Start(std::function<void()> call) {
  if (closed_ || Busy()) return false;
  if (!thread_) {
    auto* param = new std::shared_ptr<State>(state_);
    thread_.reset(::CreateThread(nullptr, 0, &BoundedWorker::ThreadProc, param, 0, nullptr));
    if (!thread_) {
      delete param;
      return false;
    }
  }
  ::ResetEvent(state_->idle.get());
  {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->call = std::move(call);
  }
  ::SetEvent(state_->wake.get());
  return true;
}

bool BoundedWorker::Close() {
  if (closed_) return true;
  closed_ = true;
  if (!thread_) return true;
  {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stop = true;
  }
  ::SetEvent(state_->wake.get());
  const bool ended = ::WaitForSingleObject(thread_.get(), closeWait_) == WAIT_OBJECT_0;
  thread_.reset();
  return ended;
}

}  // namespace tvx
