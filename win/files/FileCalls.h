#pragma once
// Every call on a mapping file or a sync file runs on one worker thread of the program's; the
// user-interface thread waits for it at most 5 s with a wait that keeps the window answering. The worker
// sees one call at a time. A call still running when the wait gives up goes on: its late answer is handed
// to what the caller left for it, on the worker. What the calls use (the file access, the clock, the sync
// session) is held by them too, so a call left behind at close never touches what is gone.

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "core/files/SyncFile.h"
#include "win/files/Win32Clock.h"
#include "win/files/Win32FileAccess.h"
#include "win/sys/BoundedWorker.h"
#include "win/ui/PumpingWait.h"

namespace tvx {

inline constexpr DWORD FileCallWaitMilliseconds = 5000;
// Set on the waiting window while its wait runs, so that a tool driving the window (the tests) can tell a
// round trip answered by the wait from one answered after the call.
inline constexpr char FileCallProperty[] = "TavrixFileCall";
inline constexpr DWORD FileCallCloseMilliseconds = 2000;

class TFileCalls {
 public:
  // What the calls work with, on the worker only.
  struct Parts {
    Win32FileAccess files;
    Win32Clock clock;
    SyncSession sync{files, clock, MachineAndProcess()};
  };

  // Runs `call` on the worker and waits for it (see PumpingWait; `owner` is the main window). Nothing
  // when an earlier call still runs, or when this one did not end in 5 s: `late`, if given, then gets
  // its answer on the worker once it comes. An error the call raised is raised here.
  template <typename Result>
  std::optional<Result> Run(HWND owner, std::function<Result(Parts&)> call,
                            std::function<void(Parts&, Result&)> late = nullptr) {
    struct Slot {
      std::atomic<int> phase{Waiting};
      std::optional<Result> result;
      std::exception_ptr error;
    };
    auto slot = std::make_shared<Slot>();
    const bool started =
        worker_.Start([slot, parts = parts_, call = std::move(call), late = std::move(late)] {
          try {
            slot->result = call(*parts);
          } catch (...) {
            slot->error = std::current_exception();
          }
          if (slot->phase.exchange(Answered) != Abandoned || !late || !slot->result) return;
          try {
            late(*parts, *slot->result);
          } catch (...) {
            // Nobody is left to tell; the lock goes stale and is taken over as a dead machine's.
          }
        });
    if (!started) return std::nullopt;
    ::SetPropA(owner, FileCallProperty, reinterpret_cast<HANDLE>(1));
    const bool answered = PumpingWait(worker_.Idle(), FileCallWaitMilliseconds, owner);
    ::RemovePropA(owner, FileCallProperty);
    if (!answered && slot->phase.exchange(Abandoned) != Answered) return std::nullopt;
    if (slot->error) std::rethrow_exception(slot->error);
    return std::move(slot->result);
  }

  // A call still running (one left behind by an earlier wait).
  bool Busy() const { return worker_.Busy(); }
  // At close: waits at most 2 s for a call still running, then leaves it behind.
  void Close() { worker_.Close(); }

 private:
  enum Phase { Waiting, Answered, Abandoned };
  std::shared_ptr<Parts> parts_ = std::make_shared<Parts>();
  BoundedWorker worker_{FileCallCloseMilliseconds};
};

}  // namespace tvx
