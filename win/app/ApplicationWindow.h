#pragma once
// The window that carries the taskbar button and owns the main window; minimising it hides the main
// window with it.

#include <windows.h>

#include "win/ui/Window.h"

namespace tvx {

inline constexpr char ApplicationClassName[] = "TApplication";

class TApplicationWindow : public Window {
 public:
  // Created at the centre of the screen, with no size: only its taskbar button is seen.
  void Create(const char* title);
  void SetMainWindow(HWND main) { main_ = main; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND main_ = nullptr;
};

}  // namespace tvx
