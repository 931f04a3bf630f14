#pragma once
// The control ids of the main window's two pages, and of the panels that hold them.

#include <array>

namespace tvx {

enum PageId : int {
  IdPanel1 = 103,  // the hot-key page
  IdPanel2,        // the remapper page
  // hot-key page
  IdAlpha = 120,
  IdPunctuation,
  IdFunctionKeys,
  IdNumeric,
  IdEditing,
  IdNewGrid,
  IdHeadingFirst = 130,  // 12 column headings
  // remapper page
  IdUpperGrid = 150,
  IdLowerGrid,
  IdPunctGrid,
  IdNumGrid,
  IdLabel4,
  IdLabel6,
  IdLabel11,
  IdLabel14,
  IdBevel1,
  IdLabel18,
  IdLabel16,
};

// The category buttons in KeyCategory order: a radio group.
inline constexpr std::array<int, 5> CategoryButtons{IdAlpha, IdPunctuation, IdFunctionKeys, IdNumeric,
                                                    IdEditing};

}  // namespace tvx
