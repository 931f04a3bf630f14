#include "win/shell/AboutBox.h"

namespace tvx {
namespace {

enum Id : int { Button1 = IDOK, Panel1 = 101, ProgramIcon, ProductName, Version, CopyYear, Publisher };

constexpr FontSpec SmallFont{11};

// The texts are set when the box shows.
const ControlSpec AboutControls[] = {
    {ControlKind::Bevel, Panel1, "", 8, 8, 282, 177, SmallFont, 0, SS_SUNKEN},
    {ControlKind::Picture, ProgramIcon, "", 16, 16, 143, 102, SmallFont},
    {ControlKind::CenteredLabel, CopyYear, "", 164, 44, 118, 16, SmallFont},
    {ControlKind::CenteredLabel, Publisher, "", 164, 62, 118, 32, SmallFont},
    {ControlKind::CenteredLabel, ProductName, "", 16, 128, 266, 20, {16, true}},
    {ControlKind::CenteredLabel, Version, "", 16, 154, 266, 17, {13, true}},
    {ControlKind::DefaultButton, Button1, "&Ok", 111, 195, 75, 25, {13}},
};

const InfoFormSpec AboutForm{AboutBoxClassName, "About", 298, 228, AboutControls, Button1};

// The program's icon, as large as the picture's height allows without distorting it.
constexpr int IconSize = 96;

}  // namespace

TAboutBox::TAboutBox(DialogContext context) : InfoForm(context, AboutForm) {}

void TAboutBox::FormShow() {
  InfoForm::FormShow();
  ::SetWindowTextA(Control(ProductName), "Tavrix 98");
  ::SetWindowTextA(Control(Version), "Version 1.0");
  ::SetWindowTextA(Control(CopyYear), "Copyright 1998");
  ::SetWindowTextA(Control(Publisher), "The Tavrix 98 team");
}

void TAboutBox::Command(int id, int code) {
  if (Clicked(code) && (id == Button1 || id == IDCANCEL)) Button1Click();
}

void TAboutBox::Button1Click() { Close(); }

void TAboutBox::ProgramIconPaint(const DRAWITEMSTRUCT& item) const {
  const RECT& area = item.rcItem;
  const int size = ScaledToDpi(IconSize, WindowDpi(item.hwndItem));
  const HICON icon = static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 48, 48, LR_SHARED));
  ::FillRect(item.hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
  ::DrawIconEx(item.hDC, area.left + (area.right - area.left - size) / 2,
               area.top + (area.bottom - area.top - size) / 2, icon, size, size, 0, nullptr, DI_NORMAL);
}

LRESULT TAboutBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && wParam == ProgramIcon) {
    ProgramIconPaint(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return InfoForm::HandleMessage(message, wParam, lParam);
}

}  // namespace tvx
