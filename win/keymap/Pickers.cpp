#include "win/keymap/Pickers.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>

#include "core/keymap/CellCharacters.h"
#include "win/keymap/OtherCharacter.h"
#include "win/keymap/PageIds.h"
#include "win/ui/CellPainting.h"

namespace tvx {
namespace {

constexpr UINT SettleDefaultMessage = WM_APP + 1;
constexpr DWORD PickerStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD PickerExStyle = WS_EX_DLGMODALFRAME;
constexpr int PickerButtons[] = {picker::OkButton,     picker::NoneButton,  picker::OkKey,
                                 picker::CancelButton, picker::OtherButton, picker::TextButton};

int TopWithinParent(HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  POINT topLeft{rect.left, rect.top};
  ::ScreenToClient(::GetParent(control), &topLeft);
  return topLeft.y;
}

}  // namespace

POINT PickerPosition(int screenWidth, int screenHeight, SIZE dialog, int y, PickerMargins margins) {
  POINT position{(screenWidth - dialog.cx) / 2, y};
  const int centred = (screenHeight - dialog.cy) / 2;
  if (screenHeight - y < y - margins.aboveMargin) {
    position.y = y - dialog.cy - margins.aboveMargin;
    if (position.y < 0) position.y = centred;
  } else if (y + dialog.cy > screenHeight + margins.belowSlack) {
    position.y = centred;
  }
  return position;
}

int PickerAnchorY(HWND mainWindow, const RECT& cellRect) {
  RECT window{}, client{};
  ::GetWindowRect(mainWindow, &window);
  ::GetClientRect(mainWindow, &client);
  const HWND grid = ::GetDlgItem(::GetDlgItem(mainWindow, IdPanel1), IdNewGrid);
  const int gridTop = grid ? TopWithinParent(grid) : 0;
  return (window.bottom - window.top - client.bottom) + window.top + gridTop + cellRect.bottom;
}

void PickerForm::CreateForm(HWND owner, const char* className, const char* caption, int clientWidth,
                            int clientHeight, std::span<const ControlSpec> controls) {
  RegisterWindowClass(className, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT frame =
      FrameForClient(clientWidth, clientHeight, PickerStyle, PickerExStyle, false, WindowDpi(owner));
  if (!CreateWin(PickerExStyle, className, caption, PickerStyle, frame, owner, nullptr))
    throw std::runtime_error("A dialog could not be created.");
  controls_ = layout_.Build(hwnd(), controls);
}

DrawGrid& PickerForm::Grid(int id) const { return *DrawGrid::From(controls_.at(id)); }

// A button given the focus is the one Enter presses, as when the user tabs to it.
void PickerForm::FocusControl(int id) {
  focus_ = controls_.at(id);
  ::SetFocus(focus_);
  SettleDefaultLook();
}

void PickerForm::PlaceBelowCell(PickerMargins margins) {
  RECT frame;
  ::GetWindowRect(hwnd(), &frame);
  const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
  const int y = PickerAnchorY(::GetWindow(hwnd(), GW_OWNER), CellRect);
  margins = {layout_.Scaled(margins.aboveMargin), layout_.Scaled(margins.belowSlack)};
  const POINT position = PickerPosition(Screen().cx, Screen().cy, size, y, margins);
  ::SetWindowPos(hwnd(), nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

char16_t AnsiCharacter(std::uint8_t byte) {
  const char ansi = static_cast<char>(byte);
  wchar_t wide = 0;
  return ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &ansi, 1, &wide, 1) == 1
             ? static_cast<char16_t>(wide)
             : 0;
}

void PickerForm::ShowOtherButton() {
  Character = 0;
  ::EnableWindow(controls_.at(picker::OtherButton), OtherCharacters);
}

// A character the code page has is picked as the symbol grid picks it, so it goes in the record.
void PickerForm::OtherButtonClick() {
  TOtherCharacter other({Screen()});
  other.ShowModal(hwnd());
  if (!other.Character) return;
  if (const auto byte = CodePageByte(other.Character, AnsiCharacter)) {
    Choice = ShortString(std::string(1, static_cast<char>(*byte)));
    Code = *byte - FirstSymbol;
  } else {
    Character = other.Character;
  }
  Close();
}

// The dialog manager moves the default look onto a button reached by Tab, but leaves no button looking
// default when the focus goes on to a grid; this puts it back once the manager is done.
bool PickerForm::ButtonFocusChanged(int code) {
  if (code == BN_KILLFOCUS) ::PostMessageA(hwnd(), SettleDefaultMessage, 0, 0);
  return code == BN_SETFOCUS || code == BN_KILLFOCUS;
}

void PickerForm::SettleDefaultLook() {
  const HWND focus = ::GetFocus();
  const int focusId = focus && ::GetParent(focus) == hwnd() ? ::GetDlgCtrlID(focus) : 0;
  const bool onButton =
      std::find(std::begin(PickerButtons), std::end(PickerButtons), focusId) != std::end(PickerButtons);
  const int shown = onButton ? focusId : DefaultButton();
  for (int button : PickerButtons) {
    const auto found = controls_.find(button);
    if (found == controls_.end()) continue;
    ::SendMessageA(found->second, BM_SETSTYLE, button == shown ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

LRESULT PickerForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SettleDefaultMessage) {
    SettleDefaultLook();
    return 0;
  }
  if (message == WM_ACTIVATE) {
    const HWND focus = ::GetFocus();
    if (LOWORD(wParam) == WA_INACTIVE && focus && ::IsChild(hwnd(), focus)) focus_ = focus;
    if (LOWORD(wParam) != WA_INACTIVE && focus_) ::SetFocus(focus_);
    return 0;
  }
  return ModalForm::HandleMessage(message, wParam, lParam);
}

void SetUpSymbolGrid(DrawGrid& grid) {
  grid.SetColCount(SymbolColumns);
  grid.SetRowCount(SymbolRows);
  grid.SetDefaultColWidth(20);
  grid.SetDefaultRowHeight(20);
  grid.SetVerticalScrollBar(false);
  grid.OnDrawCell = SymbolGridDrawCell;
}

void SymbolGridDrawCell(const GridCellPaint& cell) {
  PaintCellBackground(cell, false);
  const char symbol = static_cast<char>(FirstSymbol + cell.row * SymbolColumns + cell.col);
  ::TextOutA(cell.dc, cell.rect.left + ScaledToDpi(4, cell.dpi), cell.rect.top + ScaledToDpi(1, cell.dpi),
             &symbol, 1);
}

int SymbolIndex(const DrawGrid& grid) { return grid.Row() * SymbolColumns + grid.Col(); }

ShortString OneCharacter(int code) { return ShortString(std::string(1, static_cast<char>(code))); }

}  // namespace tvx
