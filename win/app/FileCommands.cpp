// The File menu: New, Open and the recent files. Each makes another mapping file current; the current
// file never has unsaved changes (every edit is saved at once), so switching never asks about saving.
// And Options > Network: how the current file is shared with other instances.
#include <optional>
#include <string>
#include <variant>

#include "core/app/FileCaption.h"
#include "core/files/MappingExtension.h"
#include "core/files/RecentFiles.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {
void TMainWin::DoOpen() {
  if (const std::optional<ShortString> chosen = ChooseTavrixFile(MyOpenDialog)) OpenSaveFile(*chosen);
}

// The new file is written before it becomes current: one that cannot be written leaves the current file
// current, and the user is told.
void TMainWin::DoNew() {
  const std::optional<ShortString> chosen = ChooseTavrixFile(MySaveDialog);
  if (!chosen) return;
  if (!SaveBytes(*chosen, DefaultFileBytes())) {
    const std::string text = chosen->str() + " could not be written. The current file stays as it was.";
    ::MessageBoxA(hwnd(), text.c_str(), "Error", MB_OK);
    return;
  }
  const ShortString oldName = Settings.CurrentFile;
  Settings.CurrentFile = *chosen;
  if (Settings.NetworkMode) network_.AttachSyncFile(Settings.CurrentFile);
  SetCaption(Settings.CurrentFile);
  DoLastFiles(oldName, Settings.CurrentFile);
  appMappings_->HandOver();
  InitTavrix();
  EndUnread();
  CurrentFileChanged();
  UpdateGrid();
}

// What New and Open share: the dialog and the extension check. Nothing when the user cancelled or was
// refused.
std::optional<ShortString> TMainWin::ChooseTavrixFile(TFileDialog& dialog) {
  const std::optional<ShortString> chosen = dialog.Execute(hwnd());
  if (chosen && !HasTavrixExtension(*chosen)) {
    ::MessageBoxA(hwnd(), "Invalid file type selected.", "Error", MB_OK);
    return std::nullopt;
  }
  return chosen;
}

// Taken by value: the name is a copy of a list entry that DoLastFiles is about to move. In network mode the
// sync file is attached before the read, so a change another user saves between the two is reloaded at the
// next edit, not saved over. No box comes before the switch is complete: its message loop runs the timers.
void TMainWin::OpenSaveFile(ShortString fileName) {
  const bool attached = Settings.NetworkMode && FileExists(fileName);
  if (attached) network_.AttachSyncFile(fileName);
  const auto read = ReadToBecomeCurrent(fileName, false);
  if (const std::string* refusal = std::get_if<std::string>(&read)) {
    if (attached) network_.AttachSyncFile(Settings.CurrentFile);
    ::MessageBoxA(hwnd(), refusal->c_str(), "Error", MB_OK);
    return;
  }
  // The programs that use the file going out keep its tables while the areas take the new one's.
  appMappings_->HandOver();
  const std::string notice = PutInForce(std::get<TavrixRead>(read), fileName);
  const ShortString oldName = Settings.CurrentFile;
  Settings.CurrentFile = fileName;
  SetCaption(fileName);
  DoLastFiles(oldName, fileName);
  CurrentFileChanged();
  UpdateGrid();
  if (!notice.empty()) ::MessageBoxA(hwnd(), notice.c_str(), "Notice", MB_OK);
}

// The default tables as a new file holds them, made apart from the areas in force.
std::vector<std::uint8_t> TMainWin::DefaultFileBytes() {
  std::vector<std::uint8_t> hotKeys(AreaSize), remaps(AreaSize);
  const HotKeyAreaView hotKeyView(hotKeys.data());
  const RemapAreaView remapView(remaps.data());
  tvx::InitTavrix(hotKeyView, remapView);
  return MappingBytes(RecordFromAreas(hotKeyView, remapView), {});
}

void TMainWin::DoLastFiles(const ShortString& oldName, const ShortString& newName) {
  UpdateRecentFiles(Settings.LastFile, oldName, newName);
  SetMenuLastFiles();
}

void TMainWin::MenuNetworkClick() {
  network_.MenuNetworkClick(Dialog());
  SaveSettings();
}

void TMainWin::SetCaption(const ShortString& fileName) {
  ::SetWindowTextA(hwnd(), FileCaption(fileName).c_str());
}

// The name part is taken from the full path however long that is, before anything is cut to a short
// string: a deep folder must not push the name out of the caption.
ShortString FileCaption(const ShortString& fileName) {
  std::string full(fileName.str());
  std::string expanded(::GetFullPathNameA(fileName.c_str(), 0, nullptr, nullptr), '\0');
  const DWORD length = expanded.empty()
                           ? 0
                           : ::GetFullPathNameA(fileName.c_str(), static_cast<DWORD>(expanded.size()),
                                                expanded.data(), nullptr);
  if (length != 0 && length < expanded.size()) full = expanded.substr(0, length);
  const std::size_t separator = full.find_last_of("\\:");
  const std::string_view name =
      std::string_view(full).substr(separator == std::string::npos ? 0 : separator + 1);
  return FileCaptionOf(ShortString(name), BrowseOnly || FullBrowseOnly, Paused);
}

}  // namespace tvx
