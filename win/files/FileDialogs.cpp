#include "win/files/FileDialogs.h"

// After <windows.h>, which it needs.
#include <commdlg.h>

#include <vector>

#include "win/sys/LateBound.h"

namespace tvx {
namespace {

constexpr char Filter[] = "Tavrix (*.TVX)\0*.TVX\0";
constexpr char DefaultExtension[] = "TVX";
// Open: no read-only box, an existing file only. Save: ask before replacing, no read-only box, an
// existing folder only.
constexpr DWORD OpenOptions = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
constexpr DWORD SaveOptions = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
// Room for any path the dialog may hand back; the program keeps the first 255 characters.
constexpr std::size_t NameBufferSize = 32768;

}  // namespace

std::optional<ShortString> TFileDialog::Execute(HWND owner) {
  std::vector<char> name(NameBufferSize, '\0');
  fileName_.copy(name.data(), name.size() - 1);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = Filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = title_;
  dialog.lpstrDefExt = DefaultExtension;
  dialog.Flags = (kind_ == FileDialogKind::Open ? OpenOptions : SaveOptions) | OFN_EXPLORER;
  static const auto open = LateBound<decltype(::GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
  static const auto save = LateBound<decltype(::GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
  const auto run = kind_ == FileDialogKind::Open ? open : save;
  const BOOL chosen = run && run(&dialog);
  if (!chosen) return std::nullopt;
  fileName_ = name.data();
  return ShortString(fileName_);
}

}  // namespace tvx
