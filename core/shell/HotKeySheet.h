#pragma once
// The sheet of the hot keys in force: shown on screen while a hot key set to show it is held, or from
// Options, for the tables of the window in front. It lists the hot-key cells that do something, grouped by
// modifier combination, then the remapped characters and the key remaps, and draws through the printed
// guide's canvas: in columns, in the largest type that fits the monitor's work area, and what still does not
// fit counted.

#include <string>
#include <vector>

#include "core/common/ShortString.h"
#include "core/keymap/Areas.h"
#include "core/keymap/CellCharacters.h"
#include "core/shell/MappingGuide.h"

namespace tvx {

// A heading ("Ctrl+Alt", "Remapped characters") in `key`, or a key and what it does.
struct SheetLine {
  std::string key;
  CellWords does;
  bool heading = false;
};

std::vector<SheetLine> SheetLines(const HotKeyAreaView& hotKeys, const RemapAreaView& remaps,
                                  const MappingCharacters* characters);
ShortString SheetTitle(const ShortString& file);

// Where the lines go, in device pixels: `columns` of `rows` lines; the first `shown` lines are drawn and
// the rest counted in the last place ("and 12 more").
struct SheetLayout {
  int textHeight, rowHeight, pad, keyWidth, doesWidth, columnWidth, columns, rows, shown, width, height;
};

// The layout in the largest type from `textHeight` down to six tenths of it that fits an area of `width`
// by `height`; the smallest, with as many columns as fit, where none does.
SheetLayout LayOutSheet(SheetCanvas& canvas, int width, int height, int textHeight, const ShortString& title,
                        const std::vector<SheetLine>& lines);
void DrawHotKeySheet(SheetCanvas& canvas, const SheetLayout& layout, const ShortString& title,
                     const std::vector<SheetLine>& lines);

}  // namespace tvx
