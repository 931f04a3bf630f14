#pragma once
// TMainWin: the main window, from creation to close, and the handlers of everything it hosts.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/common/ShortString.h"
#include "core/hook/Messages.h"
#include "core/files/SyncFile.h"
#include "core/keymap/Areas.h"
#include "core/hook/HotKeyConflicts.h"
#include "core/settings/Applications.h"
#include "core/settings/Settings.h"
#include "win/app/AppMappings.h"
#include "win/files/FileDialogs.h"
#include "win/files/Win32Clock.h"
#include "win/files/Win32FileAccess.h"
#include "win/shell/PrintGuide.h"
#include "win/shell/TaskIcon.h"
#include "win/ui/DrawGrid.h"
#include "win/ui/Form.h"
#include "win/ui/Handles.h"
#include "win/ui/Window.h"

namespace tvx {

inline constexpr char MainWindowClassName[] = "TMainWin";
inline constexpr char ApplicationClassName[] = "TApplication";
inline constexpr char ApplicationTitle[] = "Tavrix 98";

// Control and menu ids of the main window.
enum MainWinId : int {
  IdRemap = 101,
  IdHotKeys,
  IdPanel1,
  IdPanel2,
  // hot-key page
  IdAlpha = 120,
  IdPunctuation,
  IdFunctionKeys,
  IdNumeric,
  IdEditing,
  IdNewGrid,
  IdHeadingFirst = 130,  // 12 column headings
  // remapper page
  IdUpperGrid = 150,
  IdLowerGrid,
  IdPunctGrid,
  IdNumGrid,
  IdLabel4,
  IdLabel6,
  IdLabel11,
  IdLabel14,
  IdBevel1,
  IdLabel18,
  IdLabel16,
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

// The category buttons in KeyCategory order, and the two mode buttons: a radio group each.
inline constexpr std::array<int, 5> CategoryButtons{IdAlpha, IdPunctuation, IdFunctionKeys, IdNumeric,
                                                    IdEditing};
inline constexpr std::array<int, 2> ModeButtons{IdRemap, IdHotKeys};

class TMainWin : public Window {
 public:
  TMainWin();
  ~TMainWin() override;

  // Creates the application window and the main window (FormCreate runs inside, and applies the
  // command-line arguments, the program's name not among them).
  void Create(std::vector<ShortString> arguments = {});
  HWND ApplicationWindow() const { return application_.get(); }
  HWND Control(int id) const;
  HMENU Menu() const { return menu_; }

  // The shared areas, as the hook library sees them.
  HotKeyAreaView HotKeys() const { return HotKeyAreaView(static_cast<std::uint8_t*>(HotKeyArea.get())); }
  RemapAreaView Remaps() const { return RemapAreaView(static_cast<std::uint8_t*>(RemapArea.get())); }

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
  void SaveSettings();

  // Mapping file.
  void LoadTavrix(const ShortString& fileName);
  bool SaveTavrix(const ShortString& fileName);  // true when it wrote the file
  void InitTavrix();
  void OpenCurrentFile();

  // Hot-key editor.
  void BuildHotKeyPage();
  void AlphaClick();
  void PunctuationClick();
  void FunctionKeysClick();
  void NumericClick();
  void EditingClick();
  void UpdateGrid();
  void NewGridDrawCell(const GridCellPaint& cell);
  void NewGridDblClick();
  void SystemKeyMsg();
  // Warns of what the hot key would take from the user; true to set it.
  bool ConfirmHotKey(const HotKeyCombination& combination);
  void MenuCheckHotKeysClick();

  // Remapper editor: the four grids share one painter and one editor.
  void BuildRemapPage();
  void RemapGridDrawCell(RemapTableId table, const GridCellPaint& cell);
  void RemapGridDblClick(RemapTableId table);

  // Hook library messages.
  void KeyActionMsg(WPARAM wParam, LPARAM lParam);
  void TraceParamsMsg(WPARAM wParam, LPARAM lParam);
  void TraceCodeMsg(WPARAM wParam, LPARAM lParam);
  void PauseChangedMsg(WPARAM wParam);
  void AppMappingFailedMsg();

  // Network mode: the edit lock around every change of the tables.
  bool FileInUse();
  void ReleaseSyncFile(int changed);
  void AttachSyncFile();
  void SyncTimerTimer();
  void NetTimerTimer();
  void MenuNetworkClick();
  // Saves the current file after an edit; false when the edit must not count as saved.
  bool SaveEdit();
  // Runs one edit of the tables (a dialog, then storing and saving); true when it stored an entry.
  void EditUnderLock(const std::function<bool()>& edit);

  // File commands and the recent-files list.
  void DoNew();
  void DoOpen();
  void OpenSaveFile(ShortString fileName);
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
  // Pausing: the Options menu item and a double-click on the tray icon; Ctrl+Alt+Scroll Lock is the
  // library's, which tells the window with PauseChangedMsg.
  void MenuPauseClick();
  void ShowFromTray();  // the taskbar button and the main window, back from the tray
  // Ends the open dialogs as if cancelled: those a right click on the tray icon closes, and with
  // `boxesToo` every window the main window owns (message boxes, the common dialogs) as well. True when
  // any dialog or box was up.
  bool CancelDialogs(bool boxesToo);
  const TTaskIcon& TaskIcon() const { return TaskIcon1; }

  // Printed mapping guide, help, user manual, about box and other products.
  void MenuOutputClick();
  void DoOutput();
  void MenuContentsClick();
  void DoHelp();
  void MenuUserManualClick();
  void MenuAboutClick();
  void MenuOtherClick();

  FontCache& Fonts() { return layout_.Fonts(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateSharedObjects();
  void InstallHooks();
  void Command(int id);
  void CheckRadio(int id);
  void PageClick(int id);
  void CategoryClick(int category);
  void ApplyBrowseOnlyRestrictions();
  void StartSyncTimer();
  void EnableSyncTimer(bool enabled);
  void ReloadKeepingCells(std::span<const int> gridIds);
  void TimerTick(UINT_PTR timer);
  void SetUpTaskIcon();
  void ShowTrayIcon(bool shown);
  void ShowPaused();
  void SetCaption(const ShortString& fileName);
  bool ChooseCurrentFile(TFileDialog& dialog);
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
  TAppMappings appMappings_;
  TTaskIcon TaskIcon1;
  HICON TrayPicture = nullptr;  // shared, not owned
  UniqueIcon PausedPicture;
  TFileDialog MyOpenDialog{FileDialogKind::Open, "Open Tavrix File"};
  TFileDialog MySaveDialog{FileDialogKind::Save, "New Tavrix File"};
  TPrintDialog MyPrintDialog;
  std::vector<ShortString> arguments_;

  // Network mode.
  enum Timer : UINT_PTR { SyncTimer = 1, NetTimer };
  Win32FileAccess files_;
  Win32Clock clock_;
  SyncSession sync_{files_, clock_, MachineAndProcess()};
  std::int32_t SyncMinuteCount = 0;
  bool syncTimerEnabled_ = false;
  // Per source of errors that can come again while its report is on screen (a timer by its id, a trace
  // message by its number): that report is up.
  std::map<UINT_PTR, bool> reportShowing_;

  UniqueWindow application_;
  HMENU menu_ = nullptr;
  FormLayout layout_;
  std::map<int, HWND> controls_;
  bool activatedOnce_ = false;
  HWND focus_ = nullptr;  // the control that had the focus when the window was last active
};

// "Tavrix 98 (" + base name + ")", with the browse-only suffix.
ShortString FileCaption(const ShortString& fileName);

}  // namespace tvx
