#pragma once
// What the conflict check needs to know of this machine: the installed keyboard layouts and whether
// another program holds a combination.

#include <windows.h>

#include <span>
#include <vector>

#include "core/hook/HotKeyConflicts.h"

namespace tvx {

std::vector<LayoutFacts> InstalledLayouts();

// Registers the combination on `window` and gives it back at once: a refusal means another program holds
// it, on any key that stands for the row in one of the layouts.
bool RegisteredElsewhere(HWND window, const HotKeyCombination& combination,
                         std::span<const LayoutFacts> layouts, const RemapAreaView& remap);

}  // namespace tvx
