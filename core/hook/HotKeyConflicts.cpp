#include "core/hook/HotKeyConflicts.h"

#include <algorithm>
#include <cstdio>

#include "core/hook/KeyDecision.h"
#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

constexpr std::array<std::string_view, ModifierColumnCount> ColumnCaptions{
    "Alt", "Ctrl", "Win", "Ctrl+Alt", "Ctrl+Win", "Alt+Win", "Alt+Shift"};

// Shortcuts of Windows 10 and 11 that users rely on; those of the reserved cells are left out.
constexpr WindowsShortcut Shortcuts[] = {
    {Alphabetic, Win, "A", "open the quick settings"},
    {Alphabetic, Win, "B", "move the focus to the notification area"},
    {Alphabetic, Win, "C", "open Copilot"},
    {Alphabetic, Win, "G", "open the Game Bar"},
    {Alphabetic, Win, "H", "start voice typing"},
    {Alphabetic, Win, "I", "open Settings"},
    {Alphabetic, Win, "K", "open Cast"},
    {Alphabetic, Win, "L", "lock the computer"},
    {Alphabetic, Win, "N", "open the notification centre"},
    {Alphabetic, Win, "O", "lock the screen orientation"},
    {Alphabetic, Win, "P", "choose a presentation display mode"},
    {Alphabetic, Win, "Q", "open search"},
    {Alphabetic, Win, "S", "open search"},
    {Alphabetic, Win, "T", "cycle through the apps on the taskbar"},
    {Alphabetic, Win, "U", "open the accessibility settings"},
    {Alphabetic, Win, "V", "open the clipboard history"},
    {Alphabetic, Win, "W", "open the widgets"},
    {Alphabetic, Win, "X", "open the quick link menu"},
    {Alphabetic, Win, "Z", "open the snap layouts"},
    {Punctuation, Win, ".", "open the emoji panel"},
    {Punctuation, Win, ";", "open the emoji panel"},
    {Punctuation, Win, ",", "peek at the desktop"},
    {Punctuation, Win, "=", "zoom in with the Magnifier"},
    {Punctuation, Win, "-", "zoom out with the Magnifier"},
    {Editing, Win, "PrtScr", "save a screenshot"},
    {Editing, Win, "Pause", "show the system information"},
    {Editing, Win, "Home", "minimise all but the active window"},
    {Editing, Win, "UpA", "maximise the window"},
    {Editing, Win, "DownA", "minimise the window"},
    {Editing, Win, "LeftA", "snap the window to the left"},
    {Editing, Win, "RightA", "snap the window to the right"},
    {Editing, Win, "KeyP +", "zoom in with the Magnifier"},
    {Editing, Win, "KeyP -", "zoom out with the Magnifier"},
    {Alphabetic, CtrlWin, "C", "turn the colour filters on or off"},
    {Alphabetic, CtrlWin, "D", "add a virtual desktop"},
    {Alphabetic, CtrlWin, "N", "open the Narrator settings"},
    {Alphabetic, CtrlWin, "O", "open the on-screen keyboard"},
    {Alphabetic, CtrlWin, "Q", "start Quick Assist"},
    {Alphabetic, CtrlWin, "S", "start speech recognition"},
    {Alphabetic, CtrlWin, "V", "open the sound output settings"},
    {FunctionKeys, CtrlWin, "F4", "close the virtual desktop"},
    {Editing, CtrlWin, "LeftA", "switch to the virtual desktop on the left"},
    {Editing, CtrlWin, "RightA", "switch to the virtual desktop on the right"},
    {Editing, CtrlWin, "Enter", "turn Narrator on or off"},
    {Alphabetic, AltWin, "D", "show the date and time on the taskbar"},
    {Alphabetic, AltWin, "G", "record the last moments of a game"},
    {Alphabetic, AltWin, "K", "turn the microphone on or off"},
    {Alphabetic, AltWin, "R", "start or stop recording a game"},
    {Alphabetic, AltWin, "T", "show or hide the recording timer"},
    {Editing, AltWin, "PrtScr", "save a screenshot of a game"},
    {FunctionKeys, Alt, "F4", "close the active window"},
    {Editing, Alt, "PrtScr", "copy a picture of the active window"},
    {Editing, AltShift, "PrtScr", "turn high contrast on or off"},
};

const WindowsShortcut* WindowsShortcutOf(const HotKeyCombination& combination) {
  const std::string_view key = RowLabelView(combination.category, combination.row);
  for (const WindowsShortcut& shortcut : Shortcuts)
    if (shortcut.category == combination.category && shortcut.column == combination.column &&
        shortcut.key == key)
      return &shortcut;
  return nullptr;
}

// Control characters (Ctrl+Alt+Enter gives a line feed, Ctrl+Alt+Backspace a delete) are no character the
// user types.
bool Typed(const TypedCharacter& c) { return c.unicode >= 32 && c.unicode != 0x7F; }

std::string TypedText(const TypedCharacter& c) {
  if (c.ansi != 0) return std::string(1, static_cast<char>(c.ansi));
  char text[8];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c.unicode));
  return text;
}

}  // namespace

std::span<const WindowsShortcut> WindowsShortcuts() { return Shortcuts; }

std::vector<std::uint8_t> KeysOfRow(const HotKeyCombination& combination, const RemapAreaView& remap,
                                    const KeyLayout& layout) {
  std::vector<std::uint8_t> keys;
  const HotKeyTable* table = TableByCategory(combination.category);
  if (!table) return keys;
  const HotKeyCell cell{table->tableNumber, combination.row};
  for (int vk = 1; vk < 256; ++vk)
    if (HotKeyCellOf(static_cast<std::uint8_t>(vk), remap, layout) == cell)
      keys.push_back(static_cast<std::uint8_t>(vk));
  return keys;
}

std::vector<HotKeyConflict> FindConflicts(const HotKeyCombination& combination,
                                          std::span<const LayoutFacts> layouts, const RemapAreaView& remap,
                                          bool registeredElsewhere) {
  std::vector<HotKeyConflict> conflicts;
  // Ctrl+Alt is AltGr wherever a layout has AltGr characters; no other column types one.
  if (combination.column == CtrlAlt) {
    for (const LayoutFacts& layout : layouts) {
      std::vector<char16_t> seen;
      for (std::uint8_t vk : KeysOfRow(combination, remap, layout.keys)) {
        const TypedCharacter& typed = layout.ctrlAlt[vk];
        if (!Typed(typed) || std::find(seen.begin(), seen.end(), typed.unicode) != seen.end()) continue;
        seen.push_back(typed.unicode);
        conflicts.push_back({ConflictKind::Layout, layout.name, typed, {}});
      }
    }
  }
  if (const WindowsShortcut* shortcut = WindowsShortcutOf(combination))
    conflicts.push_back({ConflictKind::Windows, {}, {}, shortcut->use});
  else if (registeredElsewhere)
    conflicts.push_back({ConflictKind::OtherProgram, {}, {}, {}});
  return conflicts;
}

std::string CombinationText(const HotKeyCombination& combination) {
  if (combination.column < 1 || combination.column > ModifierColumnCount) return {};
  return std::string(ColumnCaptions[combination.column - 1]) + "+" +
         RowLabel(combination.category, combination.row);
}

std::string ConflictLine(const HotKeyCombination& combination, const HotKeyConflict& conflict) {
  const std::string text = CombinationText(combination);
  switch (conflict.kind) {
    case ConflictKind::Layout:
      return "In the keyboard layout " + conflict.layout + ", " + text + " types \"" +
             TypedText(conflict.typed) + "\".";
    case ConflictKind::OtherProgram:
      return "Another running program uses " + text + ".";
    case ConflictKind::Windows:
      return "Windows uses " + text + " to " + std::string(conflict.use) + ".";
  }
  return {};
}

std::string ConflictWarning(const HotKeyCombination& combination, std::span<const HotKeyConflict> conflicts) {
  std::string text = CombinationText(combination) + " is used elsewhere:\n";
  for (const HotKeyConflict& conflict : conflicts) text += ConflictLine(combination, conflict) + "\n";
  return text + "\nUse this hot key anyway?";
}

std::vector<std::string> CheckHotKeys(const HotKeyAreaView& hotKeys, const MappingCharacters& characters,
                                      const RemapAreaView& remap, std::span<const LayoutFacts> layouts,
                                      const RegistrationProbe& probe) {
  std::vector<std::string> lines;
  for (int category = Alphabetic; category <= Editing; ++category) {
    const HotKeyTable& table = *TableByCategory(category);
    for (int column = 1; column <= ModifierColumnCount; ++column) {
      for (int row = 0; row < table.keys; ++row) {
        const HotKeyCombination combination{category, column, row};
        const bool set = hotKeys.Action(table, column, row).value_or(0) != 0 ||
                         characters.At(HotKeyCellNumber(table, column, row)) != 0;
        if (!set || IsReserved(category, column, row)) continue;
        const auto conflicts = FindConflicts(combination, layouts, remap, probe(combination));
        if (conflicts.empty()) continue;
        std::string line = CombinationText(combination) + ":";
        for (const HotKeyConflict& conflict : conflicts)
          line.append(" ").append(ConflictLine(combination, conflict));
        lines.push_back(std::move(line));
      }
    }
  }
  return lines;
}

}  // namespace tvx
