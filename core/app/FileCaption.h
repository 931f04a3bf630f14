#pragma once

#include "core/common/ShortString.h"

namespace tvx {

// "Tavrix 98 (" + the name part of fullName without its last four characters + ")",
// "  [Browse Only Mode]" in a browse-only mode, and "  [Paused]" while every mapping is paused.
ShortString FileCaptionOf(const ShortString& fullName, bool browseOnly, bool paused);

}  // namespace tvx
