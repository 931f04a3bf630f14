#include "win/files/NetworkConsiderations.h"

#include <stdexcept>
#include <string>

#include "core/common/Numbers.h"
#include "core/files/SyncFile.h"

namespace tvx {
namespace {

constexpr int ClientWidth = 265;
constexpr int ClientHeight = 106;
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD DialogExStyle = WS_EX_DLGMODALFRAME;
constexpr FontSpec FormFont{13};
constexpr int MinutesLength = 2;

using N = TNetworkConsiderations;
// In tab order; the frame encloses the automatic synchronisation line.
const ControlSpec NetworkConsiderationsControls[] = {
    {ControlKind::CheckBox, N::NetworkOption, "&File Locking of Tavrix Files", 8, 4, 209, 17, FormFont},
    {ControlKind::DefaultButton, N::OKButton, "&Ok", 108, 84, 55, 21, FormFont},
    {ControlKind::CheckBox, N::AutoSync, "&Automatic Synchronization Updating", 8, 32, 245, 17, FormFont},
    {ControlKind::Bevel, N::Bevel1, "", 4, 25, 257, 56, FormFont},
    {ControlKind::Label, N::Label1, "Synchronize every", 8, 56, 109, 16, FormFont},
    {ControlKind::Edit, N::Minutes, "", 124, 52, 29, 24, FormFont},
    {ControlKind::Label, N::Label2, "minutes", 160, 56, 61, 16, FormFont},
};

}  // namespace

void TNetworkConsiderations::Create(HWND owner) {
  RegisterWindowClass(NetworkConsiderationsClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const RECT frame =
      FrameForClient(ClientWidth, ClientHeight, DialogStyle, DialogExStyle, false, WindowDpi(owner));
  if (!CreateWin(DialogExStyle, NetworkConsiderationsClassName, "Network Considerations", DialogStyle, frame,
                 owner, nullptr))
    throw std::runtime_error("A dialog could not be created.");
  controls_ = layout_.Build(hwnd(), NetworkConsiderationsControls);
  ::SendMessageA(Control(Minutes), EM_LIMITTEXT, MinutesLength, 0);
  SetDefaultButton(OKButton);
}

void TNetworkConsiderations::FormShow() {
  CentreOnScreen();
  OrigAutoSync = Settings.AutoSync;
  OrigNetworkMode = Settings.NetworkMode;
  SetChecked(Control(NetworkOption), Settings.NetworkMode);
  SetChecked(Control(AutoSync), Settings.AutoSync);
  ::SetWindowTextA(Control(Minutes), FormatNumberGrouped(Settings.SyncMinutes, 1).c_str());
  EnableDisable();
  ::SetFocus(Control(NetworkOption));
}

void TNetworkConsiderations::FormClose() {
  char minutes[16] = {};
  ::GetWindowTextA(Control(Minutes), minutes, sizeof minutes);
  const NetworkChoices choices =
      ReadNetworkChoices(IsChecked(Control(NetworkOption)), IsChecked(Control(AutoSync)), minutes);
  Settings.NetworkMode = choices.NetworkMode;
  Settings.AutoSync = choices.AutoSync;
  Settings.SyncMinutes = choices.SyncMinutes;
}

void TNetworkConsiderations::Command(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == OKButton) OKButtonClick();
  if (id == NetworkOption) NetworkOptionClick();
}

void TNetworkConsiderations::OKButtonClick() { Close(); }

void TNetworkConsiderations::NetworkOptionClick() { EnableDisable(); }

void TNetworkConsiderations::EnableDisable() {
  const bool networkMode = IsChecked(Control(NetworkOption));
  ::EnableWindow(Control(AutoSync), networkMode);
  ::EnableWindow(Control(Minutes), networkMode);
}

}  // namespace tvx
