#pragma once
// A thread of the program's own for calls that can block for as long as a file server keeps them (a
// share that stopped answering): one call at a time, and an event that is set while none runs. Closing
// waits a bounded time for a call still running, then leaves the thread behind, told to stop: that call
// ends whenever the system lets it, and nothing runs after it. What a call uses must be its own (held by
// shared ownership), since its caller may be gone by the time it ends.

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>

#include "win/sys/Handles.h"

namespace tvx {

class BoundedWorker {
 public:
  explicit BoundedWorker(DWORD closeWaitMilliseconds);
  ~BoundedWorker() { Close(); }
  BoundedWorker(const BoundedWorker&) = delete;
  BoundedWorker& operator=(const BoundedWorker&) = delete;

  // Starts `call` on the thread (made at the first call); false while the previous call still runs, or
  // after Close. `call` must not throw.
  bool Start(std::function<void()> call);
  // Set while no call runs (manual reset), for the caller's own wait.
  HANDLE Idle() const { return state_->idle.get(); }
  bool Busy() const { return ::WaitForSingleObject(Idle(), 0) != WAIT_OBJECT_0; }
  // Waits for a running call at most the close wait; true when the thread ended in that time.
  bool Close();

 private:
  struct State {
    UniqueHandle wake{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle idle{::CreateEventA(nullptr, TRUE, TRUE, nullptr)};
    std::mutex mutex;
    std::function<void()> call;  // the next call, under the mutex
    bool stop = false;           // under the mutex
  };
  static DWORD WINAPI ThreadProc(void* state);

  std::shared_ptr<State> state_ = std::make_shared<State>();
  UniqueHandle thread_;
  DWORD closeWait_;
  bool closed_ = false;
};

}  // namespace tvx
