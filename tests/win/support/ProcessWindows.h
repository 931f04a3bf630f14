#pragma once
// Finding another process's windows, for the tests and for the standalone programs that drive Tavrix.

#include <windows.h>

#include <string>

namespace tvx::test {

// A top-level window of the process with this class (any class when empty); with `shownOnly`, only one on
// screen.
inline HWND FindProcessWindow(DWORD processId, const char* className, bool shownOnly = false) {
  struct Search {
    DWORD processId;
    const char* className;
    bool shownOnly;
    HWND found;
  } search{processId, className, shownOnly, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != s->processId || (s->shownOnly && !::IsWindowVisible(window))) return TRUE;
        char name[64] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (s->className && *s->className && std::string(name) != s->className) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace tvx::test
