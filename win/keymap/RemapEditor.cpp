// The "Keyboard &Remapper" page of the main window: four grids, one per remap table, and the Select
// Character dialog.
#include "win/keymap/RemapEditor.h"

#include <algorithm>

#include "core/keymap/Catalogue.h"
#include "win/keymap/DoSpecial.h"
#include "win/keymap/PageIds.h"
#include "win/ui/CellPainting.h"

namespace tvx {
namespace {

constexpr FontSpec HeadingFont{13};
constexpr FontSpec GridFont{15};

const ControlSpec RemapPage[] = {
    {ControlKind::CenteredLabel, IdLabel4, "Upper Case", 12, 8, 81, 16, HeadingFont, IdPanel2, WS_GROUP},
    {ControlKind::CenteredLabel, IdLabel6, "Lower Case", 108, 8, 81, 16, HeadingFont, IdPanel2},
    {ControlKind::CenteredLabel, IdLabel11, "Punctuation", 208, 8, 81, 16, HeadingFont, IdPanel2},
    {ControlKind::CenteredLabel, IdLabel14, "Numeric", 304, 8, 61, 16, HeadingFont, IdPanel2},
    {ControlKind::Grid, IdUpperGrid, "", 11, 28, 83, 382, GridFont, IdPanel2, WS_GROUP},
    {ControlKind::Grid, IdLowerGrid, "", 107, 28, 83, 382, GridFont, IdPanel2, WS_GROUP},
    {ControlKind::Grid, IdPunctGrid, "", 207, 28, 83, 382, GridFont, IdPanel2, WS_GROUP},
    {ControlKind::Grid, IdNumGrid, "", 303, 28, 63, 213, GridFont, IdPanel2, WS_GROUP},
    {ControlKind::Bevel, IdBevel1, "", 296, 248, 81, 137, GridFont, IdPanel2},
    {ControlKind::CenteredLabel, IdLabel18, "NOTE", 300, 252, 73, 21, {15, true}, IdPanel2},
    {ControlKind::CenteredLabel,
     IdLabel16,
     "The Remapper takes precedence over the Hot Keys.",
     300,
     276,
     73,
     105,
     {12},
     IdPanel2},
};

struct RemapGridOf {
  RemapTableId table;
  int gridId;
};

constexpr RemapGridOf RemapGrids[] = {
    {RemapTableId::Upper, IdUpperGrid},
    {RemapTableId::Lower, IdLowerGrid},
    {RemapTableId::Punct, IdPunctGrid},
    {RemapTableId::Numeric, IdNumGrid},
};

}  // namespace

std::map<int, HWND> TRemapEditor::BuildRemapPage(PageSite site) {
  form_ = site.form;
  fonts_ = &site.layout.Fonts();
  std::map<int, HWND> controls = site.layout.Build(site.form, RemapPage);
  for (const RemapGridOf& each : RemapGrids) {
    grids_[each.table] = controls.at(each.gridId);
    DrawGrid& grid = Grid(each.table);
    grid.SetColCount(2);
    grid.SetDefaultColWidth(40);
    grid.SetColWidth(0, 20);
    grid.SetDefaultRowHeight(20);
    grid.SetFixedCols(1);
    grid.SetRowCount(RemapTableOf(each.table).rows);
    grid.OnDrawCell = [this, table = each.table](const GridCellPaint& cell) {
      RemapGridDrawCell(table, cell);
    };
    grid.OnDblClick = [this, table = each.table] { RemapGridDblClick(table); };
    grid.SetEditOnEnter(true);
  }
  return controls;
}

void TRemapEditor::UpdateGrids() const {
  for (const auto& [table, grid] : grids_) DrawGrid::From(grid)->Invalidate();
}

DrawGrid& TRemapEditor::Grid(RemapTableId table) const { return *DrawGrid::From(grids_.at(table)); }

void TRemapEditor::RemapGridDrawCell(RemapTableId table, const GridCellPaint& cell) {
  const bool keyColumn = cell.col == 0;
  PaintCellBackground(cell, keyColumn);
  const std::string_view rows = RemapRows(table);
  const auto code = keyColumn ? static_cast<std::uint8_t>(rows.at(static_cast<std::size_t>(cell.row)))
                              : host_.Remaps().Byte(table, cell.row).value_or(0);
  const char32_t beyond = keyColumn ? 0 : host_.Characters().At(RemapCellNumber(table, cell.row));
  const bool none = code == 0 && !beyond;
  ::SelectObject(cell.dc, fonts_->Get({GridFont.pixelHeight, !none}));
  if (beyond)
    DrawCentredText(cell, Utf16Of(beyond));
  else
    DrawCentredText(cell, none ? std::string("none") : CharacterText(code));
}

void TRemapEditor::RemapGridDblClick(RemapTableId table) {
  if (host_.BrowsingOnly()) return;
  DrawGrid& grid = Grid(table);
  const int col = grid.Col(), row = grid.Row();
  if (col == 0 || !host_.Remaps().Byte(table, row)) return;
  if (host_.FileInUse()) return;
  host_.EditUnderLock([&] {
    TDoSpecial dialog(host_.EditDialog());
    // Read after FileInUse, which may have reloaded the tables.
    dialog.Code = std::max(*host_.Remaps().Byte(table, row) - 32, 0);
    dialog.CellRect = grid.CellRect(col, row);
    dialog.OtherCharacters = host_.OffersCharacters();
    dialog.ShowModal(form_);
    if (dialog.Choice.empty() && !dialog.Character) return false;
    // A character beyond the code page leaves the key's own character in the table, for readers that
    // know only the table.
    const auto own = static_cast<std::uint8_t>(RemapRows(table).at(static_cast<std::size_t>(row)));
    host_.Remaps().SetByte(table, row, dialog.Character ? own : static_cast<std::uint8_t>(dialog.Choice[0]));
    host_.Characters().Set(RemapCellNumber(table, row), dialog.Character);
    grid.Invalidate();
    return host_.SaveEdit();
  });
}

}  // namespace tvx
