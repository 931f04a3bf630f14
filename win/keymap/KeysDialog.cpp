#include "win/keymap/KeysDialog.h"

#include <cstdlib>
#include <iterator>
#include <string>

#include "core/hook/Messages.h"
#include "core/keymap/KeyNames.h"

namespace tvx {

using namespace keys_dialog;

namespace {

constexpr FontSpec DialogFont{14};
constexpr int KindRadios[] = {KeyRadio, OffRadio, TapHoldRadio};

const ControlSpec KeyRemapControls[] = {
    {ControlKind::Label, FromLabel, "Key:", 8, 12, 80, 16, DialogFont},
    {ControlKind::ComboBox, FromBox, "", 96, 8, 150, 300, DialogFont, 0, CBS_DROPDOWNLIST},
    {ControlKind::Button, PressButton, "&Press the key...", 256, 7, 136, 25, DialogFont},
    {ControlKind::Label, PressLabel, "", 96, 36, 296, 16, DialogFont},
    {ControlKind::RadioButton, KeyRadio, "Another &key:", 8, 62, 110, 20, DialogFont},
    {ControlKind::ComboBox, ToBox, "", 124, 60, 150, 300, DialogFont, 0, CBS_DROPDOWNLIST},
    {ControlKind::RadioButton, OffRadio, "&Nothing", 8, 92, 110, 20, DialogFont},
    {ControlKind::RadioButton, TapHoldRadio, "&Tap and hold", 8, 122, 110, 20, DialogFont},
    {ControlKind::Label, TapLabel, "Tapped:", 28, 152, 90, 16, DialogFont},
    {ControlKind::ComboBox, TapBox, "", 124, 148, 150, 300, DialogFont, 0, CBS_DROPDOWNLIST},
    {ControlKind::Label, HoldLabel, "Held:", 28, 182, 90, 16, DialogFont},
    {ControlKind::ComboBox, HoldBox, "", 124, 178, 150, 300, DialogFont, 0, CBS_DROPDOWNLIST},
    {ControlKind::Label, DelayLabel, "Held after (ms):", 28, 212, 94, 16, DialogFont},
    {ControlKind::Edit, DelayBox, "", 124, 208, 60, 22, DialogFont},
    {ControlKind::DefaultButton, OkButton, "OK", 224, 244, 80, 25, DialogFont},
    {ControlKind::Button, CancelButton, "Cancel", 312, 244, 80, 25, DialogFont},
};

const InfoFormSpec KeyRemapForm{KeyRemapFormClassName, "Key Remap", 400, 277, KeyRemapControls, OkButton};

// The list's columns: From, To, Tap, Hold, Delay.
constexpr int ListLeft = 8, ColumnWidth = 90;
const ControlSpec KeysControls[] = {
    {ControlKind::Label, ListLabel, "Keys that do something else:", 8, 8, 456, 16, DialogFont},
    {ControlKind::Label, FromCaption, "From", ListLeft + 4, 28, ColumnWidth, 16, DialogFont},
    {ControlKind::Label, ToCaption, "To", ListLeft + 4 + ColumnWidth, 28, ColumnWidth, 16, DialogFont},
    {ControlKind::Label, TapCaption, "Tap", ListLeft + 4 + 2 * ColumnWidth, 28, ColumnWidth, 16, DialogFont},
    {ControlKind::Label, HoldCaption, "Hold", ListLeft + 4 + 3 * ColumnWidth, 28, ColumnWidth, 16,
     DialogFont},
    {ControlKind::Label, DelayCaption, "Delay", ListLeft + 4 + 4 * ColumnWidth, 28, ColumnWidth, 16,
     DialogFont},
    {ControlKind::ListBox, RemapList, "", ListLeft, 46, 456, 180, DialogFont},
    {ControlKind::Button, AddButton, "&Add...", 8, 236, 80, 25, DialogFont},
    {ControlKind::Button, ChangeButton, "C&hange...", 96, 236, 80, 25, DialogFont},
    {ControlKind::Button, RemoveButton, "&Remove", 184, 236, 80, 25, DialogFont},
    {ControlKind::DefaultButton, CancelButton, "&Close", 384, 236, 80, 25, DialogFont},
};

const InfoFormSpec KeysForm{KeysDialogClassName, "Keys", 472, 269, KeysControls, CancelButton};

std::string LineOf(const KeyRemap& remap) {
  const std::string from = KeyName(remap.from) + "\t";
  switch (remap.kind) {
    case KeyRemapKind::Key:
      return from + KeyName(remap.to);
    case KeyRemapKind::Off:
      return from + "none";
    case KeyRemapKind::TapHold:
      return from + "\t" + KeyName(remap.to) + "\t" + KeyName(remap.hold) + "\t" +
             std::to_string(remap.delayMs) + " ms";
  }
  return from;
}

int RadioOf(KeyRemapKind kind) {
  return kind == KeyRemapKind::Off ? OffRadio : kind == KeyRemapKind::TapHold ? TapHoldRadio : KeyRadio;
}

}  // namespace

TKeyRemapForm::TKeyRemapForm(DialogContext context, std::optional<KeyRemap> start, PickKeyCall pickKey)
    : InfoForm(context, KeyRemapForm), start_(start), pickKey_(pickKey) {}

void TKeyRemapForm::FormShow() {
  InfoForm::FormShow();
  for (const int box : {FromBox, ToBox, TapBox, HoldBox}) FillKeys(box);
  const KeyRemap remap = start_.value_or(KeyRemap{0, KeyRemapKind::TapHold, 0x1B, 0xA2});
  SelectKey(FromBox, remap.from);
  SelectKey(ToBox, remap.kind == KeyRemapKind::Key ? remap.to : 0);
  SelectKey(TapBox, remap.kind == KeyRemapKind::TapHold ? remap.to : 0x1B);
  SelectKey(HoldBox, remap.kind == KeyRemapKind::TapHold ? remap.hold : 0xA2);
  ::SetWindowTextA(Control(DelayBox), std::to_string(remap.delayMs).c_str());
  KindClick(RadioOf(start_ ? remap.kind : KeyRemapKind::Key));
  // A library that cannot hand over a pressed key leaves the list alone.
  ::EnableWindow(Control(PressButton), pickKey_ != nullptr);
  ::SetFocus(Control(FromBox));
}

void TKeyRemapForm::FormClose() { StopPicking(); }

void TKeyRemapForm::Command(int id, int code) {
  if (!Clicked(code)) return;
  switch (id) {
    case KeyRadio:
    case OffRadio:
    case TapHoldRadio:
      return KindClick(id);
    case PressButton:
      return PressButtonClick();
    case OkButton:
      return OkButtonClick();
    case CancelButton:
      return Close();
  }
}

LRESULT TKeyRemapForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != KeyPickedMessage) return InfoForm::HandleMessage(message, wParam, lParam);
  StopPicking();
  SelectKey(FromBox, static_cast<std::uint8_t>(wParam));
  ::SetFocus(Control(FromBox));
  return 0;
}

void TKeyRemapForm::FillKeys(int box) const {
  for (const std::uint8_t vk : NamedKeys()) {
    const auto index =
        ::SendMessageA(Control(box), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(KeyName(vk).c_str()));
    ::SendMessageA(Control(box), CB_SETITEMDATA, static_cast<WPARAM>(index), vk);
  }
}

// A key with no name of the list (one pressed, or one a file holds) is added to it as "VK xx".
void TKeyRemapForm::SelectKey(int box, std::uint8_t vk) const {
  HWND list = Control(box);
  if (vk == 0) {
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return;
  }
  const auto count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
  for (LRESULT index = 0; index < count; ++index) {
    if (::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0) != vk) continue;
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return;
  }
  const auto index = ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(KeyName(vk).c_str()));
  ::SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(index), vk);
  ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::uint8_t TKeyRemapForm::SelectedKey(int box) const {
  const auto index = ::SendMessageA(Control(box), CB_GETCURSEL, 0, 0);
  if (index < 0) return 0;
  return static_cast<std::uint8_t>(
      ::SendMessageA(Control(box), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

// The kind's radio button checked, and only the boxes it uses enabled.
void TKeyRemapForm::KindClick(int id) {
  for (const int radio : KindRadios) SetChecked(Control(radio), radio == id);
  ::EnableWindow(Control(ToBox), id == KeyRadio);
  for (const int control : {TapLabel, TapBox, HoldLabel, HoldBox, DelayLabel, DelayBox})
    ::EnableWindow(Control(control), id == TapHoldRadio);
}

void TKeyRemapForm::PressButtonClick() {
  if (!pickKey_) return;
  pickKey_(1);
  picking_ = hwnd();
  ::SetWindowTextA(Control(PressLabel), "Press the key to remap...");
}

void TKeyRemapForm::StopPicking() {
  if (picking_ != hwnd() || !hwnd()) return;
  pickKey_(0);
  picking_ = nullptr;
  ::SetWindowTextA(Control(PressLabel), "");
}

void TKeyRemapForm::OkButtonClick() {
  char delay[8] = {};
  ::GetWindowTextA(Control(DelayBox), delay, sizeof delay);
  const int ms = std::atoi(delay);
  KeyRemap remap{SelectedKey(FromBox), KeyRemapKind::Key, SelectedKey(ToBox)};
  if (IsChecked(Control(OffRadio))) remap = {remap.from, KeyRemapKind::Off};
  if (IsChecked(Control(TapHoldRadio)))
    remap = {remap.from, KeyRemapKind::TapHold, SelectedKey(TapBox), SelectedKey(HoldBox),
             static_cast<std::uint16_t>(ms < 0 || ms > 0xFFFF ? 0 : ms)};
  const bool tapHold = remap.kind == KeyRemapKind::TapHold, key = remap.kind == KeyRemapKind::Key;
  if (!remap.from || (key && !remap.to) || (tapHold && (!remap.to || !remap.hold))) {
    ::MessageBoxA(hwnd(), "Choose a key in each list first.", "Error", MB_OK);
    return;
  }
  if (const auto problem = KeyRemapProblem(remap)) {
    ::MessageBoxA(hwnd(), problem->c_str(), "Error", MB_OK);
    return;
  }
  Choice = remap;
  Close();
}

TKeysDialog::TKeysDialog(DialogContext context, EditorHost& host, PickKeyCall pickKey)
    : InfoForm(context, KeysForm), host_(host), pickKey_(pickKey) {}

void TKeysDialog::FormShow() {
  InfoForm::FormShow();
  const int tabStops[] = {60, 120, 180, 240};  // dialog units, under the column captions
  ::SendMessageA(Control(RemapList), LB_SETTABSTOPS, std::size(tabStops), reinterpret_cast<LPARAM>(tabStops));
  FillList();
  ::SetFocus(Control(RemapList));
}

void TKeysDialog::Command(int id, int code) {
  if (id == RemapList && code == LBN_DBLCLK) return Edit(SelectedSource());
  if (!Clicked(code)) return;
  switch (id) {
    case AddButton:
      return Edit(std::nullopt);
    case ChangeButton:
      if (const auto source = SelectedSource()) Edit(source);
      return;
    case RemoveButton:
      return RemoveButtonClick();
    case CancelButton:
      return Close();
  }
}

void TKeysDialog::FillList(std::optional<std::uint8_t> source) {
  HWND list = Control(RemapList);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const KeyRemap& remap : host_.Characters().keys.List()) {
    const auto index = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LineOf(remap).c_str()));
    ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), remap.from);
    if (remap.from == source) ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  ::SetFocus(list);
}

std::optional<std::uint8_t> TKeysDialog::SelectedSource() const {
  const auto index = ::SendMessageA(Control(RemapList), LB_GETCURSEL, 0, 0);
  if (index < 0) return std::nullopt;
  return static_cast<std::uint8_t>(
      ::SendMessageA(Control(RemapList), LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void TKeysDialog::Edit(std::optional<std::uint8_t> source) {
  if (host_.BrowsingOnly() || host_.FileInUse()) return;
  host_.EditUnderLock([&] {
    KeyRemapTable& keys = host_.Characters().keys;
    // Read after FileInUse, which may have reloaded the file.
    const std::optional<KeyRemap> start = source ? keys.At(*source) : std::nullopt;
    if (source && !start) return false;
    TKeyRemapForm form(host_.EditDialog(), start, pickKey_);
    form.ShowModal(hwnd());
    if (!form.Choice) return false;
    if (form.Choice->from != source && keys.At(form.Choice->from)) {
      const std::string text =
          KeyName(form.Choice->from) + " is remapped already: choose it in the list to change it.";
      ::MessageBoxA(hwnd(), text.c_str(), "Error", MB_OK);
      return false;
    }
    if (source) keys.Clear(*source);
    keys.Set(*form.Choice);
    source = form.Choice->from;
    return host_.SaveEdit();
  });
  FillList(source);
}

void TKeysDialog::RemoveButtonClick() {
  const std::optional<std::uint8_t> source = SelectedSource();
  if (!source || host_.BrowsingOnly() || host_.FileInUse()) return;
  host_.EditUnderLock([&] {
    if (!host_.Characters().keys.At(*source)) return false;
    host_.Characters().keys.Clear(*source);
    return host_.SaveEdit();
  });
  FillList();
}

}  // namespace tvx
