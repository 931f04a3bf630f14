#pragma once
// The exports of TAVRIXHK.DLL: the first three bound by name at load time, the others when the program
// first asks for them (win/app/HookExports.h).

#include <cstdint>

namespace tvx {
struct TableSets;
}

#ifdef TAVRIXHK_BUILD
#define TAVRIXHK_API extern "C"  // exported by the .def file alone
#else
#define TAVRIXHK_API extern "C" __declspec(dllimport)
#endif

TAVRIXHK_API std::uint32_t TavrixHookInit();
TAVRIXHK_API std::uint32_t TavrixMsgHookInit();
TAVRIXHK_API void TavrixHookTerm(std::uint32_t hookHandle);

// Pauses (non-zero) or resumes every mapping. The library reads the flag once per key; a start is
// never paused.
TAVRIXHK_API void TavrixHookPause(std::uint32_t paused);

// Publishes the per-application table sets, in the program's memory (the hook runs on a thread of the
// library inside the program), or none: the shared areas for every window, as without bindings. The
// library reads the pointer once per key, beside the pause. 1 when no key reads the sets published
// before any more, so the program may free them; 0 when that could not be made sure (keep them).
TAVRIXHK_API std::uint32_t TavrixHookSetTables(const tvx::TableSets* sets);

// On (non-zero): the next key the user presses, before any key remap, is swallowed with its repeats and
// release and posted to the main window as KeyPickedMessage; then picking is off again. Off: no key is
// picked.
TAVRIXHK_API void TavrixHookPickKey(std::uint32_t on);

// What the library posts to the main window: core/hook/Messages.h.
