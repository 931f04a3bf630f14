#pragma once
// TTextPlayer: a text hot key typed into the window in front, one segment at a time. Each segment (the
// steps up to a delay) goes out as one batch, so the user's own keys never land inside it; a delay
// continues on a timer of the player's own window, which the wait for a file call carries out as it
// carries out the hook library's key actions (its timers are the main window's, held back). One text plays
// at a time: a new one replaces it, and the pause or another window in front that its own keys did not
// bring there stops it.

#include <windows.h>

#include <string_view>

#include "core/app/TextAction.h"
#include "win/ui/Window.h"

namespace tvx {

inline constexpr char TextPlayerClassName[] = "TTextPlayer";

class TTextPlayer : public Window {
 public:
  // A window of messages alone: nothing on screen, nothing in front.
  void Create();
  // Plays `source` (the syntax of core/app/TextAction.h) from its first step; a text with an error does
  // nothing.
  void Play(std::u16string_view source, bool capsLock);
  void Stop();
  bool Playing() const { return playback_.Playing(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PlaySegment(bool afterDelay);
  void DelayEnded();

  TextPlayback playback_;
  HWND foreground_ = nullptr;  // the window in front when the last segment was sent
};

}  // namespace tvx
