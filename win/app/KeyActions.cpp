#include <string>

#include "core/common/IoError.h"
#include "core/keymap/CellTexts.h"
#include "win/app/MainWin.h"
#include "win/app/Win32Keyboard.h"
#include "win/sys/Handles.h"
#include "win/sys/SystemError.h"

namespace tvx {
namespace {

// Appends to "c:\test", or starts it afresh when it cannot be opened for appending.
void AppendTraceLine(const std::string& line) {
  constexpr char TraceFile[] = "c:\\test";
  UniqueFile file(::CreateFileA(TraceFile, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    file.reset(::CreateFileA(TraceFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowLastError();
  }
  DWORD written = 0;
  if (!::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
    ThrowLastError();
  if (written != line.size()) throw IoError(IoError::DiskFull);
  if (!::CloseHandle(file.release())) ThrowLastError();
}

}  // namespace

namespace {

// A posted message's time is when the library posted it, right as the key went down; a message sent by
// another program has no time of its own and is carried out.
bool ActionIsLate() {
  return !::InSendMessage() && IsLate(static_cast<std::uint32_t>(::GetMessageTime()), ::GetTickCount());
}

}  // namespace

void TMainWin::KeyActionMsg(WPARAM wParam, LPARAM lParam) {
  if (ActionIsLate()) return;
  Win32Keyboard keyboard;
  tvx::KeyActionMsg(wParam, lParam, HotKeys(), keyboard);
  keyboard.Send();
}

void TMainWin::CharacterHotKeyMsg(WPARAM wParam, LPARAM lParam) {
  if (ActionIsLate()) return;
  Win32Keyboard keyboard;
  tvx::CharacterHotKeyMsg(wParam, lParam, keyboard);
  keyboard.Send();
}

// A text plays in segments; a new text hot key replaces the one still playing.
void TMainWin::TextHotKeyMsg(WPARAM wParam, LPARAM lParam) {
  if (ActionIsLate()) return;
  textPlayer_.Play(TextOfId(static_cast<char32_t>(wParam)), lParam != 0);
}

// Shown while the hot key is held: the library says when it goes down and when it is let go.
void TMainWin::SheetHotKeyMsg(WPARAM wParam) {
  sheetUntilInput_ = false;
  if (wParam)
    ShowSheet(::GetForegroundWindow());
  else
    sheet_.Hide();
}

void TMainWin::TraceParamsMsg(WPARAM wParam, LPARAM lParam) {
  AppendTraceLine(TraceParamsLine(wParam, lParam));
}

void TMainWin::TraceCodeMsg(WPARAM wParam, LPARAM lParam) { AppendTraceLine(TraceCodeLine(wParam, lParam)); }

}  // namespace tvx
