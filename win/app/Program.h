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

// One flag per dialog, true while it is on screen (the tray keeps the window up while one shows).
struct DialogShowingFlags {
  bool AboutShowing = false;
  bool SelectCharacterShowing = false;
  bool HotKeyActionShowing = false;
  bool NetworkConsiderationsShowing = false;
  bool UserManualShowing = false;
  bool OtherProductsShowing = false;
  bool CheckHotKeysShowing = false;
  bool ApplicationMappingsShowing = false;
  bool Any() const {
    return AboutShowing || SelectCharacterShowing || HotKeyActionShowing || NetworkConsiderationsShowing ||
           UserManualShowing || OtherProductsShowing || CheckHotKeysShowing || ApplicationMappingsShowing;
  }
};
extern DialogShowingFlags Showing;

// What a dialog is given when it opens: its showing flag and the screen as measured at start-up.
DialogContext Dialog(bool DialogShowingFlags::*showing);

}  // namespace tvx
