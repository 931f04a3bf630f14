#include "core/files/RecentFiles.h"

#include <algorithm>

#include "core/common/Text.h"

namespace tvx {

void UpdateRecentFiles(RecentFiles& list, const ShortString& oldName, const ShortString& newName) {
  const auto found = std::find(list.begin(), list.end(), newName);
  if (found != list.end()) {
    std::move(found + 1, list.end(), found);
    list.back() = ShortString();
  }
  std::move_backward(list.begin(), list.end() - 1, list.end());
  list.front() = oldName;
}

std::string RecentFileCaption(int number, const ShortString& name) {
  // Built by appending: GCC 12 at -O3 takes "&" + a temporary for an overlapping copy (-Wrestrict).
  std::string caption = "&";
  caption += std::to_string(number);
  caption += "   ";
  caption += name.str();
  return caption;
}

bool HasTavrixExtension(const ShortString& name) {
  const std::string& text = name.str();
  return text.size() >= 4 && UpperCaseAscii(text.substr(text.size() - 4)) == ".TVX";
}

}  // namespace tvx
