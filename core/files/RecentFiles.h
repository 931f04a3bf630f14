#pragma once
// The recent-files list of the File menu: the five mapping files most recently left, newest first.

#include <array>
#include <string>

#include "core/common/ShortString.h"

namespace tvx {

using RecentFiles = std::array<ShortString, 5>;  // an empty entry holds no file

// `newName` becomes current in place of `oldName`: the first entry equal to `newName` byte for byte
// leaves the list, the rest move down one place and `oldName` enters at the head.
void UpdateRecentFiles(RecentFiles& list, const ShortString& oldName, const ShortString& newName);

// The menu caption of entry `number` (1 to 5): "&" + the digit + three spaces + the name.
std::string RecentFileCaption(int number, const ShortString& name);

// Whether a chosen name ends in ".TVX", in any letter case.
bool HasTavrixExtension(const ShortString& name);

}  // namespace tvx
