#include "win/app/MainWin.h"

#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>

#include "core/app/FileCaption.h"
#include "win/app/Program.h"
#include "win/files/Win32FileAccess.h"
#include "win/hook/TavrixHook.h"
#include "win/keymap/KeysDialog.h"
#include "win/keymap/SessionSecurity.h"
#include "win/settings/Win32ProfileStore.h"

namespace tvx {
namespace {

constexpr int ClientWidth = 388;
constexpr int ClientHeight = 454;
constexpr DWORD MainWinStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

const ControlSpec MainWinControls[] = {
    {ControlKind::RadioButton, IdRemap, "Keyboard &Remapper", 4, 8, 180, 20, {16}, 0, WS_GROUP},
    {ControlKind::RadioButton, IdHotKeys, "Keyboard &Hot Keys", 200, 8, 180, 20, {16}},
    {ControlKind::Panel, IdPanel1, "", 4, 32, 381, 417, {16}},
    {ControlKind::Panel, IdPanel2, "", 4, 32, 381, 417, {16}},
};

[[noreturn]] void SystemError(HWND owner, const char* text) {
  ::MessageBoxA(owner, text, "System Error", MB_OK);
  ::ExitProcess(0);
}

std::uint32_t Low32(HWND window) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace

TMainWin::TMainWin() : network_(*this, Settings, calls_), hotKeyEditor_(*this, Settings) {}

HWND TMainWin::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void TMainWin::Create(std::vector<ShortString> arguments) {
  arguments_ = std::move(arguments);
  application_.Create(ApplicationTitle);
  textPlayer_.Create();
  RegisterWindowClass(MainWindowClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RECT frame = FrameForClient(ClientWidth, ClientHeight, MainWinStyle, 0, true, WindowDpi(nullptr));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
            top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  menu_ = BuildMainMenu();
  if (!CreateWin(0, MainWindowClassName, ApplicationTitle, MainWinStyle,
                 RECT{left, top, left + width, top + height}, application_.hwnd(), menu_))
    throw std::runtime_error("The main window could not be created.");
  application_.SetMainWindow(hwnd());
  SetErrorReportOwner(hwnd());
  const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  controls_ = layout_.Build(hwnd(), MainWinControls);
  ::ShowWindow(Control(IdPanel1), SW_HIDE);
  ::ShowWindow(Control(IdPanel2), SW_HIDE);
  controls_.merge(hotKeyEditor_.BuildHotKeyPage({hwnd(), layout_}));
  controls_.merge(remapEditor_.BuildRemapPage({hwnd(), layout_}));
  SetUpTaskIcon();
  FormCreate();
}

// Each step runs even when one before it failed: a short mapping file must not cost the command line
// and the browse-only restrictions. A step's error goes to the general error report.
void TMainWin::FormCreate() {
  const std::function<void()> steps[] = {
      [this] {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ::GetStartupInfoA(&startup);
        if (startup.dwFlags & STARTF_USESHOWWINDOW) StartShowCmd = startup.wShowWindow;
      },
      [this] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        ::GetVersionExA(&version);
        TrayCapable = version.dwPlatformId == 1 || (version.dwPlatformId == 2 && version.dwMajorVersion >= 4);
      },
      [this] { CreateSharedObjects(); },
      [this] { InstallHooks(); },
      [] {
        char path[MAX_PATH + 1] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dir(ShortString(path).str());
        dir.erase(dir.find_last_of("\\:") + 1);
        if (!dir.empty() && dir.back() == '\\') dir.pop_back();
        ProgramDir = dir;
      },
      [this] { LoadSettings(); },
      [this] { OpenCurrentFile(); },
      [this] {
        if (Settings.UseTray) ShowTrayIcon(true);
      },
      [this] { CheckRadio(Settings.Remap ? IdRemap : IdHotKeys); },
      [this] { SetMenuLastFiles(); },
      [] { BrowseOnly = FullBrowseOnly = Paused = false; },
      [this] { ApplyCommandLine(); },
      [this] { StartAppMappings(); },
      [] {
        ScreenWidth = ::GetSystemMetrics(SM_CXSCREEN);
        ScreenHeight = ::GetSystemMetrics(SM_CYSCREEN);
      },
      [this] {
        if (Settings.NetworkMode) network_.AttachSyncFile();
      },
      [this] { network_.Start(); },
      [this] { GreyRefusedCommands(); },
  };
  for (const auto& step : steps) Reported(step);
}

void TMainWin::CreateSharedObjects() {
  constexpr char NotCreated[] = "Memory Mapped File could not be created.  Tavrix will terminate.";
  constexpr char NotMapped[] = "Memory Mapped File could not be mapped.  Tavrix will terminate.";
  LogonSessionOnly security;
  auto createArea = [&](const char* name, UniqueHandle& mapping, MappedView& view) {
    mapping.reset(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0, AreaSize, name));
    if (!mapping || (::GetLastError() == ERROR_ALREADY_EXISTS && !security.IsOurs(mapping.get())))
      SystemError(hwnd(), NotCreated);
    view.reset(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view) SystemError(hwnd(), NotMapped);
  };
  createArea(HotKeyAreaName, HotKeyMapping, HotKeyArea);
  HookMutex.reset(::CreateMutexA(security.Attributes(), FALSE, HookMutexName));
  if (!HookMutex || (::GetLastError() == ERROR_ALREADY_EXISTS && !security.IsOurs(HookMutex.get())))
    SystemError(hwnd(), "Mutex could not be created.  Tavrix will terminate.");
  createArea(RemapAreaName, RemapMapping, RemapArea);
}

void TMainWin::InstallHooks() {
  HotKeys().SetMainWindow(Low32(hwnd()));
  HotKeys().SetHookLibByte(0);
  const std::uint32_t hook = TavrixHookInit();
  HotKeys().SetHookHandle(hook);
  // The keys would otherwise silently do nothing; the program itself still works.
  if (!hook)
    ::MessageBoxA(hwnd(),
                  "The keyboard hook could not be installed.  Remapping and hot keys are not in force.",
                  "Error", MB_OK);
  Remaps().SetMainWindow(Low32(hwnd()));
  Remaps().SetMsgHookLibByte(0);
  Remaps().SetMsgHookHandle(TavrixMsgHookInit());
}

void TMainWin::FormShow() {
  SetCaption(Settings.CurrentFile);
  if (Settings.LastKeys >= 1 && Settings.LastKeys <= 5) CheckRadio(CategoryButtons[Settings.LastKeys - 1]);
  UpdateGrid();
}

// Minimise (or maximise) as the process was started, once: doing it at every activation would make
// a program started minimised impossible to restore.
void TMainWin::FormActivate() {
  if (activatedOnce_) return;
  activatedOnce_ = true;
  switch (StartShowCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      ::ShowWindow(application_.hwnd(), SW_MINIMIZE);
      ::ShowWindow(hwnd(), SW_HIDE);
      break;
    case SW_SHOWMAXIMIZED:
      ::ShowWindow(hwnd(), SW_MAXIMIZE);
      break;
  }
}

void TMainWin::FormClose() {
  Reported([this] { SaveSettings(); });
  calls_.Close();
  appMappings_->Stop();
  if (HotKeyArea) TavrixHookTerm(HotKeys().HookHandle());
  HotKeyArea.reset();
  RemapArea.reset();
  RemapMapping.reset();
  HotKeyMapping.reset();
  HookMutex.reset();
}

// Windows ends the process soon after the session's end has been answered, whatever modal loop runs:
// what the close would keep is kept now.
void TMainWin::EndSession() {
  Reported([this] { SaveSettings(); });
  network_.EndSession();
  if (HotKeyArea) TavrixHookTerm(HotKeys().HookHandle());
}

void TMainWin::MenuExitClick() { ::PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

void TMainWin::LoadSettings() {
  settingsStore_ = std::make_unique<Win32ProfileStore>(Win32ProfileStore::ForCurrentUser());
  tvx::LoadSettings(Settings, *settingsStore_, DefaultMappingDir(ProgramDir));
}

void TMainWin::SaveSettings() {
  if (settingsStore_) tvx::SaveSettings(Settings, *settingsStore_);
}

LRESULT TMainWin::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case KeyActionMessage:
      KeyActionMsg(wParam & 0xFFFF, lParam);
      return 0;
    case CarriedKeyActionMessage:
      KeyActionMsg(wParam, lParam);
      return 0;
    case CharacterHotKeyMessage:
      CharacterHotKeyMsg(wParam, lParam);
      return 0;
    case TextHotKeyMessage:
      TextHotKeyMsg(wParam, lParam);
      return 0;
    case TraceParamsMessage:
      ReportedOnce(reportShowing_[message], [&] { TraceParamsMsg(wParam, lParam); });
      return 0;
    case TraceCodeMessage:
      ReportedOnce(reportShowing_[message], [&] { TraceCodeMsg(wParam, lParam); });
      return 0;
    case PauseChangedMessage:
      // The library's key turned its pause over, or another program asks for a state: either way the
      // library and what the window shows agree.
      SetPaused(wParam != 0);
      return 0;
    case AppMappingNoticeMessage:
      AppMappingNoticeMsg();
      return 0;
    case KeyPickedMessage:
      // For the Keys dialog's "Press the key...": the form that asked, if it is still up.
      if (HWND picker = TKeyRemapForm::Picking()) ::PostMessageA(picker, KeyPickedMessage, wParam, 0);
      return 0;
    case WM_COMMAND:
      if ((HIWORD(wParam) == BN_CLICKED || lParam == 0) && !PageClick(LOWORD(wParam)))
        Command(LOWORD(wParam));
      return 0;
    case WM_INITMENUPOPUP:
      ShowCheckMarks();
      break;
    case WM_TIMER:
      network_.TimerTick(wParam);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // a keyboard tool never holds up a logoff
    case WM_ENDSESSION:
      if (wParam) EndSession();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
        break;
      }
      FormActivate();
      RestoreFocus();
      return 0;
    case WM_ACTIVATEAPP:
      if (!wParam) AppDeactivate();
      break;
    case WM_SYSCOMMAND:
      // The application window stands for the program in the taskbar: it is the one minimised.
      if ((wParam & 0xFFF0) == SC_MINIMIZE)
        return ::SendMessageA(application_.hwnd(), message, wParam, lParam);
      break;
    case WM_CLOSE:
      // Inside a dialog's modal loop the close would destroy the grid whose handler runs the dialog: end
      // the dialogs first, and close once their loops have returned.
      if (CancelDialogs(true)) {
        ::PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        return 0;
      }
      FormClose();
      ::DestroyWindow(hwnd());
      return 0;
    case WM_DPICHANGED:
      layout_.DpiChanged(hwnd(), wParam, lParam);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tvx
