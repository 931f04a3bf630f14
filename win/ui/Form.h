#pragma once
// Window layouts as data: each form's controls as a table read by one builder that creates them at
// exact pixel sizes, in Arial. The tables are in pixels at 96 DPI; the builder scales them by the DPI of
// the window they go on.

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "win/sys/Dpi.h"
#include "win/sys/Handles.h"
#include "win/ui/Window.h"

namespace tvx {

enum class ControlKind {
  Button,
  DefaultButton,
  RadioButton,
  Label,
  CenteredLabel,
  Panel,  // a plain child window that passes its controls' notifications to its parent
  Grid,   // the draw grid control
  Bevel,
  CheckBox,
  Edit,
  Picture,  // owner-drawn: the form paints it on WM_DRAWITEM
  ListBox,
  ComboBox,  // an edit box with a drop-down list; its height includes the list
};

struct FontSpec {
  int pixelHeight = 16;
  bool bold = false;
  bool operator<(const FontSpec& other) const {
    return pixelHeight != other.pixelHeight ? pixelHeight < other.pixelHeight : bold < other.bold;
  }
};

struct ControlSpec {
  ControlKind kind;
  int id;
  const char* caption;
  int left, top, width, height;
  FontSpec font;
  int parentId = 0;  // 0: the form; otherwise a Panel earlier in the table or already on the form
  DWORD extraStyle = 0;
};

// Arial fonts by pixel height (at 96 DPI) and weight, created once per DPI and owned here. A font made
// for an earlier DPI stays alive: a control may still hold it.
class FontCache {
 public:
  HFONT Get(FontSpec wanted);
  void SetDpi(int dpi) { dpi_ = dpi; }
  int Dpi() const { return dpi_; }

 private:
  int dpi_ = LayoutDpi;
  std::map<std::pair<int, FontSpec>, UniqueFont> fonts_;
};

// Creates the controls of `table` on `form`, scaled to the form's DPI; returns their windows by id.
std::map<int, HWND> BuildControls(HWND form, std::span<const ControlSpec> table, FontCache& fonts);

// The tables a form was built from, so that it can lay itself out again at another DPI.
class FormLayout {
 public:
  std::map<int, HWND> Build(HWND form, std::span<const ControlSpec> table);
  FontCache& Fonts() { return fonts_; }
  int Scaled(int length) const { return ScaledToDpi(length, fonts_.Dpi()); }
  // WM_DPICHANGED: every control moved, sized and given its font at the new DPI; the form takes the
  // rectangle Windows suggests.
  void DpiChanged(HWND form, WPARAM wParam, LPARAM lParam);
  // A Unicode edit box of `form`, so that any character typed or pasted arrives whole, in `box` (layout
  // pixels) with `font`, after the control `after` in the tab order.
  HWND UnicodeEdit(HWND form, int id, const RECT& box, FontSpec font, int after);

 private:
  FontCache fonts_;
  std::vector<std::span<const ControlSpec>> tables_;
};

// A radio button checked from code behaves as a click: true when it was not checked before.
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);

// What the program gives each dialog it opens: the screen size measured at start-up, which places it.
struct DialogContext {
  SIZE screen{};
};

// A modal form: its owner is disabled while it shows; ShowModal returns when the form has closed.
// Every form on screen is in one register of open dialogs, so the program asks it whether a dialog
// shows and closes them all without a list of its own.
class ModalForm : public Window {
 public:
  explicit ModalForm(DialogContext context = {}) : context_(context) {}
  void ShowModal(HWND owner);

  static bool AnyOpen() { return !open_.empty(); }
  // Whether a dialog of class `Form` is on screen.
  template <class Form>
  static bool IsOpen() {
    return std::ranges::any_of(open_, [](ModalForm* form) { return dynamic_cast<Form*>(form) != nullptr; });
  }
  // Every open dialog ends as if cancelled, the last opened first.
  static void CancelAll();
  // Wakes the modal loop too: a Close from a sent message (a click sent by another thread) posts nothing.
  void Close() {
    closing_ = true;
    if (hwnd()) ::PostMessageA(hwnd(), WM_NULL, 0, 0);
  }

 protected:
  virtual void Create(HWND owner) = 0;  // creates the window and its controls, hidden
  virtual void FormShow() {}
  virtual void FormClose() {}
  virtual void Command(int id, int code) = 0;

  // The button that Enter presses while a control that does not want Enter has the focus.
  void SetDefaultButton(int id);
  int DefaultButton() const { return defaultButton_; }
  SIZE Screen() const { return context_.screen; }
  // The form at the centre of the screen.
  void CentreOnScreen();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  FormLayout layout_;

 private:
  class OwnerDisabled;
  std::optional<int> RunModalLoop();

  static inline std::vector<ModalForm*> open_;  // in the order they opened
  DialogContext context_;
  bool closing_ = false;
  int defaultButton_ = 0;
};

inline constexpr char PanelClassName[] = "TvxPanel";

}  // namespace tvx
