#include "core/app/FileCaption.h"

namespace tvx {

ShortString FileCaptionOf(const ShortString& fullName, bool browseOnly, bool paused) {
  std::string_view name = fullName.str();
  const auto separator = name.find_last_of("\\:");
  if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
  name.remove_suffix(std::min<std::size_t>(4, name.size()));
  ShortString caption = ShortString("Tavrix 98 (") + name + ")";
  if (browseOnly) caption += "  [Browse Only Mode]";
  if (paused) caption += "  [Paused]";
  return caption;
}

}  // namespace tvx
