#pragma once
// One window base for every window class of the program: `this` is stored at WM_NCCREATE and each
// message goes to the object's HandleMessage. Nothing escapes a window procedure: an exception from a
// handler ends that handler and is shown by the general error report.

#include <windows.h>

#include <exception>

namespace tvx {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }

  // Registers a class (once per process) whose messages reach Window objects.
  static void RegisterWindowClass(const char* className, HBRUSH background, UINT style = CS_DBLCLKS);

 protected:
  HWND CreateWin(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& frame,
                 HWND parent, HMENU menu);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// The general error report: the error's text in a message box owned by the main window; the program
// goes on.
void ReportError(const std::exception& error);
void SetErrorReportOwner(HWND owner);
// Inside a catch: reports the error in flight, whatever its type.
void ReportCurrentError();

// Runs `handler` and reports anything it throws: nothing may unwind through the system's frames.
template <typename Handler>
void Reported(Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ReportCurrentError();
  }
}

// As Reported, for a source that can run again while its own report is on screen (a timer: the box pumps
// messages): it stays out until that report has been answered, so reports never stack.
template <typename Handler>
void ReportedOnce(bool& reporting, Handler&& handler) {
  if (reporting) return;
  try {
    handler();
  } catch (...) {
    reporting = true;
    ReportCurrentError();
    reporting = false;
  }
}

}  // namespace tvx
