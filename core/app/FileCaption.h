#pragma once

#include "core/common/ShortString.h"

namespace tvx {

// "Tavrix 98 (" + the name part of fullName without its last four characters + ")", and
// "  [Browse Only Mode]" in a browse-only mode.
ShortString FileCaptionOf(const ShortString& fullName, bool browseOnly);

}  // namespace tvx
