#pragma once
// The exports of TAVRIXHK.DLL, bound by name at load time.

#include <cstdint>

#ifdef TAVRIXHK_BUILD
#define TAVRIXHK_API extern "C" __declspec(dllexport)
#else
#define TAVRIXHK_API extern "C" __declspec(dllimport)
#endif

TAVRIXHK_API std::uint32_t TavrixHookInit();
TAVRIXHK_API std::uint32_t TavrixMsgHookInit();
TAVRIXHK_API void TavrixHookTerm(std::uint32_t hookHandle);

// Pauses (non-zero) or resumes every mapping. The library reads the flag once per key; a start is
// never paused.
TAVRIXHK_API void TavrixHookPause(std::uint32_t paused);

// Posted by the library to the main window when Ctrl+Alt+Scroll Lock turned the pause over: WParam 1
// paused, 0 resumed. WM_USER + 4, beside the WM_USER + 1 of a hot key.
inline constexpr unsigned PauseChangedMessage = 0x0400 + 4;
