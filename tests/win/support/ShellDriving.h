#pragma once
// Driving what the platform shows for the program, from another process: the common Open and Save
// dialogs and their prompts, and the icons in Wine's tray window.

#include <windows.h>

#include <functional>
#include <string>

namespace tvx::test {

// A visible dialog of the process that `matches`, or that has this caption, waited for; null when none
// came.
HWND WaitForDialog(DWORD processId, const std::function<bool(HWND)>& matches);
HWND WaitForDialog(DWORD processId, const std::string& caption);
// The text in the file name box of a common file dialog.
std::string ChosenName(HWND dialog);
// Types `name` into a common file dialog and presses its Open or Save button.
void ChooseFile(HWND dialog, const std::string& name);
// Presses a button of a dialog or message box, as a click would.
void PressButton(HWND dialog, int id);

// Returns once the window's thread is back at its message loop: the handler it was in has ended.
void RoundTrip(HWND window);
// Sends a message and waits a few seconds for its answer: false when the window's thread did not
// answer in time, as when the message opened a modal dialog.
bool Handled(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The icons in Wine's tray window (shown on a display with no tray of its own), and one of them.
int TrayIconCount();
HWND TrayIcon(int index);
void PostRightClick(HWND window);

}  // namespace tvx::test
