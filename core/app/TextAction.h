#pragma once
// A hot key that types a text or plays a key sequence, written in one line:
//   characters stand for themselves, any Unicode character;
//   {NAME}              presses and releases an action key by its name in the Hot Key Action dialog
//                       ({F5}, {PgUp}, {KeyP 0}), or by a usual alias ({Enter}, {Tab}, {Esc}, {Left}...);
//   {Ctrl+Shift+NAME}   the same with modifiers (Ctrl, Alt, Shift, Win) held; NAME may be one character:
//                       a letter or digit presses its virtual key, another character the key that types it
//                       in the layout in front;
//   {Delay N}           waits N ms, 1 to 5000;
//   {{ and }}           the braces themselves ({Ctrl+}} is Ctrl with the key of "}");
//   a tab or a line break in the text presses Tab or Enter.
// Letter case is ignored inside braces. A text has at most MaxTextUnits UTF-16 units of source.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/app/KeyAction.h"
#include "core/keymap/TextSyntax.h"

namespace tvx {

// The steps of `source`. With `keyFor`, a character named inside braces must have a key in that layout.
ParsedText ParseText(std::u16string_view source, const std::function<LayoutKey(char16_t)>& keyFor = {});

// Where playing stopped: the step after the delay that ended a segment (steps.size() at the end), and
// that delay.
struct TextSegment {
  std::size_t next = 0;
  std::uint32_t delayMs = 0;
};

// Plays the steps from `from` up to the next delay or the end through `keyboard`: characters as
// TypeCharacter types them (beyond U+FFFF as the surrogate pair), keys pressed and released with their
// modifiers around them, nothing left held. A character step of a key the layout lacks is left out.
TextSegment PlayTextSegment(Keyboard& keyboard, const std::vector<TextStep>& steps, std::size_t from,
                            bool capsLock);

// A text played segment by segment, its owner waiting out each delay. A window that the segment before
// the delay brought in front with its own keys ({Alt+Tab}, an {Enter} that closed a dialog) is where the
// rest is meant to go: "{Ctrl+c}{Alt+Tab}{Delay 300}{Ctrl+v}" pastes there. Another window in front after
// a segment of characters alone (the user moved on) stops it, as the pause does from outside.
class TextPlayback {
 public:
  // False, with nothing to play, for a text with an error.
  bool Start(std::u16string_view source, bool capsLock);
  // The next segment through `keyboard`; the delay after it, 0 when the text has ended.
  std::uint32_t PlayNext(Keyboard& keyboard);
  // At a delay's end: whether the rest plays, given whether another window is in front than when the
  // segment before it was sent.
  bool GoesOn(bool windowChanged) const { return Playing() && (!windowChanged || pressedKeys_); }
  bool Playing() const { return next_ < steps_.size(); }
  void Stop();

 private:
  std::vector<TextStep> steps_;
  std::size_t next_ = 0;
  bool capsLock_ = false;
  bool pressedKeys_ = false;  // the segment played last pressed a key, not only typed characters
};

}  // namespace tvx
