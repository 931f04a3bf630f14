// The main window's commands as one table: each row gives the menu item, its shortcut, its accelerator,
// the browse-only mode that refuses it, its handler and, for an item with a check mark, the state the
// mark shows. The menu bar, the accelerator table, the recent-file items, the greyed items, the check
// marks and the dispatch are all made from it; nothing else names a menu item.
#include <windows.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "core/files/RecentFiles.h"
#include "win/app/HookExports.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {
namespace {

// The mode from which a command is refused: "/B" refuses what edits the tables' file, "/BA" also what
// reaches files, the printer, the tray and the help.
enum class RefusedFrom { Never, BrowseOnly, FullBrowseOnly };

struct CommandSpec {
  int id;
  const char* caption;  // nullptr: a separator
  const char* shortcut;
  char ctrlKey;  // the accelerator Ctrl+key, 0 for none
  RefusedFrom refused;
  void (*run)(TMainWin&);
  bool (*checked)() = nullptr;  // the state an item with a check mark shows
  bool (*offered)() = nullptr;  // false when the hook library in use lacks what the command needs
  int recent = 0;               // 1 to 5: the recent file it opens; -1: the separator before them
};

struct MenuSpec {
  const char* caption;
  std::span<const CommandSpec> items;
};

constexpr CommandSpec Separator{0, nullptr, nullptr, 0, RefusedFrom::Never, nullptr};

// A recent file's item is captioned with its number and the file's name when it is shown.
template <int Number>
constexpr CommandSpec RecentFile(int id) {
  return {id,
          "",
          nullptr,
          0,
          RefusedFrom::FullBrowseOnly,
          [](TMainWin& w) { w.OpenSaveFile(Settings.LastFile[Number - 1]); },
          nullptr,
          nullptr,
          Number};
}

// The recent files are shown after "E&xit" while the list has entries.
const CommandSpec FileMenu[] = {
    {IdNewFile1, "&New File", "Ctrl+N", 'N', RefusedFrom::BrowseOnly, [](TMainWin& w) { w.DoNew(); }},
    {IdOpenFile1, "&Open File", "Ctrl+O", 'O', RefusedFrom::FullBrowseOnly, [](TMainWin& w) { w.DoOpen(); }},
    Separator,
    {IdMenuOutput, "&Print Mapping Guide", "Ctrl+P", 'P', RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuOutputClick(); }},
    Separator,
    {IdMenuExit, "E&xit", "Ctrl+X", 'X', RefusedFrom::Never, [](TMainWin& w) { w.MenuExitClick(); }},
    {IdMenuExitSep, nullptr, nullptr, 0, RefusedFrom::Never, nullptr, nullptr, nullptr, -1},
    RecentFile<1>(IdMenuLastFile1),
    RecentFile<2>(IdMenuLastFile1 + 1),
    RecentFile<3>(IdMenuLastFile1 + 2),
    RecentFile<4>(IdMenuLastFile1 + 3),
    RecentFile<5>(IdMenuLastFile1 + 4),
};

const CommandSpec OptionsMenu[] = {
    {IdMenuNetwork, "&Network", nullptr, 0, RefusedFrom::BrowseOnly,
     [](TMainWin& w) { w.MenuNetworkClick(); }},
    Separator,
    {IdMenuSysTray, "&Place in System Tray", nullptr, 0, RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuSysTrayClick(); }, [] { return Settings.UseTray; }},
    {IdMenuCheckHotKeys, "&Check Hot Keys", nullptr, 0, RefusedFrom::Never,
     [](TMainWin& w) { w.MenuCheckHotKeysClick(); }},
    {IdMenuApplicationMappings, "&Application Mappings", nullptr, 0, RefusedFrom::Never,
     [](TMainWin& w) { w.MenuApplicationMappingsClick(); }, nullptr,
     [] { return HookSetTables() != nullptr; }},
    {IdMenuKeys, "&Keys...", nullptr, 0, RefusedFrom::BrowseOnly, [](TMainWin& w) { w.MenuKeysClick(); }},
    Separator,
    {IdMenuPause, "Pa&use Remapping and Hot Keys", nullptr, 0, RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.SetPaused(!Paused); }, [] { return Paused; }, [] { return HookPause() != nullptr; }},
};

const CommandSpec HelpMenu[] = {
    {IdMenuContents, "&Contents", nullptr, 0, RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuContentsClick(); }},
    {IdMenuUserManual, "&User Manual", nullptr, 0, RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuUserManualClick(); }},
    {IdMenuAbout, "&About", nullptr, 0, RefusedFrom::Never, [](TMainWin& w) { w.MenuAboutClick(); }},
    {IdMenuOther, "&Other Products", nullptr, 0, RefusedFrom::Never, [](TMainWin& w) { w.MenuOtherClick(); }},
};

const MenuSpec MainMenu[] = {{"&File", FileMenu}, {"&Options", OptionsMenu}, {"&Help", HelpMenu}};

template <typename Visit>
void ForEachCommand(Visit visit) {
  for (const MenuSpec& menu : MainMenu) {
    for (const CommandSpec& command : menu.items)
      if (command.caption) visit(command);
  }
}

}  // namespace

HMENU BuildMainMenu() {
  HMENU bar = ::CreateMenu();
  for (const MenuSpec& menu : MainMenu) {
    HMENU popup = ::CreatePopupMenu();
    for (const CommandSpec& item : menu.items) {
      if (item.recent) continue;
      if (!item.caption) {
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

HACCEL MainAccelerators() {
  std::vector<ACCEL> keys;
  ForEachCommand([&](const CommandSpec& command) {
    if (command.ctrlKey)
      keys.push_back(
          {FVIRTKEY | FCONTROL, static_cast<WORD>(command.ctrlKey), static_cast<WORD>(command.id)});
  });
  return ::CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

// Greyed: what the browse-only mode refuses, and what an older hook library cannot do (pause, take the
// application mappings' tables).
void TMainWin::GreyRefusedCommands() {
  const RefusedFrom mode = FullBrowseOnly ? RefusedFrom::FullBrowseOnly
                           : BrowseOnly   ? RefusedFrom::BrowseOnly
                                          : RefusedFrom::Never;
  ForEachCommand([&](const CommandSpec& command) {
    if ((command.refused != RefusedFrom::Never && command.refused <= mode) ||
        (command.offered && !command.offered()))
      ::EnableMenuItem(menu_, static_cast<UINT>(command.id), MF_BYCOMMAND | MF_GRAYED);
  });
}

void TMainWin::ShowCheckMarks() {
  ForEachCommand([&](const CommandSpec& command) {
    if (command.checked)
      ::CheckMenuItem(menu_, static_cast<UINT>(command.id),
                      MF_BYCOMMAND | (command.checked() ? MF_CHECKED : MF_UNCHECKED));
  });
}

// Win32 menus cannot hide an item, so the items of the filled entries and their separator are put back
// after "E&xit" each time.
void TMainWin::SetMenuLastFiles() {
  const HMENU file = ::GetSubMenu(menu_, 0);
  for (const CommandSpec& item : FileMenu)
    if (item.recent) ::DeleteMenu(file, static_cast<UINT>(item.id), MF_BYCOMMAND);
  const auto& list = Settings.LastFile;
  if (std::all_of(list.begin(), list.end(), [](const ShortString& name) { return name.empty(); })) return;
  for (const CommandSpec& item : FileMenu) {
    if (item.recent < 0) ::AppendMenuA(file, MF_SEPARATOR, static_cast<UINT_PTR>(item.id), nullptr);
    if (item.recent <= 0 || list[item.recent - 1].empty()) continue;
    ::AppendMenuA(file, MF_STRING, static_cast<UINT_PTR>(item.id),
                  RecentFileCaption(item.recent, list[item.recent - 1]).c_str());
  }
}

// A menu command whose item is disabled (browse-only modes) or not in the menu (an empty recent entry)
// is refused, however it arrives: a shortcut, or a message from another program.
void TMainWin::Command(int id) {
  if (::GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return;
  ForEachCommand([&](const CommandSpec& command) {
    if (command.id == id) command.run(*this);
  });
}

}  // namespace tvx
