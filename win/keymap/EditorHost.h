#pragma once
// What the two editor pages need of the window that hosts them: the tables, the edit lock of network
// mode around every edit, saving, and the dialogs' context.

#include <windows.h>

#include <functional>

#include "core/hook/HotKeyConflicts.h"
#include "core/keymap/Areas.h"
#include "core/keymap/CellCharacters.h"
#include "win/ui/Form.h"

namespace tvx {

class EditorHost {
 public:
  virtual HotKeyAreaView HotKeys() const = 0;
  virtual RemapAreaView Remaps() const = 0;
  // The current file's characters beyond the record. An edit that stores a value of the table clears the
  // cell's character, so that the record keeps its fallback only where the extension has a character.
  virtual MappingCharacters& Characters() = 0;
  // Whether the hook library can take them (an older one cannot): only then are they offered.
  virtual bool OffersCharacters() const = 0;
  // "/B" or "/BA": the tables are shown, never edited.
  virtual bool BrowsingOnly() const = 0;
  // True when the edit must not go ahead (the user has been told); otherwise the lock is held until
  // EditUnderLock or ReleaseSyncFile gives it back.
  virtual bool FileInUse() = 0;
  // Runs one edit (a dialog, then storing and saving; true when it stored an entry) and gives the lock back.
  virtual void EditUnderLock(const std::function<bool()>& edit) = 0;
  virtual void ReleaseSyncFile(int changed) = 0;
  // Saves the current file after an edit; false when the edit must not count as saved.
  virtual bool SaveEdit() = 0;
  // Warns of what the hot key would take from the user; true to set it.
  virtual bool ConfirmHotKey(const HotKeyCombination& combination) = 0;
  virtual void SaveSettings() = 0;
  // What the dialog of an edit is given.
  virtual DialogContext EditDialog() = 0;

 protected:
  ~EditorHost() = default;
};

// Where a page goes: onto its panel of `form`, laid out by `layout`.
struct PageSite {
  HWND form;
  FormLayout& layout;
};

}  // namespace tvx
