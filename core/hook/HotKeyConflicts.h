#pragma once
// Whether a hot key takes something the user needs: a character a keyboard layout types with AltGr
// (Ctrl+Alt), another program's registered hot key, or a shortcut of Windows itself. Pure: the facts
// about the layouts and the registration probe come from the caller.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/hook/KeyLayout.h"
#include "core/keymap/Areas.h"
#include "core/keymap/CellCharacters.h"

namespace tvx {

// A character as UTF-16 and in the ANSI code page (0 where the code page lacks it).
struct TypedCharacter {
  char16_t unicode = 0;
  std::uint8_t ansi = 0;
  friend bool operator==(const TypedCharacter&, const TypedCharacter&) = default;
};

// What one installed keyboard layout does.
struct LayoutFacts {
  std::string name;
  // Built from VkKeyScanEx of every ANSI character, exactly as the hook builds its own.
  KeyLayout keys;
  // What each virtual key types with Ctrl+Alt held (AltGr); 0 for nothing.
  std::array<TypedCharacter, 256> ctrlAlt{};
};

struct HotKeyCombination {
  int category;  // KeyCategory
  int column;    // ModifierColumn
  int row;
};

// Windows 10 and 11 shortcuts that the reserved cells leave free, with what each does.
struct WindowsShortcut {
  KeyCategory category;
  ModifierColumn column;
  std::string_view key;  // the row's label
  std::string_view use;  // completes "Windows uses <combination> to ..."
};
std::span<const WindowsShortcut> WindowsShortcuts();

enum class ConflictKind { Layout, OtherProgram, Windows };
struct HotKeyConflict {
  ConflictKind kind;
  std::string layout;    // Layout: the layout's name
  TypedCharacter typed;  // Layout: the character the combination types there
  std::string_view use;  // Windows: what the shortcut does
  friend bool operator==(const HotKeyConflict&, const HotKeyConflict&) = default;
};

// The virtual keys that stand for the combination's row in a layout, as the hook matches them.
std::vector<std::uint8_t> KeysOfRow(const HotKeyCombination& combination, const RemapAreaView& remap,
                                    const KeyLayout& layout);

// `registeredElsewhere`: the registration probe found the combination taken. A combination Windows uses
// is reported as Windows', since Windows itself holds some of its shortcuts as registered hot keys.
std::vector<HotKeyConflict> FindConflicts(const HotKeyCombination& combination,
                                          std::span<const LayoutFacts> layouts, const RemapAreaView& remap,
                                          bool registeredElsewhere);

// "Ctrl+Alt+7": the column's caption, "+", and the row's key as the grid shows it.
std::string CombinationText(const HotKeyCombination& combination);
std::string ConflictLine(const HotKeyCombination& combination, const HotKeyConflict& conflict);
// The text of the warning shown before a hot key with conflicts is set.
std::string ConflictWarning(const HotKeyCombination& combination, std::span<const HotKeyConflict> conflicts);

// Every hot key the tables hold, checked, those set to a character beyond the record or a text in
// `characters` among them: one line per hot key with conflicts ("<combination>: " and its conflict lines),
// in category, column and row order. `probe` tells whether a combination is registered elsewhere.
using RegistrationProbe = std::function<bool(const HotKeyCombination&)>;
std::vector<std::string> CheckHotKeys(const HotKeyAreaView& hotKeys, const MappingCharacters& characters,
                                      const RemapAreaView& remap, std::span<const LayoutFacts> layouts,
                                      const RegistrationProbe& probe);
inline constexpr char NoConflictsFound[] = "No conflicts found.";

}  // namespace tvx
