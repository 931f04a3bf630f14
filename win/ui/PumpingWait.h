#pragma once
// The user-interface thread waiting for a call that runs elsewhere, without freezing: it keeps painting,
// answering the tray and carrying out the hook library's key actions.

#include <windows.h>

namespace tvx {

// Waits for `event` at most `milliseconds`, dispatching the thread's messages meanwhile. User input that
// would start something in `owner` or the windows it owns (a press, a click, a character) is dropped, and the
// owner's commands, timers and close are held back and posted again when the wait ends, so nothing of the
// owner's starts while the call runs. True when `event` was set in time.
bool PumpingWait(HANDLE event, DWORD milliseconds, HWND owner);

}  // namespace tvx
