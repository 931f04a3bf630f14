#pragma once
// The exports of TAVRIXHK.DLL beyond the three every version of it has, bound by name when first asked
// for: a library without them still starts the program, with the pause, the application mappings and
// picking a key by pressing it off.

#include "win/hook/TavrixHook.h"

namespace tvx {

// Null where the library lacks the export.
decltype(::TavrixHookPause)* HookPause();
decltype(::TavrixHookSetTables)* HookSetTables();
decltype(::TavrixHookPickKey)* HookPickKey();

}  // namespace tvx
