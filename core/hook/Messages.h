#pragma once
// The messages the main window takes from the hook library and from other programs, as plain values
// (WM_USER is 0x400): the one definition both sides use.

namespace tvx {

// A hot key's action: WParam holds the key's action in its low 16 bits (the bits above are ignored,
// whoever the sender), LParam the key's own flags.
inline constexpr unsigned KeyActionMessage = 0x0400 + 1;  // 1025
// The trace lines another program asks for: each appends its line to the trace file.
inline constexpr unsigned TraceParamsMessage = 0x0400 + 2;
inline constexpr unsigned TraceCodeMessage = 0x0400 + 3;
// Ctrl+Alt+Scroll Lock turned the pause over: WParam 1 paused, 0 resumed.
inline constexpr unsigned PauseChangedMessage = 0x0400 + 4;
// Posted instead of KeyActionMessage while per-application sets are published: the same WParam and
// LParam, with the action of the sets that matched in bits 16 to 31 of WParam (it need not be the current
// file's).
inline constexpr unsigned CarriedKeyActionMessage = 0x0400 + 5;
// Posted instead of either for a hot key whose action is a character beyond the mapping record (any
// Unicode character): WParam the character's code point, LParam 1 when Caps Lock was on, else 0.
inline constexpr unsigned CharacterHotKeyMessage = 0x0400 + 6;
// Posted instead of any of them for a hot key whose action is a text (core/keymap/CellTexts.h): WParam the
// text's id, LParam 1 when Caps Lock was on, else 0.
inline constexpr unsigned TextHotKeyMessage = 0x0400 + 7;

// Posted for a hot key that shows the sheet of the hot keys in force: WParam 1 when its combination goes
// down, 0 when it is let go (its key or one of its modifiers, whichever comes first) or another key goes down.
inline constexpr unsigned SheetHotKeyMessage = 0x0400 + 8;
// Posted while the Keys dialog waits for "Press the key...": WParam the virtual key the user pressed, as
// the keyboard sent it (before any key remap); the key itself is swallowed.
inline constexpr unsigned KeyPickedMessage = 0x0400 + 9;

}  // namespace tvx
