// What the main window does for the parts it hosts: the editor pages (EditorHost) and network mode
// (NetworkHost). Every change of the tables goes through network mode's edit lock.
#include <span>
#include <vector>

#include "win/app/HookExports.h"
#include "win/app/MainWin.h"
#include "win/app/Program.h"
#include "win/keymap/KeysDialog.h"

namespace tvx {

bool TMainWin::BrowsingOnly() const { return BrowseOnly || FullBrowseOnly; }

DialogContext TMainWin::EditDialog() { return Dialog(); }

bool TMainWin::FileInUse() { return network_.FileInUse(); }

void TMainWin::ReleaseSyncFile(int changed) { network_.ReleaseSyncFile(changed); }

// The hook learns at once of a character beyond the record set or cleared.
bool TMainWin::SaveEdit() {
  appMappings_->CharactersChanged();
  return network_.SaveEdit();
}

MappingCharacters& TMainWin::Characters() { return characters_; }

bool TMainWin::OffersCharacters() const { return HookSetTables() != nullptr; }

void TMainWin::EditUnderLock(const std::function<bool()>& edit) { network_.EditUnderLock(edit); }

HWND TMainWin::Owner() const { return hwnd(); }

// Every grid keeps its current cell across the reload.
bool TMainWin::ReloadKeepingCells(Grids grids) {
  static constexpr int AllGrids[] = {IdNewGrid, IdUpperGrid, IdLowerGrid, IdPunctGrid, IdNumGrid};
  const std::span<const int> gridIds =
      grids == Grids::All ? std::span<const int>(AllGrids) : std::span(AllGrids, 1);
  std::vector<POINT> cells;
  for (int id : gridIds) {
    const DrawGrid& grid = *DrawGrid::From(Control(id));
    cells.push_back({grid.Col(), grid.Row()});
  }
  if (!LoadTavrix(Settings.CurrentFile)) return false;
  UpdateGrid();
  for (std::size_t i = 0; i < gridIds.size(); ++i)
    DrawGrid::From(Control(gridIds[i]))->SetCurrent(cells[i].x, cells[i].y);
  return true;
}

std::vector<std::uint8_t> TMainWin::CurrentFileBytes() const {
  return MappingBytes(RecordFromAreas(HotKeys(), Remaps()), characters_);
}

void TMainWin::MenuKeysClick() {
  TKeysDialog dialog(Dialog(), *this, HookPickKey());
  dialog.ShowModal(hwnd());
}

}  // namespace tvx
