#pragma once
// The hook library's decision for one keystroke: from the key state, the event, the two areas and the
// layout to the new key state and what to do (let the key through or swallow it, keys to inject, a
// hot key to report). No call into the system and no allocation: it runs inside the hook callback.

#include <array>
#include <cstdint>

#include "core/hook/KeyLayout.h"
#include "core/keymap/Areas.h"
#include "core/keymap/CellCharacters.h"

namespace tvx {

struct KeyEvent {
  std::uint8_t vk;
  std::uint16_t scan;  // as the hook reports it: 0x21D is the left Ctrl that Windows adds to AltGr
  bool up;
  bool extended;
  bool ours;  // carries TavrixKeyMarker
};

// The scan code the hook reports for the left Ctrl that Windows adds to AltGr: the system's key, not the
// user's.
inline constexpr std::uint16_t AltGrControlScan = 0x21D;

// Left and right Ctrl, Alt, Shift and Win: bit i of a set of modifiers stands for ModifierVks[i].
inline constexpr std::array<std::uint8_t, 8> ModifierVks{0xA2, 0xA3, 0xA4, 0xA5, 0xA0, 0xA1, 0x5B, 0x5C};

// What the hook wrapper reads for each key, once: from the system, so that the decision can doubt its
// own record without calling the system itself, and the program's pause.
struct KeySystem {
  std::uint8_t modifiersDown = 0;  // of ModifiersToCheck(state), the ones the system holds down
  std::uint32_t tick = 0;          // milliseconds, wrapping
  std::uintptr_t foreground = 0;   // the foreground window
  std::uint32_t switches = 0;      // input desktop switches seen so far (lock, Ctrl+Alt+Del, elevation)
  bool paused = false;             // new keys go through unchanged; keys already down end as they began
  bool keyDown = false;            // a release the decision asks about: the system holds the key down
};

struct InjectedKey {
  bool unicode;  // a character (KEYEVENTF_UNICODE) rather than a virtual key
  std::uint8_t vk;
  std::uint16_t scan;  // the character for a unicode event
  bool up;
  bool extended;

  friend bool operator==(const InjectedKey&, const InjectedKey&) = default;
};

struct KeyOutput {
  static constexpr int MaxInjected = 12;

  bool suppress = false;
  int injectedCount = 0;
  // Only the first injectedCount entries hold keys; the rest are left unwritten, as clearing them would
  // cost the hook more than all of its decision.
  std::array<InjectedKey, MaxInjected> injected;
  bool post = false;         // WM_USER+1 to the main window
  bool togglePause = false;  // Ctrl+Alt+Scroll Lock: the wrapper turns the pause over and says so
  std::uint16_t postWParam = 0;
  std::uint16_t postLParam = 0;
  // The action found when the key was pressed, carried in the message beside its cell: the main window
  // carries out the action of the tables that matched, which need not be the current file's.
  std::uint16_t postAction = 0;
  // A cell whose action is a character beyond the record: posted as CharacterHotKeyMessage with this
  // character instead of the cell; a cell set to a text, as TextHotKeyMessage with its id
  // (core/keymap/CellTexts.h), once a press.
  char32_t postCharacter = 0;
  // SheetHotKeyMessage: Down at the press of a cell that shows the sheet, Up when its combination is let
  // go or another key goes down.
  enum class Sheet : std::uint8_t { None, Down, Up } sheet = Sheet::None;

  void Inject(const InjectedKey& key) {
    if (injectedCount < MaxInjected) injected[injectedCount++] = key;
  }
};

// What became of a key that is down, so that its repeats and its release go the same way as its
// press, whatever happens to the tables meanwhile.
// PauseKey: Ctrl+Alt+Scroll Lock, which the library keeps for itself.
enum class KeyFate : std::uint8_t { Up, Passed, HotKey, Remapped, PauseKey };

struct KeyRecord {
  KeyFate fate = KeyFate::Up;
  std::uint8_t row = 0;      // HotKey: the row reported
  std::uint16_t value = 0;   // HotKey: table number and column
  std::uint16_t action = 0;  // HotKey: the action of the tables that decided the press
  char32_t character = 0;    // Remapped: the character typed; HotKey: the character beyond the record
};

struct HookState {
  std::array<KeyRecord, 256> keys{};
  std::uint8_t heldModifiers = 0;       // the modifiers whose record is not Up, kept with the records
  std::uint8_t releasedModifiers = 0;   // held by the user, but released by us for a hot key's action
  std::uint8_t repressedModifiers = 0;  // pressed again by us, our press not yet seen coming through
  bool capsLock = false;
  std::uint8_t sheetKey = 0;  // the key whose press showed the sheet, while the sheet is up
  bool altGrControl = false;  // the left Ctrl that Windows adds to AltGr is down
  // The last key's moment and surroundings: a released modifier is believed held only while they last.
  std::uint32_t lastKeyTick = 0;
  std::uintptr_t foreground = 0;
  std::uint32_t switches = 0;
};

// A modifier we released is shown up by the system whether or not the user still holds it; it is
// believed held only while keys follow each other within this time, in the same window.
inline constexpr std::uint32_t ReleasedModifierLife = 3000;

struct HookTables {
  HotKeyAreaView hotKeys;
  RemapAreaView remap;
  // The characters beyond the record, where the program published them; they take precedence over the
  // fallbacks the tables hold for them.
  const MappingCharacters* characters = nullptr;
};

// A cell of the hot-key tables: its table number (1 to 5; 0 for none) and row.
struct HotKeyCell {
  int table = 0;
  int row = 0;
  friend bool operator==(const HotKeyCell&, const HotKeyCell&) = default;
};
// The cell a key stands for in a layout, as the hook matches it; table 0 for a key that is no row.
HotKeyCell HotKeyCellOf(std::uint8_t vk, const RemapAreaView& remap, const KeyLayout& layout);

// Whether the wrapper reads the system's state of the event's key for KeySystem::keyDown: the release of a
// key whose press the hook swallowed. The system may still have come to believe it down (Wine takes the
// keys held from the X server when the focus moves); then the release goes through, or the key stays down.
bool ReleaseAsksSystem(const HookState& state, const KeyEvent& event);

// The modifiers the state counts as held and not released by us: the system's key state can confirm
// them, and the wrapper reads it for these before each key.
std::uint8_t ModifiersToCheck(const HookState& state);

KeyOutput DecideKey(HookState& state, const KeyEvent& event, const KeySystem& system,
                    const HookTables& tables, const KeyLayout& layout);

// Releases the hook never saw (keys let go on another desktop): a record whose key the system shows up
// is forgotten, so that its next press is a press and not a repeat; one whose key is still down keeps its
// fate, so that its release goes the way its press went.
void ForgetReleasedKeys(HookState& state, const std::array<bool, 256>& down);

// After the hook was installed again: the keys the system holds down as it reports them, the records of
// those still down kept as they were.
void RebuildKeyState(HookState& state, const std::array<bool, 256>& down, bool capsLock);

}  // namespace tvx
