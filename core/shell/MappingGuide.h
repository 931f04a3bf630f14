#pragma once
// The printed mapping guide: all nine tables on one page, laid out in units of one text row and one
// text column of the print font, so it comes out at the same size on any printer. It draws through a
// small canvas, which the printer's device context implements.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/common/ShortString.h"
#include "core/keymap/Areas.h"
#include "core/keymap/CellCharacters.h"

namespace tvx {

// Platform colour values: red, green and blue one byte each, red lowest.
inline constexpr std::uint32_t GuideLightGrey = 12632256;
inline constexpr std::uint32_t GuideDarkGrey = 8421504;
inline constexpr std::uint32_t GuideWhite = 16777215;

struct GuideRect {
  int left, top, right, bottom;
  friend bool operator==(const GuideRect&, const GuideRect&) = default;
};

struct TextSize {
  int width = 0, height = 0;
};

// Captions and labels lie on their grey fill; cell texts blank out what is under them.
enum class TextBackground { Transparent, OpaqueWhite };

class GuideCanvas {
 public:
  virtual ~GuideCanvas() = default;
  virtual TextSize TextExtent(std::string_view text) = 0;
  virtual void Text(int x, int y, std::string_view text, TextBackground background) = 0;
  // A character beyond the code page, as Unicode text.
  virtual TextSize TextExtent(std::u16string_view text) = 0;
  virtual void Text(int x, int y, std::u16string_view text, TextBackground background) = 0;
  virtual void Fill(const GuideRect& rect, std::uint32_t colour) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void NewPage() = 0;
};

// The sheet of the hot keys in force draws through the same canvas, in a type size it chooses to fit.
class SheetCanvas : public GuideCanvas {
 public:
  virtual void UseTextHeight(int pixels) = 0;
};

// What a hot-key cell does as the guide and the sheet write it: a key's name or a character of the code
// page (narrow), a character beyond it (wide), or a text (wide, quoted and cut to the room there is).
struct CellWords {
  std::string narrow;
  std::u16string wide;
  bool quoted = false;
};
CellWords HotKeyCellWords(HotKeyAction action, char32_t beyond);

// The working values, in device pixels of the printable page.
struct GuideMetrics {
  int pageWidth, marginX, marginY, rowHeight, colWidth;
};
GuideMetrics MeasureGuide(GuideCanvas& canvas, int pageWidth, int pageHeight);

ShortString GuideTitle(const ShortString& currentFile);

// Draws `copies` copies (nothing below 1), a new page between two: copies are drawn, not left to the
// printer driver. Nothing checks that the layout fits the page. A cell with a character beyond the record
// in `characters` shows that character; a text cell its text in quotes, cut to the cell's width. The Keys
// table of `characters`, when it has remaps, follows each copy's page on a page of its own (more for more
// than fit).
void DrawMappingGuide(GuideCanvas& canvas, const GuideMetrics& metrics, int copies,
                      const ShortString& currentFile, const HotKeyAreaView& hotKeys,
                      const RemapAreaView& remaps, const MappingCharacters* characters = nullptr);

}  // namespace tvx
