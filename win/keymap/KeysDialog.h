#pragma once
// TKeysDialog: Options > Keys. The Keys table (core/keymap/KeyRemaps.h): each key remapped, what it does,
// and Add, Change and Remove, each an edit that is in force at once and saved like every other. TKeyRemapForm
// picks one remap: the source from the names or by pressing it, the targets from the names.

#include <cstdint>
#include <optional>

#include "core/keymap/KeyRemaps.h"
#include "win/keymap/EditorHost.h"
#include "win/ui/InfoForm.h"

namespace tvx {

inline constexpr char KeysDialogClassName[] = "TKeysDialog";
inline constexpr char KeyRemapFormClassName[] = "TKeyRemapForm";

namespace keys_dialog {
enum Id : int {
  OkButton = IDOK,
  CancelButton = IDCANCEL,
  FromLabel = 101,
  FromBox,
  PressButton,
  PressLabel,
  KeyRadio,
  ToBox,
  OffRadio,
  TapHoldRadio,
  TapLabel,
  TapBox,
  HoldLabel,
  HoldBox,
  DelayLabel,
  DelayBox,
  RemapList,
  ListLabel,
  AddButton,
  ChangeButton,
  RemoveButton,
  FromCaption,
  ToCaption,
  TapCaption,
  HoldCaption,
  DelayCaption,
};
}  // namespace keys_dialog

// The hook library's TavrixHookPickKey: while on (non-zero), the next key the user presses is swallowed
// with its release and posted to the main window as KeyPickedMessage. Null where the library lacks it.
using PickKeyCall = void (*)(std::uint32_t on);

class TKeyRemapForm : public InfoForm {
 public:
  // `start`: the remap to change, or nothing to add one.
  TKeyRemapForm(DialogContext context, std::optional<KeyRemap> start, PickKeyCall pickKey);
  std::optional<KeyRemap> Choice;  // after OK: the remap, one that can be in force

  // The form waiting for a pressed key, for the main window to pass KeyPickedMessage on to; null when none.
  static HWND Picking() { return picking_; }

 protected:
  void FormShow() override;
  void FormClose() override;
  void Command(int id, int code) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillKeys(int box) const;
  void SelectKey(int box, std::uint8_t vk) const;
  std::uint8_t SelectedKey(int box) const;
  void KindClick(int id);
  void PressButtonClick();
  void StopPicking();
  void OkButtonClick();

  std::optional<KeyRemap> start_;
  PickKeyCall pickKey_;
  static inline HWND picking_ = nullptr;
};

class TKeysDialog : public InfoForm {
 public:
  TKeysDialog(DialogContext context, EditorHost& host, PickKeyCall pickKey);

 protected:
  void FormShow() override;
  void Command(int id, int code) override;

 private:
  // The lines, with the one of `source` selected and the focus on them, so the keys go on from there.
  void FillList(std::optional<std::uint8_t> source = std::nullopt);
  // The source of the selected line; nothing when none is selected.
  std::optional<std::uint8_t> SelectedSource() const;
  // Add (nothing) or Change (the source): the form, then the remap stored and saved under the edit lock.
  void Edit(std::optional<std::uint8_t> source);
  void RemoveButtonClick();

  EditorHost& host_;
  PickKeyCall pickKey_;
};

}  // namespace tvx
