#include "core/shell/HotKeySheet.h"

#include <algorithm>

#include "core/files/MappingText.h"
#include "core/keymap/Catalogue.h"
#include "core/keymap/CellText.h"
#include "core/keymap/KeyNames.h"

namespace tvx {
namespace {

void HotKeyGroup(std::vector<SheetLine>& lines, int column, const HotKeyAreaView& hotKeys,
                 const MappingCharacters* characters) {
  const std::size_t heading = lines.size();
  for (const HotKeyTable& table : HotKeyTables)
    for (int row = 0; row < table.keys; ++row) {
      if (IsReserved(table.category, column, row)) continue;
      const HotKeyAction action = hotKeys.Action(table, column, row).value_or(0);
      const char32_t beyond = characters ? characters->At(HotKeyCellNumber(table, column, row)) : 0;
      // A value no key has does nothing: the hook passes it over.
      if (!beyond && (action == 0 || action > LastKeyAction)) continue;
      lines.push_back({RowLabel(table.category, row), HotKeyCellWords(action, beyond)});
    }
  if (lines.size() > heading)
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(heading),
                 {ColumnNames[static_cast<std::size_t>(column)], {}, true});
}

void RemapGroup(std::vector<SheetLine>& lines, const RemapAreaView& remaps,
                const MappingCharacters* characters) {
  const std::size_t heading = lines.size();
  for (const RemapTableRows& table : RemapRowLists)
    for (int row = 0; row < static_cast<int>(table.rows.size()); ++row) {
      const char own = table.rows[static_cast<std::size_t>(row)];
      const std::string key = own == ' ' ? "Space" : std::string(1, own);
      const std::uint8_t byte = remaps.Byte(table.table, row).value_or(0);
      if (const char32_t beyond = characters ? characters->At(RemapCellNumber(table.table, row)) : 0)
        lines.push_back({key, {{}, Utf16Of(beyond), false}});
      else if (byte >= 32 && byte != static_cast<std::uint8_t>(own))  // a lower byte leaves the key alone
        lines.push_back({key, {CharacterText(byte), {}, false}});
    }
  if (lines.size() > heading)
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(heading), {"Remapped characters", {}, true});
}

void KeyRemapGroup(std::vector<SheetLine>& lines, const MappingCharacters* characters) {
  const KeyRemapList keys = characters ? characters->keys.List() : KeyRemapList{};
  if (!keys.empty()) lines.push_back({"Key remaps", {}, true});
  for (const KeyRemap& remap : keys)
    lines.push_back({KeyName(remap.from), {KeyRemapTarget(remap), {}, false}});
}

// What a line does as drawn: a text cut to `width`.
struct Shown {
  std::string narrow;
  std::u16string wide;
};
Shown ShownWords(SheetCanvas& canvas, const CellWords& words, int width) {
  if (!words.quoted) return {words.narrow, words.wide};
  return {{}, QuotedCellText(words.wide, width, [&canvas](std::u16string_view part) {
            return canvas.TextExtent(part).width;
          })};
}
int Width(SheetCanvas& canvas, const Shown& shown) {
  return shown.wide.empty() ? canvas.TextExtent(shown.narrow).width : canvas.TextExtent(shown.wide).width;
}

SheetLayout Measure(SheetCanvas& canvas, int width, int height, int textHeight, const ShortString& title,
                    const std::vector<SheetLine>& lines) {
  canvas.UseTextHeight(textHeight);
  SheetLayout l{textHeight, canvas.TextExtent("MjJ").height * 14 / 10, 0, 0, 0, 0, 1, 1, 0, 0, 0};
  l.pad = l.rowHeight / 2;
  const int doesLimit = 24 * canvas.TextExtent("n").width;  // a text is cut to it
  int headingWidth = 0;
  for (const SheetLine& line : lines) {
    const int keyWidth = canvas.TextExtent(line.key).width;
    if (line.heading) {
      headingWidth = std::max(headingWidth, keyWidth + l.pad);
      continue;
    }
    l.keyWidth = std::max(l.keyWidth, keyWidth);
    l.doesWidth = std::max(l.doesWidth, Width(canvas, ShownWords(canvas, line.does, doesLimit)));
  }
  l.columnWidth = std::max(headingWidth, l.keyWidth + l.pad + l.doesWidth);
  const int count = static_cast<int>(lines.size());
  l.rows = std::max(1, std::min(count, (height - 3 * l.pad) / l.rowHeight - 1));
  l.columns = std::max(1, (count + l.rows - 1) / l.rows);
  l.shown = count;
  const int fitting = std::max(1, (width - l.pad) / (l.columnWidth + l.pad));
  if (l.columns > fitting) {
    l.columns = fitting;
    l.shown = l.columns * l.rows - 1;  // the last place counts the rest
  }
  const int titleWidth = canvas.TextExtent(title.str()).width;
  l.width = std::min(width, std::max(l.pad + l.columns * (l.columnWidth + l.pad), titleWidth + 2 * l.pad));
  l.height = 3 * l.pad + (l.rows + 1) * l.rowHeight;
  return l;
}

}  // namespace

std::vector<SheetLine> SheetLines(const HotKeyAreaView& hotKeys, const RemapAreaView& remaps,
                                  const MappingCharacters* characters) {
  std::vector<SheetLine> lines;
  for (int column = 1; column <= ModifierColumnCount; ++column)
    HotKeyGroup(lines, column, hotKeys, characters);
  RemapGroup(lines, remaps, characters);
  KeyRemapGroup(lines, characters);
  return lines;
}

ShortString SheetTitle(const ShortString& file) { return ShortString("Hot keys in force: ") + file.str(); }

SheetLayout LayOutSheet(SheetCanvas& canvas, int width, int height, int textHeight, const ShortString& title,
                        const std::vector<SheetLine>& lines) {
  for (int tenths = 10;; --tenths) {
    const SheetLayout layout = Measure(canvas, width, height, textHeight * tenths / 10, title, lines);
    if (tenths == 6 || layout.shown == static_cast<int>(lines.size())) return layout;
  }
}

void DrawHotKeySheet(SheetCanvas& canvas, const SheetLayout& l, const ShortString& title,
                     const std::vector<SheetLine>& lines) {
  canvas.UseTextHeight(l.textHeight);
  const int lift = (l.rowHeight - canvas.TextExtent("MjJ").height) / 2;
  canvas.Text(l.pad, l.pad + lift, title.str(), TextBackground::Transparent);
  const auto place = [&l](int index) {
    return std::pair{l.pad + index / l.rows * (l.columnWidth + l.pad),
                     2 * l.pad + (1 + index % l.rows) * l.rowHeight};
  };
  for (int i = 0; i < l.shown; ++i) {
    const SheetLine& line = lines[static_cast<std::size_t>(i)];
    const auto [x, y] = place(i);
    if (line.heading) canvas.Fill({x, y, x + l.columnWidth, y + l.rowHeight}, GuideLightGrey);
    canvas.Text(line.heading ? x + l.pad / 2 : x, y + lift, line.key, TextBackground::Transparent);
    if (line.heading) continue;
    const Shown shown = ShownWords(canvas, line.does, l.doesWidth);
    const int doesX = x + l.keyWidth + l.pad;
    if (shown.wide.empty())
      canvas.Text(doesX, y + lift, shown.narrow, TextBackground::Transparent);
    else
      canvas.Text(doesX, y + lift, std::u16string_view(shown.wide), TextBackground::Transparent);
  }
  if (const int rest = static_cast<int>(lines.size()) - l.shown; rest > 0) {
    const auto [x, y] = place(l.shown);
    canvas.Text(x, y + lift, "and " + std::to_string(rest) + " more", TextBackground::Transparent);
  }
  canvas.Line(0, 0, l.width - 1, 0);
  canvas.Line(l.width - 1, 0, l.width - 1, l.height - 1);
  canvas.Line(l.width - 1, l.height - 1, 0, l.height - 1);
  canvas.Line(0, l.height - 1, 0, 0);
}

}  // namespace tvx
