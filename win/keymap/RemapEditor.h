#pragma once
// TRemapEditor, the "Keyboard &Remapper" page: four grids, one per remap table, and the Select Character
// dialog.

#include <windows.h>

#include <map>

#include "core/keymap/Areas.h"
#include "win/keymap/EditorHost.h"
#include "win/ui/DrawGrid.h"

namespace tvx {

class TRemapEditor {
 public:
  explicit TRemapEditor(EditorHost& host) : host_(host) {}

  // Builds the page on its panel; returns its controls by id.
  std::map<int, HWND> BuildRemapPage(PageSite site);
  // The grids show the tables as they are now.
  void UpdateGrids() const;

 private:
  void RemapGridDrawCell(RemapTableId table, const GridCellPaint& cell);
  void RemapGridDblClick(RemapTableId table);
  DrawGrid& Grid(RemapTableId table) const;

  EditorHost& host_;
  HWND form_ = nullptr;
  FontCache* fonts_ = nullptr;
  std::map<RemapTableId, HWND> grids_;
};

}  // namespace tvx
