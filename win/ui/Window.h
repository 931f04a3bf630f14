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
  // The object behind a window of this thread's classes; null for any other window.
  static Window* From(HWND window);

  // Registers a class (once per process) whose messages reach Window objects: every window class of the
  // program is registered here. A window of a class with `make` that is created without an object (a
  // control from a layout table) gets one from `make`, which lives as long as the window.
  static void RegisterWindowClass(const char* className, HBRUSH background, UINT style = CS_DBLCLKS,
                                  HICON icon = nullptr, Window* (*make)() = nullptr);

 protected:
  HWND CreateWin(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& frame,
                 HWND parent, HMENU menu);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static Window* Attach(HWND window, const CREATESTRUCTA& create);
  HWND hwnd_ = nullptr;
  bool ownedByWindow_ = false;  // made by the class's `make`: deleted when the window goes
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
