#pragma once
// TMainWin: the main window, from creation to close. It owns the parts of the program (the editor pages,
// network mode, the tray icon, the printout, the per-application worker) and wires them. Its public side
// is the menu commands, which the command table runs; the start-up, the messages and what the parts ask
// of it are its own.

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
  IdMenuKeys,
};

// The two mode buttons: a radio group.
inline constexpr std::array<int, 2> ModeButtons{IdRemap, IdHotKeys};

class TMainWin : public Window, public EditorHost, public NetworkHost {
 public:
  TMainWin();

  // Creates the application window and the main window, and runs the start-up: the settings, the
  // current file and the command-line arguments, the program's name not among them.
  void Create(std::vector<ShortString> arguments = {});
  HWND ApplicationWindow() const { return application_.hwnd(); }
  HWND Control(int id) const;
  HMENU Menu() const { return menu_; }
  const TTaskIcon& TaskIcon() const { return TaskIcon1.Icon(); }

  // The shared areas, as the hook library sees them.
  HotKeyAreaView HotKeys() const override {
    return HotKeyAreaView(static_cast<std::uint8_t*>(HotKeyArea.get()));
  }
  RemapAreaView Remaps() const override { return RemapAreaView(static_cast<std::uint8_t*>(RemapArea.get())); }

  // The menu commands, each run by its row of the command table (Commands.cpp).
  // File (FileCommands.cpp): each makes another mapping file current.
  void DoNew();
  void DoOpen();
  void OpenSaveFile(ShortString fileName);  // also a recent file, and the file a binding edits
  void DoLastFiles(const ShortString& oldName, const ShortString& newName);
  void SetMenuLastFiles();  // the recent-file items, from the table (Commands.cpp)
  void MenuExitClick();
  // Options: network mode (FileCommands.cpp), the tray and the pause (Tray.cpp), the hot-key check
  // (HotKeyChecks.cpp), the application mappings (Applications.cpp).
  void MenuNetworkClick();
  void MenuSysTrayClick();
  // Pausing: the Options menu item; Ctrl+Alt+Scroll Lock is the library's, which tells the window with
  // PauseChangedMessage. Nothing where the library cannot pause.
  void SetPaused(bool paused);
  void MenuCheckHotKeysClick();
  void MenuApplicationMappingsClick();
  // The Keys table (Hosting.cpp, beside what the editors ask of the window).
  void MenuKeysClick();
  // The printed mapping guide and Help (ShellCommands.cpp).
  void MenuOutputClick();
  void MenuContentsClick();
  void MenuUserManualClick();
  void MenuAboutClick();
  void MenuOtherClick();

  // For the Application Mappings dialog (Applications.cpp).
  const TApplications& Applications() const { return apps_; }
  // False when the program's name cannot be a key or all 32 bindings are taken.
  bool BindApplication(const std::string& program, const ShortString& file);
  void UnbindApplication(const std::string& program);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Lifecycle (MainWin.cpp).
  // Each step runs even when one before it failed; a step's error goes to the general error report.
  void FormCreate();
  void CreateSharedObjects();
  void InstallHooks();
  void FormShow();
  void FormActivate();
  void FormClose();
  void EndSession();
  // Each argument on its own: a file that cannot be read must not cost the options after it
  // (CommandLine.cpp).
  void ApplyCommandLine();
  void ProcessParam(const ShortString& param);

  // The command table's code (Commands.cpp): greys what the browse-only mode refuses and what the hook
  // library lacks, shows the check marks of the state now, and runs a command.
  void GreyRefusedCommands();
  void ShowCheckMarks();
  void Command(int id);

  // Settings file: its place is chosen once, when the settings are first loaded.
  void LoadSettings();
  void SaveSettings() override;

  // The current mapping file (CurrentFile.cpp).
  // Each on the file worker. False when the file did not answer in time (a load of a file that cannot be
  // opened keeps the tables, and is true).
  bool LoadTavrix(const ShortString& fileName);
  bool SaveTavrix(const ShortString& fileName);  // true when it wrote the file
  void InitTavrix();
  void OpenCurrentFile();
  // A file read: its record into the areas, its characters beyond the record in force, and a notice the
  // first time its extension cannot be used.
  void PutInForce(const TavrixRead& read, const ShortString& fileName);
  // The tables of a file about to become current; nothing, the user told, when it cannot be read (a
  // missing file told unless `missingSilently`).
  std::optional<TavrixRead> ReadToBecomeCurrent(const ShortString& fileName, bool missingSilently);
  // What New and Open share, and the caption that names the current file (FileCommands.cpp).
  std::optional<ShortString> ChooseTavrixFile(TFileDialog& dialog);
  void SetCaption(const ShortString& fileName);

  // The two pages and their grids (Pages.cpp). A page or category button clicked: false for any other id.
  bool PageClick(int id);
  void CheckRadio(int id);
  void ShowPage();
  void UpdateGrid();
  HWND FirstGrid() const;
  void FocusFirstGrid();
  void RememberFocus();
  void RestoreFocus();

  // What the editor pages and network mode ask of the window (Hosting.cpp).
  bool BrowsingOnly() const override;
  DialogContext EditDialog() override;
  bool ConfirmHotKey(const HotKeyCombination& combination) override;  // HotKeyChecks.cpp
  bool FileInUse() override;
  void ReleaseSyncFile(int changed) override;
  bool SaveEdit() override;
  MappingCharacters& Characters() override;
  bool OffersCharacters() const override;
  void EditUnderLock(const std::function<bool()>& edit) override;
  HWND Owner() const override;
  bool ReloadKeepingCells(Grids grids) override;
  std::vector<std::uint8_t> CurrentFileBytes() const override;

  // Hook library messages (KeyActions.cpp).
  void KeyActionMsg(WPARAM wParam, LPARAM lParam);
  void CharacterHotKeyMsg(WPARAM wParam, LPARAM lParam);
  void TextHotKeyMsg(WPARAM wParam, LPARAM lParam);
  void TraceParamsMsg(WPARAM wParam, LPARAM lParam);
  void TraceCodeMsg(WPARAM wParam, LPARAM lParam);

  // Per-application mappings: the bindings, and the default that follows the current file
  // (Applications.cpp).
  void StartAppMappings();
  void CurrentFileChanged();
  void AppMappingNoticeMsg();

  // Tray (Tray.cpp).
  void SetUpTaskIcon();
  void ShowTrayIcon(bool shown);
  void ShowPaused();
  void TaskIcon1RightClick();
  void ShowFromTray();  // the taskbar button and the main window, back from the tray
  void AppDeactivate();
  // Ends the open dialogs as if cancelled: those a right click on the tray icon closes, and with
  // `boxesToo` every window the main window owns (message boxes, the common dialogs) as well. True when
  // any dialog or box was up.
  bool CancelDialogs(bool boxesToo);

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
