#pragma once
// The exports of TAVRIXHK.DLL beyond the three every version of it has, bound by name when first asked
// for: a library without them still starts the program, with the pause and the application mappings off.

#include "win/hook/TavrixHook.h"

namespace tvx {

// Null where the library lacks the export.
decltype(::TavrixHookPause)* HookPause();
decltype(::TavrixHookSetTables)* HookSetTables();
// TavrixHookPickKey: while on, the next key pressed comes to the main window as KeyPickedMessage.
void (*HookPickKey())(std::uint32_t on);

}  // namespace tvx
