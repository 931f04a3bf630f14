#pragma once
// THotKeyEditor, the "Keyboard &Hot Keys" page: five categories, one grid, the Hot Key Action dialog.

#include <windows.h>

#include <map>

#include "core/settings/Settings.h"
#include "win/keymap/EditorHost.h"
#include "win/ui/DrawGrid.h"

namespace tvx {

class THotKeyEditor {
 public:
  THotKeyEditor(EditorHost& host, TSettings& settings) : host_(host), Settings(settings) {}

  // Builds the page on its panel; returns its controls by id.
  std::map<int, HWND> BuildHotKeyPage(PageSite site);
  void AlphaClick();
  void PunctuationClick();
  void FunctionKeysClick();
  void NumericClick();
  void EditingClick();
  // The grid follows the category and the tables.
  void UpdateGrid();

 private:
  DrawGrid& NewGrid() const { return *DrawGrid::From(grid_); }
  void CategoryClick(int category);
  void NewGridDrawCell(const GridCellPaint& cell);
  void NewGridDblClick();
  void SystemKeyMsg();

  EditorHost& host_;
  TSettings& Settings;
  HWND form_ = nullptr;
  FontCache* fonts_ = nullptr;
  HWND grid_ = nullptr;
};

}  // namespace tvx
