#include "core/hook/KeyDecision.h"

#include "core/keymap/Catalogue.h"
#include "core/keymap/CellTexts.h"

namespace tvx {
namespace {

struct Modifier {
  std::uint8_t vk;
  std::uint16_t scan;
  bool extended;
};

// In the order of ModifierVks.
constexpr std::array<Modifier, 8> Modifiers{{
    {ModifierVks[0], 0x1D, false},
    {ModifierVks[1], 0x1D, true},
    {ModifierVks[2], 0x38, false},
    {ModifierVks[3], 0x38, true},
    {ModifierVks[4], 0x2A, false},
    {ModifierVks[5], 0x36, false},
    {ModifierVks[6], 0x5B, true},
    {ModifierVks[7], 0x5C, true},
}};
constexpr std::uint8_t CtrlBits = 0x03, AltBits = 0x0C, ShiftBits = 0x30, WinBits = 0xC0;
constexpr std::uint8_t LeftCtrlBit = 0x01, RightAltBit = 0x08;
constexpr std::uint8_t VkLeftCtrl = 0xA2, VkRightAlt = 0xA5;

constexpr std::uint8_t VkCapital = 0x14;
constexpr std::uint8_t VkScroll = 0x91;
constexpr std::uint8_t VkF1 = 0x70, VkF12 = 0x7B;
// An unassigned key, pressed between a held Alt or Win and its release so that the release opens no
// menu bar and no Start menu.
constexpr InjectedKey MaskDown{false, 0xE8, 0x55, false, false};
constexpr std::uint16_t CapsLockFlag = 0x8000;

// The hook reports left and right modifiers apart; the generic codes are kept apart the same way.
std::uint8_t Normalized(const KeyEvent& event) {
  switch (event.vk) {
    case 0x10:
      return (event.scan & 0xFF) == 0x36 ? 0xA1 : 0xA0;
    case 0x11:
      return event.extended ? 0xA3 : 0xA2;
    case 0x12:
      return event.extended ? 0xA5 : 0xA4;
    default:
      return event.vk;
  }
}

// The bit of each virtual key, 0 for keys that are no modifier: one look-up per key.
constexpr std::array<std::uint8_t, 256> ModifierBits = [] {
  std::array<std::uint8_t, 256> bits{};
  for (std::size_t i = 0; i < Modifiers.size(); ++i)
    bits[Modifiers[i].vk] = static_cast<std::uint8_t>(1u << i);
  return bits;
}();

std::uint8_t ModifierBit(std::uint8_t vk) { return ModifierBits[vk]; }

// A key whose press the system never saw: its repeats and its release must not reach it either.
bool Swallowed(KeyFate fate) {
  return fate == KeyFate::HotKey || fate == KeyFate::Remapped || fate == KeyFate::PauseKey;
}

std::uint8_t HeldModifiers(const HookState& state) { return state.heldModifiers; }

int ColumnOf(std::uint8_t held) {
  const bool ctrl = held & CtrlBits, alt = held & AltBits, shift = held & ShiftBits, win = held & WinBits;
  if (shift) return alt && !ctrl && !win ? AltShift : 0;
  if (ctrl && alt) return win ? 0 : CtrlAlt;
  if (ctrl) return win ? CtrlWin : Ctrl;
  if (alt) return win ? AltWin : Alt;
  return win ? Win : 0;
}

struct RemapRow {
  RemapTableId table;
  int row;
};

// The remap table row of a character, if the remapper covers it.
std::optional<RemapRow> RemapRowOf(std::uint8_t ch) {
  if (ch >= 'A' && ch <= 'Z') return RemapRow{RemapTableId::Upper, ch - 'A'};
  if (ch >= 'a' && ch <= 'z') return RemapRow{RemapTableId::Lower, ch - 'a'};
  if (ch >= '0' && ch <= '9') return RemapRow{RemapTableId::Numeric, ch - '0'};
  if (const auto row = ch != 0 ? PunctRemapRows.find(static_cast<char>(ch)) : PunctRemapRows.npos;
      row != PunctRemapRows.npos)
    return RemapRow{RemapTableId::Punct, static_cast<int>(row)};
  return std::nullopt;
}

std::uint8_t RemappedCharacter(std::uint8_t ch, const RemapAreaView& remap) {
  const std::optional<RemapRow> row = RemapRowOf(ch);
  const std::optional<std::uint8_t> byte = row ? remap.Byte(row->table, row->row) : std::nullopt;
  // Bytes below 32 never come from the editor: a zeroed or damaged table leaves the key alone.
  return byte && *byte >= 32 ? *byte : ch;
}

// The character beyond the record that a character's key is remapped to; 0 for none.
char32_t RemappedBeyond(std::uint8_t ch, const HookTables& tables) {
  const std::optional<RemapRow> row = tables.characters ? RemapRowOf(ch) : std::nullopt;
  return row ? tables.characters->At(RemapCellNumber(row->table, row->row)) : 0;
}

HotKeyCell CellOfCharacter(std::uint8_t ch) {
  if (ch >= 'a' && ch <= 'z') return {1, ch - 'a'};
  if (ch >= 'A' && ch <= 'Z') return {1, ch - 'A'};
  if (ch >= '0' && ch <= '9') return {2, ch - '0'};
  if (const auto row = ch != 0 ? PunctHotKeyRows.find(static_cast<char>(ch)) : PunctHotKeyRows.npos;
      row != PunctHotKeyRows.npos)
    return {3, static_cast<int>(row)};
  return {};
}

}  // namespace

// Keys the remapper covers are known by the character they type unshifted, as remapped: the remapper
// takes precedence, so a key remapped from a to b is the B row of the hot-key tables.
HotKeyCell HotKeyCellOf(std::uint8_t vk, const RemapAreaView& remap, const KeyLayout& layout) {
  if (vk >= VkF1 && vk <= VkF12) return {4, vk - VkF1};
  for (std::size_t row = 0; row < EditingKeyVks.size(); ++row)
    if (EditingKeyVks[row] == vk) return {5, static_cast<int>(row)};
  std::uint8_t base = 0;
  if (vk >= 'A' && vk <= 'Z')
    base = static_cast<std::uint8_t>(vk - 'A' + 'a');
  else if (vk >= '0' && vk <= '9')
    base = vk;
  else if (CellOfCharacter(layout.chars[vk][0]).table == 3)
    base = layout.chars[vk][0];
  if (base == 0) return {};
  return CellOfCharacter(RemappedCharacter(base, remap));
}

namespace {

void Post(KeyOutput& out, const HookState& state, const KeyRecord& record) {
  out.post = true;
  out.postWParam = static_cast<std::uint16_t>(record.value | (state.capsLock ? CapsLockFlag : 0));
  out.postLParam = record.row;
  out.postAction = record.action;
  out.postCharacter = record.character;
}

void InjectUnit(KeyOutput& out, char16_t unit) {
  out.Inject({true, 0, unit, false, false});
  out.Inject({true, 0, unit, true, false});
}

// A character beyond U+FFFF goes as its surrogate pair, each half pressed and released.
void InjectCharacter(KeyOutput& out, char32_t ch) {
  if (ch <= 0xFFFF) {
    InjectUnit(out, static_cast<char16_t>(ch));
    return;
  }
  const char32_t rest = ch - 0x10000;
  InjectUnit(out, static_cast<char16_t>(0xD800 + (rest >> 10)));
  InjectUnit(out, static_cast<char16_t>(0xDC00 + (rest & 0x3FF)));
}

// So that the release of a held Alt or Win opens no menu bar and no Start menu.
void Mask(KeyOutput& out, std::uint8_t held) {
  if (!(held & (AltBits | WinBits))) return;
  out.Inject(MaskDown);
  out.Inject({false, MaskDown.vk, MaskDown.scan, true, false});
}

// The user's modifiers would reach the action with it: release the ones the system holds down.
void ReleaseModifiers(HookState& state, KeyOutput& out, std::uint8_t held) {
  const std::uint8_t down = held & static_cast<std::uint8_t>(~state.releasedModifiers);
  Mask(out, down);
  for (std::size_t i = 0; i < Modifiers.size(); ++i)
    if (down & (1u << i))
      out.Inject({false, Modifiers[i].vk, Modifiers[i].scan, true, Modifiers[i].extended});
  state.releasedModifiers |= down;
}

// A key that goes through while modifiers we released are still held: press them again first, and the
// key after them, so that Alt+Tab after an Alt hot key is still Alt+Tab.
void RestoreModifiers(HookState& state, KeyOutput& out, const KeyEvent& event, const KeyLayout& layout) {
  for (std::size_t i = 0; i < Modifiers.size(); ++i)
    if (state.releasedModifiers & (1u << i))
      out.Inject({false, Modifiers[i].vk, Modifiers[i].scan, false, Modifiers[i].extended});
  // Injectors may leave the scan code out; what the library sends always has one.
  const std::uint16_t scan = event.scan               ? event.scan
                             : layout.scans[event.vk] ? layout.scans[event.vk]
                                                      : MaskDown.scan;
  out.Inject({false, event.vk, scan, false, event.extended});
  state.repressedModifiers |= state.releasedModifiers;
  state.releasedModifiers = 0;
  out.suppress = true;
}

bool FireHotKey(HookState& state, KeyOutput& out, std::uint8_t vk, std::uint8_t held,
                const HookTables& tables, const KeyLayout& layout) {
  const int column = ColumnOf(held);
  if (column == 0) return false;
  const HotKeyCell cell = HotKeyCellOf(vk, tables.remap, layout);
  const HotKeyTable* table = TableByNumber(cell.table);
  if (!table || IsReserved(table->category, column, cell.row)) return false;
  const std::optional<HotKeyAction> action = tables.hotKeys.Action(*table, column, cell.row);
  const char32_t character =
      tables.characters ? tables.characters->At(HotKeyCellNumber(*table, column, cell.row)) : 0;
  if (!character && (!action || *action == 0 || *action > LastKeyAction)) return false;
  KeyRecord& record = state.keys[vk];
  out.suppress = true;
  // The sheet types nothing: the modifiers stay down in the target, which receives nothing of the key.
  if (character == SheetMarker) {
    Mask(out, held);
    record = {KeyFate::HotKey, static_cast<std::uint8_t>(cell.row), 0, 0, SheetMarker};
    state.sheetKey = vk;
    out.sheet = KeyOutput::Sheet::Down;
    return true;
  }
  ReleaseModifiers(state, out, held);
  record = {KeyFate::HotKey, static_cast<std::uint8_t>(cell.row),
            static_cast<std::uint16_t>(cell.table << 8 | column), character ? HotKeyAction{0} : *action,
            character};
  Post(out, state, record);
  return true;
}

// Ctrl+Alt+Scroll Lock pauses and resumes every mapping. It is no row of any table, so nothing can take
// it, and it works while paused; its modifiers are let go like a hot key's, so no menu opens.
bool TogglePause(HookState& state, KeyOutput& out, std::uint8_t vk, std::uint8_t held) {
  if (vk != VkScroll || ColumnOf(held) != CtrlAlt) return false;
  ReleaseModifiers(state, out, held);
  state.keys[vk] = {KeyFate::PauseKey, 0, 0, 0, 0};
  out.togglePause = true;
  out.suppress = true;
  return true;
}

bool Remap(HookState& state, KeyOutput& out, std::uint8_t vk, std::uint8_t held, const HookTables& tables,
           const KeyLayout& layout) {
  if (held & static_cast<std::uint8_t>(~ShiftBits)) return false;
  const int shift = ((held & ShiftBits) != 0) != (state.capsLock && layout.CapsLockActsOn(vk));
  const std::uint8_t typed = layout.chars[vk][shift];
  if (typed == 0) return false;
  char32_t ch = RemappedBeyond(typed, tables);
  if (!ch) {
    const std::uint8_t replacement = RemappedCharacter(typed, tables.remap);
    if (replacement == typed) return false;
    ch = layout.unicode[replacement];
  }
  if (ch == 0) return false;
  state.keys[vk] = {KeyFate::Remapped, 0, 0, 0, ch};
  InjectCharacter(out, ch);
  out.suppress = true;
  return true;
}

// While paused a key goes through as a key no table names: it is still recorded, and the modifiers let
// go for a hot key are pressed again in front of it.
KeyOutput Press(HookState& state, const KeyEvent& event, std::uint8_t vk, std::uint8_t held, bool paused,
                const HookTables& tables, const KeyLayout& layout) {
  KeyOutput out;
  // A modifier is no hot key and types nothing; with AltGr down, the layout's own characters go through.
  const bool altGr = state.altGrControl && (held & RightAltBit);
  const std::uint8_t modifier = ModifierBit(vk);
  if (!altGr && !modifier) {
    if (TogglePause(state, out, vk, held)) return out;
    if (!paused &&
        (FireHotKey(state, out, vk, held, tables, layout) || Remap(state, out, vk, held, tables, layout)))
      return out;
  }
  state.keys[vk] = {KeyFate::Passed, 0, 0, 0, 0};
  // The modifier records are written for modifiers alone: most keys leave them as they are.
  if (modifier) state.heldModifiers |= modifier;
  if (vk == VkCapital) state.capsLock = !state.capsLock;
  if (state.releasedModifiers) RestoreModifiers(state, out, event, layout);
  return out;
}

KeyOutput Repeat(HookState& state, std::uint8_t vk, const KeyRecord& record) {
  KeyOutput out;
  switch (record.fate) {
    case KeyFate::HotKey:
      // A text plays once a press, and the sheet stays up: their repeats are swallowed and post nothing.
      if (!IsTextId(record.character) && record.character != SheetMarker) Post(out, state, record);
      break;
    case KeyFate::Remapped:
      InjectCharacter(out, record.character);
      break;
    default:
      break;
  }
  // A modifier we released must not come back down by repeating.
  out.suppress = record.fate != KeyFate::Passed || (state.releasedModifiers & ModifierBit(vk));
  return out;
}

void Forget(HookState& state, std::uint8_t modifiers) {
  for (std::size_t i = 0; i < Modifiers.size(); ++i)
    if (modifiers & (1u << i)) state.keys[Modifiers[i].vk] = {};
  state.heldModifiers &= static_cast<std::uint8_t>(~modifiers);
  state.releasedModifiers &= static_cast<std::uint8_t>(~modifiers);
  state.repressedModifiers &= static_cast<std::uint8_t>(~modifiers);
}

// A release the hook never saw (Win+L, Ctrl+Alt+Del, an elevated window) must not leave a modifier held
// in our record: a held one the system shows up is gone, and one we released is forgotten where such a
// release is likely, after a pause or in other surroundings. Gives the modifiers held afterwards.
std::uint8_t DoubtHeldModifiers(HookState& state, const KeySystem& system) {
  const std::uint8_t held = HeldModifiers(state);
  std::uint8_t gone = held & static_cast<std::uint8_t>(~state.releasedModifiers & ~system.modifiersDown);
  if (system.tick - state.lastKeyTick > ReleasedModifierLife || system.foreground != state.foreground ||
      system.switches != state.switches)
    gone |= state.releasedModifiers;
  if (gone) Forget(state, gone);
  state.lastKeyTick = system.tick;
  state.foreground = system.foreground;
  state.switches = system.switches;
  return held & static_cast<std::uint8_t>(~gone);
}

KeyOutput Release(HookState& state, std::uint8_t vk, bool systemDown) {
  KeyOutput out;
  KeyRecord& record = state.keys[vk];
  const std::uint8_t bit = ModifierBit(vk);
  out.suppress = (Swallowed(record.fate) && !systemDown) || (state.releasedModifiers & bit);
  // The user let go before our press of it came through (the callback ran late): this release would
  // reach the system ahead of that press, so a release of our own goes after it.
  if (state.repressedModifiers & bit) {
    for (const Modifier& modifier : Modifiers)
      if (modifier.vk == vk) out.Inject({false, modifier.vk, modifier.scan, true, modifier.extended});
    out.suppress = true;
  }
  if (bit) Forget(state, bit);
  record = {};
  return out;
}

}  // namespace

bool ReleaseAsksSystem(const HookState& state, const KeyEvent& event) {
  return event.up && !event.ours && Swallowed(state.keys[Normalized(event)].fate);
}

std::uint8_t ModifiersToCheck(const HookState& state) {
  return HeldModifiers(state) & static_cast<std::uint8_t>(~state.releasedModifiers);
}

KeyOutput DecideKey(HookState& state, const KeyEvent& event, const KeySystem& system,
                    const HookTables& tables, const KeyLayout& layout) {
  if (event.ours) {
    if (!event.up) state.repressedModifiers &= static_cast<std::uint8_t>(~ModifierBit(Normalized(event)));
    return {};
  }
  const std::uint8_t held = DoubtHeldModifiers(state, system);
  const std::uint8_t vk = Normalized(event);
  if (vk == VkLeftCtrl && event.scan == AltGrControlScan) {
    state.altGrControl = !event.up;
    // Its release takes the left Ctrl up in the system, whatever was recorded for it.
    if (event.up) Forget(state, LeftCtrlBit);
    return {};
  }
  // The sheet goes at the release of its key or of a modifier, and at the press of any other key.
  const bool sheetGone =
      state.sheetKey && (event.up ? vk == state.sheetKey || ModifierBit(vk)
                                  : vk != state.sheetKey && state.keys[vk].fate == KeyFate::Up);
  if (sheetGone) state.sheetKey = 0;
  KeyOutput out = event.up ? Release(state, vk, system.keyDown)
                  : state.keys[vk].fate != KeyFate::Up
                      ? Repeat(state, vk, state.keys[vk])
                      : Press(state, event, vk, held, system.paused, tables, layout);
  if (sheetGone && out.sheet == KeyOutput::Sheet::None) out.sheet = KeyOutput::Sheet::Up;
  return out;
}

void ForgetReleasedKeys(HookState& state, const std::array<bool, 256>& down) {
  for (std::size_t vk = 0; vk < state.keys.size(); ++vk)
    if (!down[vk]) state.keys[vk] = {};
  state.heldModifiers = 0;
  for (std::size_t i = 0; i < Modifiers.size(); ++i)
    if (state.keys[Modifiers[i].vk].fate != KeyFate::Up)
      state.heldModifiers |= static_cast<std::uint8_t>(1u << i);
  state.releasedModifiers &= state.heldModifiers;
  state.repressedModifiers &= state.heldModifiers;
}

void RebuildKeyState(HookState& state, const std::array<bool, 256>& down, bool capsLock) {
  // While AltGr stays down, the left Ctrl the system shows is the one Windows added to it.
  state.altGrControl = state.altGrControl && down[VkLeftCtrl] && down[VkRightAlt];
  for (std::size_t vk = 0; vk < state.keys.size(); ++vk) {
    KeyRecord& record = state.keys[vk];
    const bool generic = vk >= 0x10 && vk <= 0x12;
    const bool altGr = vk == VkLeftCtrl && state.altGrControl;
    if (down[vk] && record.fate == KeyFate::Up && !generic && !altGr) record = {KeyFate::Passed, 0, 0, 0, 0};
    if (altGr) record = {};
  }
  ForgetReleasedKeys(state, down);
  state.releasedModifiers = 0;
  state.repressedModifiers = 0;
  state.capsLock = capsLock;
}

}  // namespace tvx
