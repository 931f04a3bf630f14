// The main window's commands as one table: each row gives the menu item, its shortcut, its accelerator,
// the browse-only mode that refuses it and its handler. The menu bar, the accelerator table, the
// browse-only disabling and the dispatch are all made from it.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "win/app/HookExports.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"

namespace tvx {
namespace {

// The mode from which a command is refused: "/B" refuses what edits the tables' file, "/BA" also what
// reaches files, the printer, the tray and the help.
enum class RefusedFrom { Never, BrowseOnly, FullBrowseOnly };

struct CommandSpec {
  int id;               // 0: a separator
  const char* caption;  // a recent-file item's is its mnemonic: the item is shown with its file
  const char* shortcut;
  char ctrlKey;  // the accelerator Ctrl+key, 0 for none
  RefusedFrom refused;
  void (*run)(TMainWin&);
  bool recent = false;  // added after "E&xit" while the list has entries
};

struct MenuSpec {
  const char* caption;
  std::span<const CommandSpec> items;
};

constexpr CommandSpec Separator{0, nullptr, nullptr, 0, RefusedFrom::Never, nullptr};

template <int Number>
constexpr CommandSpec RecentFile(const char* mnemonic) {
  return {IdMenuLastFile1 + Number - 1,
          mnemonic,
          nullptr,
          0,
          RefusedFrom::FullBrowseOnly,
          [](TMainWin& w) { w.MenuLastFileClick(Number); },
          true};
}

const CommandSpec FileMenu[] = {
    {IdNewFile1, "&New File", "Ctrl+N", 'N', RefusedFrom::BrowseOnly, [](TMainWin& w) { w.DoNew(); }},
    {IdOpenFile1, "&Open File", "Ctrl+O", 'O', RefusedFrom::FullBrowseOnly, [](TMainWin& w) { w.DoOpen(); }},
    Separator,
    {IdMenuOutput, "&Print Mapping Guide", "Ctrl+P", 'P', RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuOutputClick(); }},
    Separator,
    {IdMenuExit, "E&xit", "Ctrl+X", 'X', RefusedFrom::Never, [](TMainWin& w) { w.MenuExitClick(); }},
    RecentFile<1>("&1"),
    RecentFile<2>("&2"),
    RecentFile<3>("&3"),
    RecentFile<4>("&4"),
    RecentFile<5>("&5"),
};

const CommandSpec OptionsMenu[] = {
    {IdMenuNetwork, "&Network", nullptr, 0, RefusedFrom::BrowseOnly,
     [](TMainWin& w) { w.MenuNetworkClick(); }},
    Separator,
    {IdMenuSysTray, "&Place in System Tray", nullptr, 0, RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuSysTrayClick(); }},
    {IdMenuCheckHotKeys, "&Check Hot Keys", nullptr, 0, RefusedFrom::Never,
     [](TMainWin& w) { w.MenuCheckHotKeysClick(); }},
    {IdMenuApplicationMappings, "&Application Mappings", nullptr, 0, RefusedFrom::Never,
     [](TMainWin& w) { w.MenuApplicationMappingsClick(); }},
    Separator,
    {IdMenuPause, "Pa&use Remapping and Hot Keys", nullptr, 0, RefusedFrom::FullBrowseOnly,
     [](TMainWin& w) { w.MenuPauseClick(); }},
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
      if (command.id) visit(command);
  }
}

}  // namespace

HMENU BuildMainMenu() {
  HMENU bar = ::CreateMenu();
  for (const MenuSpec& menu : MainMenu) {
    HMENU popup = ::CreatePopupMenu();
    for (const CommandSpec& item : menu.items) {
      if (item.recent) continue;
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

HACCEL MainAccelerators() {
  std::vector<ACCEL> keys;
  ForEachCommand([&](const CommandSpec& command) {
    if (command.ctrlKey)
      keys.push_back(
          {FVIRTKEY | FCONTROL, static_cast<WORD>(command.ctrlKey), static_cast<WORD>(command.id)});
  });
  return ::CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

void TMainWin::ApplyBrowseOnlyRestrictions() {
  const RefusedFrom mode = FullBrowseOnly ? RefusedFrom::FullBrowseOnly
                           : BrowseOnly   ? RefusedFrom::BrowseOnly
                                          : RefusedFrom::Never;
  if (mode == RefusedFrom::Never) return;
  ForEachCommand([&](const CommandSpec& command) {
    if (command.refused != RefusedFrom::Never && command.refused <= mode)
      ::EnableMenuItem(menu_, static_cast<UINT>(command.id), MF_BYCOMMAND | MF_GRAYED);
  });
}

// An older hook library cannot pause nor take the application mappings' tables.
void TMainWin::GreyWhatTheLibraryLacks() {
  if (!HookPause()) ::EnableMenuItem(menu_, IdMenuPause, MF_BYCOMMAND | MF_GRAYED);
  if (!HookSetTables()) ::EnableMenuItem(menu_, IdMenuApplicationMappings, MF_BYCOMMAND | MF_GRAYED);
}

// A menu command whose item is disabled (browse-only modes) or not in the menu (an empty recent entry)
// is refused, however it arrives: a shortcut, or a message from another program.
void TMainWin::Command(int id) {
  if (std::find(ModeButtons.begin(), ModeButtons.end(), id) != ModeButtons.end() ||
      std::find(CategoryButtons.begin(), CategoryButtons.end(), id) != CategoryButtons.end())
    return PageClick(id);
  if (::GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return;
  ForEachCommand([&](const CommandSpec& command) {
    if (command.id == id) command.run(*this);
  });
}

}  // namespace tvx
