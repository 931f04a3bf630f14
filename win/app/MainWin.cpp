#include "win/app/MainWin.h"

#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>

#include "core/app/FileCaption.h"
#include "core/files/MappingFile.h"
#include "hook/TavrixHook.h"
#include "win/app/Program.h"
#include "win/files/Win32FileAccess.h"
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

struct MenuItemSpec {
  int id;  // 0: a separator
  const char* caption;
  const char* shortcut;
};

struct MenuSpec {
  const char* caption;
  std::initializer_list<MenuItemSpec> items;
};

// The recent-file items and their separator follow "E&xit"; they are added while the list has entries.
const MenuSpec MainMenu[] = {
    {"&File",
     {{IdNewFile1, "&New File", "Ctrl+N"},
      {IdOpenFile1, "&Open File", "Ctrl+O"},
      {0, nullptr, nullptr},
      {IdMenuOutput, "&Print Mapping Guide", "Ctrl+P"},
      {0, nullptr, nullptr},
      {IdMenuExit, "E&xit", "Ctrl+X"}}},
    {"&Options",
     {{IdMenuNetwork, "&Network", nullptr},
      {0, nullptr, nullptr},
      {IdMenuSysTray, "&Place in System Tray", nullptr},
      {IdMenuCheckHotKeys, "&Check Hot Keys", nullptr},
      {IdMenuApplicationMappings, "&Application Mappings", nullptr},
      {0, nullptr, nullptr},
      {IdMenuPause, "Pa&use Remapping and Hot Keys", nullptr}}},
    {"&Help",
     {{IdMenuContents, "&Contents", nullptr},
      {IdMenuUserManual, "&User Manual", nullptr},
      {IdMenuAbout, "&About", nullptr},
      {IdMenuOther, "&Other Products", nullptr}}},
};

HMENU BuildMainMenu() {
  HMENU bar = ::CreateMenu();
  for (const MenuSpec& menu : MainMenu) {
    HMENU popup = ::CreatePopupMenu();
    for (const MenuItemSpec& item : menu.items) {
      if (!item.id) {
        ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      std::string text = item.caption;
      if (item.shortcut) text += std::string("\t") + item.shortcut;
      ::AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(item.id), text.c_str());
    }
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
  }
  return bar;
}

[[noreturn]] void SystemError(HWND owner, const char* text) {
  ::MessageBoxA(owner, text, "System Error", MB_OK);
  ::ExitProcess(0);
}

std::uint32_t Low32(HWND window) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}

// The window that carries the taskbar button and owns the main window; minimising it hides the
// main window with it.
LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND main = MainWin ? MainWin->hwnd() : nullptr;
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && main) ::ShowWindow(main, SW_HIDE);
      if ((wParam & 0xFFF0) == SC_RESTORE && main) {
        const LRESULT result = ::DefWindowProcA(window, message, wParam, lParam);
        ::ShowWindow(main, SW_SHOW);
        ::SetForegroundWindow(main);
        return result;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && main && ::IsWindowVisible(main)) ::SetActiveWindow(main);
      return 0;
    case WM_CLOSE:
      if (main) ::PostMessageA(main, WM_CLOSE, 0, 0);
      return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateApplicationWindow() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ApplicationProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  wc.lpszClassName = ApplicationClassName;
  ::RegisterClassExA(&wc);
  const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2, y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
  return ::CreateWindowExA(0, ApplicationClassName, ApplicationTitle,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, x, y, 0, 0,
                           nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

TMainWin::TMainWin() { MainWin = this; }

TMainWin::~TMainWin() { MainWin = nullptr; }

HWND TMainWin::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void TMainWin::Create(std::vector<ShortString> arguments) {
  arguments_ = std::move(arguments);
  application_.reset(CreateApplicationWindow());
  RegisterWindowClass(MainWindowClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RECT frame = FrameForClient(ClientWidth, ClientHeight, MainWinStyle, 0, true, WindowDpi(nullptr));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
            top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  menu_ = BuildMainMenu();
  if (!CreateWin(0, MainWindowClassName, ApplicationTitle, MainWinStyle,
                 RECT{left, top, left + width, top + height}, application_.get(), menu_))
    throw std::runtime_error("The main window could not be created.");
  SetErrorReportOwner(hwnd());
  const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  controls_ = layout_.Build(hwnd(), MainWinControls);
  ::ShowWindow(Control(IdPanel1), SW_HIDE);
  ::ShowWindow(Control(IdPanel2), SW_HIDE);
  BuildHotKeyPage();
  BuildRemapPage();
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
        if (Settings.NetworkMode) AttachSyncFile();
      },
      [this] { sync_.ForgetSeenLock(); },
      [this] {
        if (Settings.NetworkMode && Settings.AutoSync) StartSyncTimer();
      },
      [this] { ApplyBrowseOnlyRestrictions(); },
  };
  for (const auto& step : steps) Reported(step);
}

// Each argument on its own: a file that cannot be read must not cost the options after it.
void TMainWin::ApplyCommandLine() {
  for (const ShortString& argument : arguments_) Reported([&] { ProcessParam(argument); });
}

void TMainWin::CreateSharedObjects() {
  constexpr char NotCreated[] = "Memory Mapped File could not be created.  Tavrix will terminate.";
  constexpr char NotMapped[] = "Memory Mapped File could not be mapped.  Tavrix will terminate.";
  LogonSessionOnly security;
  auto createArea = [&](const char* name, UniqueHandle& mapping, MappedView& view) {
    mapping.reset(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0, AreaSize, name));
    if (!mapping) SystemError(hwnd(), NotCreated);
    view.reset(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view) SystemError(hwnd(), NotMapped);
  };
  createArea(HotKeyAreaName, HotKeyMapping, HotKeyArea);
  HookMutex.reset(::CreateMutexA(security.Attributes(), FALSE, HookMutexName));
  if (!HookMutex) SystemError(hwnd(), "Mutex could not be created.  Tavrix will terminate.");
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
      ::ShowWindow(application_.get(), SW_MINIMIZE);
      ::ShowWindow(hwnd(), SW_HIDE);
      break;
    case SW_SHOWMAXIMIZED:
      ::ShowWindow(hwnd(), SW_MAXIMIZE);
      break;
  }
}

void TMainWin::FormClose() {
  Reported([this] { SaveSettings(); });
  appMappings_.Stop();
  if (HotKeyArea) TavrixHookTerm(HotKeys().HookHandle());
  HotKeyArea.reset();
  RemapArea.reset();
  RemapMapping.reset();
  HotKeyMapping.reset();
  HookMutex.reset();
}

// Windows ends the process soon after the session's end has been answered, whatever modal loop runs:
// what the close would keep is kept now. The lock is tried once and quietly, since nobody is left to
// answer a report.
void TMainWin::EndSession() {
  Reported([this] { SaveSettings(); });
  try {
    if (sync_.Holding())
      ReleaseSyncFile(0);
    else if (sync_.ReleasePending())
      sync_.RetryRelease();
  } catch (const IoError&) {
    // The other instances take a lock left behind once it has gone stale.
  }
  if (HotKeyArea) TavrixHookTerm(HotKeys().HookHandle());
}

void TMainWin::MenuExitClick() { ::PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

void TMainWin::RemapClick() {
  Settings.Remap = true;
  EnableDisable();
}

void TMainWin::HotKeysClick() {
  Settings.Remap = false;
  EnableDisable();
}

void TMainWin::EnableDisable() {
  const HWND shown = Control(Settings.Remap ? IdPanel2 : IdPanel1);
  const HWND hidden = Control(Settings.Remap ? IdPanel1 : IdPanel2);
  ::EnableWindow(hidden, FALSE);
  ::ShowWindow(hidden, SW_HIDE);
  ::EnableWindow(shown, TRUE);
  ::ShowWindow(shown, SW_SHOW);
}

void TMainWin::LoadSettings() {
  settingsStore_ = std::make_unique<Win32ProfileStore>(Win32ProfileStore::ForCurrentUser());
  tvx::LoadSettings(Settings, *settingsStore_, DefaultMappingDir(ProgramDir));
}

void TMainWin::SaveSettings() {
  if (settingsStore_) tvx::SaveSettings(Settings, *settingsStore_);
}

void TMainWin::LoadTavrix(const ShortString& fileName) {
  tvx::LoadTavrix(files_, fileName, HotKeys(), Remaps());
  CurrentFileChanged();
}

bool TMainWin::SaveTavrix(const ShortString& fileName) {
  return tvx::SaveTavrix(files_, fileName, HotKeys(), Remaps());
}

void TMainWin::InitTavrix() { tvx::InitTavrix(HotKeys(), Remaps()); }

void TMainWin::OpenCurrentFile() { LoadOrCreateTavrix(files_, Settings.CurrentFile, HotKeys(), Remaps()); }

void TMainWin::ApplyBrowseOnlyRestrictions() {
  static constexpr int FullBrowseOnlyItems[] = {IdNewFile1,          IdOpenFile1,         IdMenuOutput,
                                                IdMenuLastFile1,     IdMenuLastFile1 + 1, IdMenuLastFile1 + 2,
                                                IdMenuLastFile1 + 3, IdMenuLastFile1 + 4, IdMenuNetwork,
                                                IdMenuSysTray,       IdMenuPause,         IdMenuContents,
                                                IdMenuUserManual};
  static constexpr int BrowseOnlyItems[] = {IdNewFile1, IdMenuNetwork};
  auto disable = [this](std::span<const int> items) {
    for (int id : items) ::EnableMenuItem(menu_, id, MF_BYCOMMAND | MF_GRAYED);
  };
  if (FullBrowseOnly)
    disable(FullBrowseOnlyItems);
  else if (BrowseOnly)
    disable(BrowseOnlyItems);
}

// A radio button checked from code runs its click handler, as a click on it would.
void TMainWin::CheckRadio(int id) {
  const bool mode = std::find(ModeButtons.begin(), ModeButtons.end(), id) != ModeButtons.end();
  const std::span<const int> group =
      mode ? std::span<const int>(ModeButtons) : std::span<const int>(CategoryButtons);
  for (int other : group) SetChecked(Control(other), other == id);
  switch (id) {
    case IdRemap:
      RemapClick();
      break;
    case IdHotKeys:
      HotKeysClick();
      break;
    case IdAlpha:
      AlphaClick();
      break;
    case IdPunctuation:
      PunctuationClick();
      break;
    case IdFunctionKeys:
      FunctionKeysClick();
      break;
    case IdNumeric:
      NumericClick();
      break;
    case IdEditing:
      EditingClick();
      break;
  }
}

// A menu command whose item is disabled (browse-only modes) or not in the menu (an empty recent entry)
// is refused, however it arrives: a shortcut, or a message from another program.
void TMainWin::Command(int id) {
  if (id >= IdNewFile1 &&
      ::GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))
    return;
  switch (id) {
    case IdNewFile1:
      DoNew();
      break;
    case IdOpenFile1:
      DoOpen();
      break;
    case IdMenuExit:
      MenuExitClick();
      break;
    case IdMenuLastFile1:
    case IdMenuLastFile1 + 1:
    case IdMenuLastFile1 + 2:
    case IdMenuLastFile1 + 3:
    case IdMenuLastFile1 + 4:
      MenuLastFileClick(id - IdMenuLastFile1 + 1);
      break;
    case IdMenuNetwork:
      MenuNetworkClick();
      break;
    case IdMenuSysTray:
      MenuSysTrayClick();
      break;
    case IdMenuPause:
      MenuPauseClick();
      break;
    case IdMenuOutput:
      MenuOutputClick();
      break;
    case IdMenuContents:
      MenuContentsClick();
      break;
    case IdMenuUserManual:
      MenuUserManualClick();
      break;
    case IdMenuAbout:
      MenuAboutClick();
      break;
    case IdMenuOther:
      MenuOtherClick();
      break;
    case IdMenuApplicationMappings:
      MenuApplicationMappingsClick();
      break;
    case IdMenuCheckHotKeys:
      MenuCheckHotKeysClick();
      break;
    case IdRemap:
    case IdHotKeys:
    case IdAlpha:
    case IdPunctuation:
    case IdFunctionKeys:
    case IdNumeric:
    case IdEditing:
      PageClick(id);
      break;
  }
}

// A page or category the user chooses puts the focus on the page's first grid, ready for the keys.
void TMainWin::PageClick(int id) {
  const bool remap = Settings.Remap;
  const int category = Settings.LastKeys;
  CheckRadio(id);
  if (Settings.Remap != remap || Settings.LastKeys != category) FocusFirstGrid();
}

// The keyboard works on the grids: the focus comes back to where it was when the window is activated
// again, and to the page's first grid when that control is gone from view.
HWND TMainWin::FirstGrid() const { return Control(Settings.Remap ? IdUpperGrid : IdNewGrid); }

void TMainWin::FocusFirstGrid() {
  focus_ = FirstGrid();
  ::SetFocus(focus_);
}

void TMainWin::RememberFocus() {
  const HWND focus = ::GetFocus();
  if (focus && ::IsChild(hwnd(), focus)) focus_ = focus;
}

void TMainWin::RestoreFocus() {
  if (!focus_ || !::IsWindowVisible(focus_) || !::IsWindowEnabled(focus_)) focus_ = FirstGrid();
  ::SetFocus(focus_);
}

LRESULT TMainWin::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case KeyActionMessage:
      KeyActionMsg(wParam & 0xFFFF, lParam);
      return 0;
    case CarriedKeyActionMessage:
      KeyActionMsg(wParam, lParam);
      return 0;
    case TraceParamsMessage:
      ReportedOnce(reportShowing_[message], [&] { TraceParamsMsg(wParam, lParam); });
      return 0;
    case TraceCodeMessage:
      ReportedOnce(reportShowing_[message], [&] { TraceCodeMsg(wParam, lParam); });
      return 0;
    case PauseChangedMessage:
      PauseChangedMsg(wParam);
      return 0;
    case AppMappingFailedMessage:
      AppMappingFailedMsg();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED || lParam == 0) Command(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      TimerTick(wParam);
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
        return ::SendMessageA(application_.get(), message, wParam, lParam);
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
