#include "win/ui/Form.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "win/ui/DrawGrid.h"

namespace tvx {
namespace {

struct KindInfo {
  const char* className;
  DWORD style;
  DWORD exStyle = 0;
};

KindInfo InfoFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
      return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::DefaultButton:
      return {"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP};
    case ControlKind::RadioButton:
      return {"BUTTON", BS_RADIOBUTTON | WS_TABSTOP};
    case ControlKind::Label:
      return {"STATIC", SS_LEFT | SS_NOPREFIX};
    case ControlKind::CenteredLabel:
      return {"STATIC", SS_CENTER | SS_NOPREFIX};
    case ControlKind::Panel:
      return {PanelClassName, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case ControlKind::Grid:
      return {DrawGridClassName, WS_TABSTOP};
    // Transparent, so a panel that clips its children still paints the inside of the frame.
    case ControlKind::Bevel:
      return {"STATIC", SS_ETCHEDFRAME, WS_EX_TRANSPARENT};
    case ControlKind::CheckBox:
      return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP};
    case ControlKind::Edit:
      return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Picture:
      return {"STATIC", SS_OWNERDRAW};
    case ControlKind::ListBox:
      return {"LISTBOX", LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
      return {"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP};
  }
  return {"STATIC", 0};
}

// A plain child window that passes its controls' notifications on to its parent.
class Panel : public Window {
 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        return ::SendMessageA(::GetParent(hwnd()), message, wParam, lParam);
      default:
        return Window::HandleMessage(message, wParam, lParam);
    }
  }
};

void RegisterPanelClass() {
  Window::RegisterWindowClass(PanelClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), 0, nullptr,
                              []() -> Window* { return new (std::nothrow) Panel; });
}

}  // namespace

HFONT FontCache::Get(FontSpec wanted) {
  auto& font = fonts_[{dpi_, wanted}];
  if (!font) {
    font.reset(::CreateFontA(-ScaledToDpi(wanted.pixelHeight, dpi_), 0, 0, 0,
                             wanted.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, "Arial"));
  }
  return font.get();
}

namespace {

RECT ScaledRect(const ControlSpec& entry, int dpi) {
  const int left = ScaledToDpi(entry.left, dpi), top = ScaledToDpi(entry.top, dpi);
  // Right and bottom scaled on their own, so that neighbours that touch at 96 DPI still touch.
  return {left, top, ScaledToDpi(entry.left + entry.width, dpi), ScaledToDpi(entry.top + entry.height, dpi)};
}

// The grids size their cells by the DPI too; their grid lines stay one device pixel.
void SetControlDpi(HWND control, int dpi) {
  if (DrawGrid* grid = DrawGrid::From(control)) grid->SetDpi(dpi);
}

}  // namespace

std::map<int, HWND> BuildControls(HWND form, std::span<const ControlSpec> table, FontCache& fonts) {
  RegisterPanelClass();
  RegisterDrawGridClass();
  fonts.SetDpi(WindowDpi(form));
  std::map<int, HWND> controls;
  for (const ControlSpec& entry : table) {
    const KindInfo info = InfoFor(entry.kind);
    // A panel earlier in the table, or one the form already has (a page built onto an existing panel).
    const auto earlier = controls.find(entry.parentId);
    const HWND parent = !entry.parentId             ? form
                        : earlier != controls.end() ? earlier->second
                                                    : ::GetDlgItem(form, entry.parentId);
    if (!parent) throw std::runtime_error("A control's panel does not exist.");
    const RECT rect = ScaledRect(entry, fonts.Dpi());
    const HWND control = ::CreateWindowExA(
        info.exStyle, info.className, entry.caption, WS_CHILD | WS_VISIBLE | info.style | entry.extraStyle,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), ::GetModuleHandleA(nullptr), nullptr);
    if (!control) throw std::runtime_error("A control could not be created.");
    SetControlDpi(control, fonts.Dpi());
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Get(entry.font)), FALSE);
    controls[entry.id] = control;
  }
  return controls;
}

HWND FormLayout::UnicodeEdit(HWND form, int id, const RECT& box, FontSpec font, int after) {
  HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, Scaled(box.left),
                                Scaled(box.top), Scaled(box.right - box.left), Scaled(box.bottom - box.top),
                                form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(font)), TRUE);
  ::SetWindowPos(edit, ::GetDlgItem(form, after), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return edit;
}

std::map<int, HWND> FormLayout::Build(HWND form, std::span<const ControlSpec> table) {
  tables_.push_back(table);
  return BuildControls(form, table, fonts_);
}

void FormLayout::DpiChanged(HWND form, WPARAM wParam, LPARAM lParam) {
  fonts_.SetDpi(HIWORD(wParam));
  for (std::span<const ControlSpec> table : tables_) {
    for (const ControlSpec& entry : table) {
      const HWND parent = entry.parentId ? ::GetDlgItem(form, entry.parentId) : form;
      const HWND control = parent ? ::GetDlgItem(parent, entry.id) : nullptr;
      if (!control) continue;
      const RECT rect = ScaledRect(entry, fonts_.Dpi());
      ::SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      SetControlDpi(control, fonts_.Dpi());
      ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(entry.font)), TRUE);
    }
  }
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  ::SetWindowPos(form, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsChecked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  ::SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// While the form shows, its owner is disabled; whatever ends the showing, even an error, the owner
// comes back enabled and active (or the program could never be used again), with the focus where it was.
class ModalForm::OwnerDisabled {
 public:
  OwnerDisabled(ModalForm& form, HWND owner) : form_(form), owner_(owner), focus_(::GetFocus()) {
    ::EnableWindow(owner, FALSE);
  }
  OwnerDisabled(const OwnerDisabled&) = delete;
  OwnerDisabled& operator=(const OwnerDisabled&) = delete;
  ~OwnerDisabled() {
    Reported([this] { form_.FormClose(); });
    std::erase(open_, &form_);
    ::EnableWindow(owner_, TRUE);
    ::SetActiveWindow(owner_);
    if (form_.hwnd()) ::DestroyWindow(form_.hwnd());
    if (::IsWindow(focus_)) ::SetFocus(focus_);  // the grid the form was opened from, say
  }

 private:
  ModalForm& form_;
  HWND owner_;
  HWND focus_;
};

void ModalForm::ShowModal(HWND owner) {
  closing_ = false;
  Create(owner);
  std::optional<int> quit;
  {
    const OwnerDisabled disabled(*this, owner);
    open_.push_back(this);
    FormShow();
    ::ShowWindow(hwnd(), SW_SHOW);
    quit = RunModalLoop();
  }
  if (quit) ::PostQuitMessage(*quit);
}

// The exit code of a WM_QUIT that ended the loop, to be posted again for the loop outside. Messages are
// taken as Unicode, so that a character typed into a Unicode control arrives whole whatever the code
// page; the system converts them for the program's other windows.
std::optional<int> ModalForm::RunModalLoop() {
  MSG msg;
  while (!closing_ && hwnd()) {
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) return static_cast<int>(msg.wParam);
    if (!::IsDialogMessageW(hwnd(), &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return std::nullopt;
}

// WM_CLOSE, as the close box sends: a form that closes in its own way on it does so here too.
void ModalForm::CancelAll() {
  const std::vector<ModalForm*> open = open_;
  for (auto form = open.rbegin(); form != open.rend(); ++form)
    ::SendMessageA((*form)->hwnd(), WM_CLOSE, 0, 0);
}

void ModalForm::CentreOnScreen() {
  RECT frame;
  ::GetWindowRect(hwnd(), &frame);
  const SIZE screen = Screen();
  ::SetWindowPos(hwnd(), nullptr, (screen.cx - (frame.right - frame.left)) / 2,
                 (screen.cy - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ModalForm::SetDefaultButton(int id) {
  if (defaultButton_ && defaultButton_ != id)
    ::SendDlgItemMessageA(hwnd(), defaultButton_, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  defaultButton_ = id;
  ::SendDlgItemMessageA(hwnd(), id, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

LRESULT ModalForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DPICHANGED:
      layout_.DpiChanged(hwnd(), wParam, lParam);
      return 0;
    case DM_GETDEFID:
      return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tvx
