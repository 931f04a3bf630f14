// The "Keyboard &Hot Keys" page of the main window: five categories, one grid, the Hot Key Action dialog.
#include "win/keymap/HotKeyEditor.h"

#include <algorithm>

#include "core/keymap/Catalogue.h"
#include "core/keymap/CellText.h"
#include "core/keymap/CellTexts.h"
#include "win/keymap/DoSpecial2.h"
#include "win/keymap/PageIds.h"
#include "win/ui/CellPainting.h"

namespace tvx {
namespace {

constexpr FontSpec CategoryFont{12};
constexpr FontSpec HeadingFont{12};
constexpr int KeyColumnCount = 1 + ModifierColumnCount;
constexpr int SmallPoints = 9;
constexpr int LargePoints = 11;

const ControlSpec HotKeyPage[] = {
    {ControlKind::RadioButton, IdAlpha, "&Alphabetic Keys", 8, 8, 117, 17, CategoryFont, IdPanel1, WS_GROUP},
    {ControlKind::RadioButton, IdPunctuation, "&Punctuation Keys", 128, 8, 117, 17, CategoryFont, IdPanel1},
    {ControlKind::RadioButton, IdFunctionKeys, "F&unction Keys", 248, 8, 117, 17, CategoryFont, IdPanel1},
    {ControlKind::RadioButton, IdNumeric, "&Numeric Keys", 8, 28, 117, 17, CategoryFont, IdPanel1},
    {ControlKind::RadioButton, IdEditing, "&Editing Keys", 128, 28, 117, 17, CategoryFont, IdPanel1},
    // Two-word headings take both lines. WS_GROUP ends the arrow keys' group of category buttons.
    {ControlKind::CenteredLabel, IdHeadingFirst, "Key", 18, 69, 40, 14, HeadingFont, IdPanel1, WS_GROUP},
    {ControlKind::CenteredLabel, IdHeadingFirst + 1, "Alt", 60, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 2, "Ctrl", 100, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 3, "Win", 141, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 4, "Ctrl", 182, 55, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 5, "Alt", 182, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 6, "Ctrl", 223, 55, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 7, "Win", 223, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 8, "Alt", 264, 55, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 9, "Win", 264, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 10, "Alt", 305, 55, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::CenteredLabel, IdHeadingFirst + 11, "Shift", 305, 69, 40, 14, HeadingFont, IdPanel1},
    {ControlKind::Grid, IdNewGrid, "", 15, 88, 349, 320, {15}, IdPanel1, WS_GROUP},
};

}  // namespace

std::map<int, HWND> THotKeyEditor::BuildHotKeyPage(PageSite site) {
  form_ = site.form;
  fonts_ = &site.layout.Fonts();
  std::map<int, HWND> controls = site.layout.Build(site.form, HotKeyPage);
  grid_ = controls.at(IdNewGrid);
  DrawGrid& grid = NewGrid();
  grid.SetColCount(KeyColumnCount);
  grid.SetDefaultColWidth(40);
  grid.SetDefaultRowHeight(20);
  grid.SetFixedCols(1);
  grid.SetRowCount(RowCount(Settings.LastKeys));
  grid.OnDrawCell = [this](const GridCellPaint& cell) { NewGridDrawCell(cell); };
  grid.OnDblClick = [this] { NewGridDblClick(); };
  grid.SetEditOnEnter(true);
  return controls;
}

void THotKeyEditor::AlphaClick() { CategoryClick(Alphabetic); }
void THotKeyEditor::PunctuationClick() { CategoryClick(Punctuation); }
void THotKeyEditor::FunctionKeysClick() { CategoryClick(FunctionKeys); }
void THotKeyEditor::NumericClick() { CategoryClick(Numeric); }
void THotKeyEditor::EditingClick() { CategoryClick(Editing); }

// The category only chooses what the grid shows; the settings file learns it at once.
void THotKeyEditor::CategoryClick(int category) {
  if (Settings.LastKeys == category) return;
  Settings.LastKeys = category;
  UpdateGrid();
  host_.SaveSettings();
}

// A LastKeys that is no category (never after the settings are loaded) leaves an empty grid.
void THotKeyEditor::UpdateGrid() {
  if (DrawGrid* grid = DrawGrid::From(grid_)) {
    grid->SetRowCount(RowCount(Settings.LastKeys));
    grid->Invalidate();
  }
}

void THotKeyEditor::NewGridDrawCell(const GridCellPaint& cell) {
  const int category = Settings.LastKeys;
  const bool keyColumn = cell.col == 0;
  if (!keyColumn && IsReserved(category, cell.col, cell.row)) {
    FillCell(cell, ReservedColour);
    return;
  }
  PaintCellBackground(cell, keyColumn);
  const HotKeyTable* table = TableByCategory(category);
  const char32_t beyond = keyColumn || !table || cell.row >= table->keys
                              ? 0
                              : host_.Characters().At(HotKeyCellNumber(*table, cell.col, cell.row));
  if (IsTextId(beyond)) {
    ::SelectObject(cell.dc, fonts_->Get({::MulDiv(SmallPoints, LayoutDpi, 72), true}));
    DrawCentredText(
        cell, QuotedCellText(TextOfId(beyond), cell.rect.right - cell.rect.left - ScaledToDpi(2, cell.dpi),
                             [&](std::u16string_view text) { return TextWidth(cell.dc, text); }));
    return;
  }
  if (beyond == SheetMarker) {
    ::SelectObject(cell.dc, fonts_->Get({::MulDiv(SmallPoints, LayoutDpi, 72), true}));
    DrawCentredText(cell, std::string(SheetCellText));
    return;
  }
  if (beyond) {
    ::SelectObject(cell.dc, fonts_->Get({::MulDiv(LargePoints, LayoutDpi, 72), true}));
    DrawCentredText(cell, Utf16Of(beyond));
    return;
  }
  std::string text =
      keyColumn ? RowLabel(category, cell.row)
                : HotKeyCellText(host_.HotKeys().ActionByCategory(category, cell.col, cell.row).value_or(0));
  const bool none = text == std::string(1, '\0');
  if (none) text = "none";
  const int points = IsActionKeyName(text) ? SmallPoints : LargePoints;
  // In layout pixels: the font cache scales them to the grid's DPI.
  ::SelectObject(cell.dc, fonts_->Get({::MulDiv(points, LayoutDpi, 72), !none}));
  DrawCentredText(cell, text);
}

void THotKeyEditor::NewGridDblClick() {
  if (host_.BrowsingOnly()) return;
  DrawGrid& grid = NewGrid();
  const int col = grid.Col(), row = grid.Row(), category = Settings.LastKeys;
  const HotKeyTable* table = TableByCategory(category);
  if (col == 0 || !table || row >= table->keys) return;
  if (host_.FileInUse()) return;
  if (IsReserved(category, col, row)) {
    SystemKeyMsg();
    return;
  }
  host_.EditUnderLock([&] {
    const HotKeyAction action = host_.HotKeys().Action(*table, col, row).value_or(0);
    TDoSpecial2 dialog(host_.EditDialog());
    dialog.Code = action < 256 ? std::max(action - 32, 0) : action;
    dialog.CellRect = grid.CellRect(col, row);
    dialog.OtherCharacters = host_.OffersCharacters();
    const int cellNumber = HotKeyCellNumber(*table, col, row);
    const char32_t beyond = host_.Characters().At(cellNumber);
    if (IsTextId(beyond)) dialog.Text = TextOfId(beyond);
    dialog.Sheet = beyond == SheetMarker;
    dialog.ShowModal(form_);
    const char32_t character = dialog.Sheet          ? SheetMarker
                               : dialog.Text.empty() ? dialog.Character
                                                     : TextId(dialog.Text);
    if (dialog.Choice.empty() && !character) return false;
    // A character beyond the code page, a text or the sheet leaves no action in the table, for readers that
    // know only it.
    const int value = character           ? 0
                      : dialog.Code > 255 ? dialog.Code
                                          : static_cast<unsigned char>(dialog.Choice[0]);
    if ((value != 0 || character) && !host_.ConfirmHotKey({category, col, row})) return false;
    host_.HotKeys().SetAction(*table, col, row, static_cast<HotKeyAction>(value));
    host_.Characters().Set(cellNumber, character);
    grid.Invalidate();
    return host_.SaveEdit();
  });
}

void THotKeyEditor::SystemKeyMsg() {
  ::MessageBoxA(form_, ReservedCombinationMessage, "Notice", MB_OK);
  host_.ReleaseSyncFile(0);
}

}  // namespace tvx
