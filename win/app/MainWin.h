#pragma once
// TMainWin: the main window, from creation to close. It owns the parts of the program (the editor pages,
// network mode, the tray icon, the printout, the per-application worker) and wires them; its handlers keep
// the names users of the program know, most of them short calls into those parts.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/common/ShortString.h"
#include "core/files/MappingExtension.h"
#include "core/files/MappingFile.h"
#include "core/hook/HotKeyConflicts.h"
#include "core/hook/Messages.h"
#include "core/keymap/Areas.h"
#include "core/settings/Applications.h"
#include "core/settings/Settings.h"
#include "win/app/AppMappings.h"
#include "win/app/ApplicationWindow.h"
#include "win/app/TextPlayer.h"
#include "win/files/FileCalls.h"
#include "win/files/FileDialogs.h"
#include "win/files/NetworkMode.h"
#include "win/files/Win32FileAccess.h"
#include "win/keymap/EditorHost.h"
#include "win/keymap/HotKeyEditor.h"
#include "win/keymap/PageIds.h"
#include "win/keymap/RemapEditor.h"
#include "win/shell/PrintGuide.h"
#include "win/shell/TrayIcon.h"
#include "win/sys/Handles.h"
#include "win/ui/DrawGrid.h"
#include "win/ui/Form.h"
#include "win/ui/Window.h"

namespace tvx {

inline constexpr char MainWindowClassName[] = "TMainWin";
inline constexpr char ApplicationTitle[] = "Tavrix 98";

// The main window's own controls and its menu; the pages' controls are in win/keymap/PageIds.h.
enum MainWinId : int {
  IdRemap = 101,
  IdHotKeys,
  // menu
  IdNewFile1 = 201,
  IdOpenFile1,
  IdMenuOutput,
  IdMenuExit,
  IdMenuLastFile1,  // to IdMenuLastFile1 + 4
  IdMenuNetwork = 210,
  IdMenuSysTray,
  IdMenuContents,
  IdMenuUserManual,
  IdMenuAbout,
  IdMenuOther,
  IdMenuExitSep,
  IdMenuCheckHotKeys,
  IdMenuPause,
  IdMenuApplicationMappings,
};

// The two mode buttons: a radio group.
inline constexpr std::array<int, 2> ModeButtons{IdRemap, IdHotKeys};

class TMainWin : public Window, public EditorHost, public NetworkHost {
 public:
  TMainWin();

  // Creates the application window and the main window (FormCreate runs inside, and applies the
  // command-line arguments, the program's name not among them).
  void Create(std::vector<ShortString> arguments = {});
  HWND ApplicationWindow() const { return application_.hwnd(); }
  HWND Control(int id) const;
  HMENU Menu() const { return menu_; }

  // The shared areas, as the hook library sees them.
  HotKeyAreaView HotKeys() const override {
    return HotKeyAreaView(static_cast<std::uint8_t*>(HotKeyArea.get()));
  }
  RemapAreaView Remaps() const override { return RemapAreaView(static_cast<std::uint8_t*>(RemapArea.get())); }

  // Lifecycle.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormClose();
  void EndSession();
  void MenuExitClick();
  void RemapClick();
  void HotKeysClick();
  void EnableDisable();
  void AppDeactivate();

  // Settings file: its place is chosen once, when the settings are first loaded.
  void LoadSettings();
  void SaveSettings() override;

  // Mapping file.
  // Each on the file worker. False when the file did not answer in time (a load of a file that cannot be
  // opened keeps the tables, and is true).
  bool LoadTavrix(const ShortString& fileName);
  bool SaveTavrix(const ShortString& fileName);  // true when it wrote the file
  void InitTavrix();
  void OpenCurrentFile();
  // A file read: its record into the areas, its characters beyond the record in force, and a notice the
  // first time its extension cannot be used.
  void PutInForce(const TavrixRead& read, const ShortString& fileName);

  // The editor pages, each an object of win/keymap: the category buttons, and the grids redrawn.
  void AlphaClick() { hotKeyEditor_.AlphaClick(); }
  void PunctuationClick() { hotKeyEditor_.PunctuationClick(); }
  void FunctionKeysClick() { hotKeyEditor_.FunctionKeysClick(); }
  void NumericClick() { hotKeyEditor_.NumericClick(); }
  void EditingClick() { hotKeyEditor_.EditingClick(); }
  void UpdateGrid();
  bool BrowsingOnly() const override;
  DialogContext EditDialog() override;
  bool ConfirmHotKey(const HotKeyCombination& combination) override;
  void MenuCheckHotKeysClick();

  // Hook library messages.
  void KeyActionMsg(WPARAM wParam, LPARAM lParam);
  void CharacterHotKeyMsg(WPARAM wParam, LPARAM lParam);
  void TextHotKeyMsg(WPARAM wParam, LPARAM lParam);
  void TraceParamsMsg(WPARAM wParam, LPARAM lParam);
  void TraceCodeMsg(WPARAM wParam, LPARAM lParam);
  void PauseChangedMsg(WPARAM wParam);
  void AppMappingNoticeMsg();

  // Network mode, an object of win/files: the edit lock around every change of the tables.
  bool FileInUse() override { return network_.FileInUse(); }
  void ReleaseSyncFile(int changed) override { network_.ReleaseSyncFile(changed); }
  void AttachSyncFile() { network_.AttachSyncFile(); }
  void MenuNetworkClick();
  // The hook learns at once of a character beyond the record set or cleared.
  bool SaveEdit() override {
    appMappings_->CharactersChanged();
    return network_.SaveEdit();
  }
  MappingCharacters& Characters() override { return characters_; }
  bool OffersCharacters() const override;
  void EditUnderLock(const std::function<bool()>& edit) override { network_.EditUnderLock(edit); }
  HWND Owner() const override { return hwnd(); }
  bool ReloadKeepingCells(Grids grids) override;
  std::vector<std::uint8_t> CurrentFileBytes() const override {
    return MappingBytes(RecordFromAreas(HotKeys(), Remaps()), characters_);
  }

  // File commands and the recent-files list.
  void DoNew();
  void DoOpen();
  void OpenSaveFile(ShortString fileName);
  // The tables of a file about to become current; nothing, the user told, when it cannot be read (a
  // missing file told unless `missingSilently`).
  std::optional<TavrixRead> ReadToBecomeCurrent(const ShortString& fileName, bool missingSilently);
  void DoLastFiles(const ShortString& oldName, const ShortString& newName);
  void SetMenuLastFiles();
  void MenuLastFileClick(int number);  // 1 to 5

  // Per-application mappings: the bindings, and the default that follows the current file.
  void StartAppMappings();
  void CurrentFileChanged();
  const TApplications& Applications() const { return apps_; }
  // False when the program's name cannot be a key or all 32 bindings are taken.
  bool BindApplication(const std::string& program, const ShortString& file);
  void UnbindApplication(const std::string& program);
  void MenuApplicationMappingsClick();
  // Command line.
  void ApplyCommandLine();
  void ProcessParam(const ShortString& param);

  // Tray.
  void MenuSysTrayClick();
  void TaskIcon1RightClick();
  // Pausing: the Options menu item; Ctrl+Alt+Scroll Lock is the library's, which tells the window with
  // PauseChangedMsg. Off where the library cannot pause.
  void MenuPauseClick();
  void ShowFromTray();  // the taskbar button and the main window, back from the tray
  // Ends the open dialogs as if cancelled: those a right click on the tray icon closes, and with
  // `boxesToo` every window the main window owns (message boxes, the common dialogs) as well. True when
  // any dialog or box was up.
  bool CancelDialogs(bool boxesToo);
  const TTaskIcon& TaskIcon() const { return TaskIcon1.Icon(); }

  // Printed mapping guide, help, user manual, about box and other products.
  void MenuOutputClick();
  void DoOutput();
  void MenuContentsClick();
  void DoHelp();
  void MenuUserManualClick();
  void MenuAboutClick();
  void MenuOtherClick();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateSharedObjects();
  void InstallHooks();
  void Command(int id);
  void CheckRadio(int id);
  void PageClick(int id);
  void ApplyBrowseOnlyRestrictions();
  void GreyWhatTheLibraryLacks();
  void SetPaused(bool paused);
  void SetUpTaskIcon();
  void ShowTrayIcon(bool shown);
  void ShowPaused();
  void SetCaption(const ShortString& fileName);
  std::optional<ShortString> ChooseTavrixFile(TFileDialog& dialog);
  HWND FirstGrid() const;
  void FocusFirstGrid();
  void RememberFocus();
  void RestoreFocus();

  UniqueHandle HotKeyMapping;
  UniqueHandle HookMutex;
  UniqueHandle RemapMapping;
  MappedView HotKeyArea;
  MappedView RemapArea;
  std::uint16_t StartShowCmd = 0;
  bool TrayCapable = false;
  std::unique_ptr<ProfileStore> settingsStore_;
  TApplications apps_;
  // Shared with its worker, which may outlive the window when a close leaves it behind.
  std::shared_ptr<TAppMappings> appMappings_ = std::make_shared<TAppMappings>();
  TTrayIcon TaskIcon1;
  TFileDialog MyOpenDialog{FileDialogKind::Open, "Open Tavrix File"};
  TFileDialog MySaveDialog{FileDialogKind::Save, "New Tavrix File"};
  TPrintDialog MyPrintDialog;
  std::vector<ShortString> arguments_;

  TFileCalls calls_;
  // The current file's characters beyond its record, and the extensions already reported.
  MappingCharacters characters_;
  ExtensionReports extensionReports_;
  TNetworkMode network_;
  // Per trace message that can come again while its report is on screen: that report is up.
  std::map<UINT_PTR, bool> reportShowing_;

  TApplicationWindow application_;
  TTextPlayer textPlayer_;
  THotKeyEditor hotKeyEditor_;
  TRemapEditor remapEditor_{*this};
  HMENU menu_ = nullptr;
  FormLayout layout_;
  std::map<int, HWND> controls_;
  bool activatedOnce_ = false;
  HWND focus_ = nullptr;  // the control that had the focus when the window was last active
};

// The menu bar and the accelerator table, both made from the command table.
HMENU BuildMainMenu();
HACCEL MainAccelerators();

// "Tavrix 98 (" + base name + ")", with the browse-only suffix.
ShortString FileCaption(const ShortString& fileName);

}  // namespace tvx
