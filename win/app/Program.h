#pragma once
// Program-wide state: one of each for the whole run. Only win/app reads it; the parts below are each
// handed what they need.

#include <cstdint>

#include "core/common/ShortString.h"
#include "core/settings/Settings.h"
#include "win/ui/Form.h"

namespace tvx {

extern TSettings Settings;
extern ShortString ProgramDir;
extern bool BrowseOnly;      // "/B": no table edits, no New File, no Network options
extern bool FullBrowseOnly;  // "/BA": as BrowseOnly, and no file, print, tray or help commands
extern bool Paused;          // every mapping paused; kept in no file, so a start is never paused
extern std::int32_t ScreenWidth;
extern std::int32_t ScreenHeight;

// Whether each dialog is on screen, read from the register of open dialogs (ModalForm), which also
// answers whether any dialog shows (the tray keeps the window up then) and closes them all.
bool AboutShowing();
bool SelectCharacterShowing();
bool HotKeyActionShowing();
bool NetworkConsiderationsShowing();
bool UserManualShowing();
bool OtherProductsShowing();
bool CheckHotKeysShowing();
bool ApplicationMappingsShowing();

// What a dialog is given when it opens: the screen as measured at start-up.
DialogContext Dialog();

}  // namespace tvx
