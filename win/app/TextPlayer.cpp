#include "win/app/TextPlayer.h"

#include <stdexcept>

#include "core/hook/KeyDecision.h"
#include "win/app/Win32Keyboard.h"

namespace tvx {
namespace {

constexpr UINT_PTR DelayTimer = 1;
// An unassigned key, pressed between a held Alt or Win and its release so that the release opens no menu
// bar and no Start menu, as the hook library does.
constexpr std::uint8_t MaskKey = 0xE8;
constexpr std::uint8_t AltAndWinVks[] = {0xA4, 0xA5, 0x5B, 0x5C};

bool Down(std::uint8_t vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

// The modifiers the user holds (or pressed again during the delay) would reach the segment with it.
void ReleaseHeldModifiers(Win32Keyboard& keyboard) {
  for (const std::uint8_t vk : AltAndWinVks) {
    if (!Down(vk)) continue;
    keyboard.PostVKey(MaskKey, false);
    keyboard.PostVKey(MaskKey, true);
    break;
  }
  for (const std::uint8_t vk : ModifierVks)
    if (Down(vk)) keyboard.PostVKey(vk, true);
}

}  // namespace

void TTextPlayer::Create() {
  RegisterWindowClass(TextPlayerClassName, nullptr, 0);
  if (!CreateWin(0, TextPlayerClassName, "", 0, RECT{}, HWND_MESSAGE, nullptr))
    throw std::runtime_error("The text player's window could not be created.");
}

void TTextPlayer::Play(std::u16string_view source, bool capsLock) {
  Stop();
  if (playback_.Start(source, capsLock)) PlaySegment(false);
}

void TTextPlayer::Stop() {
  ::KillTimer(hwnd(), DelayTimer);
  playback_.Stop();
}

void TTextPlayer::PlaySegment(bool afterDelay) {
  Win32Keyboard keyboard;
  if (afterDelay) ReleaseHeldModifiers(keyboard);
  const std::uint32_t delayMs = playback_.PlayNext(keyboard);
  foreground_ = ::GetForegroundWindow();
  keyboard.Send();
  if (playback_.Playing()) ::SetTimer(hwnd(), DelayTimer, delayMs, nullptr);
}

// Another window in front that the text's own keys did not bring there says the user has moved on: the
// rest would land where it was not meant to. (Pausing stops the player at once.)
void TTextPlayer::DelayEnded() {
  ::KillTimer(hwnd(), DelayTimer);
  if (!playback_.GoesOn(::GetForegroundWindow() != foreground_)) return Stop();
  PlaySegment(true);
}

LRESULT TTextPlayer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == DelayTimer) {
    DelayEnded();
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tvx
