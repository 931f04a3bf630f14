#include "core/keymap/CellTexts.h"

#include <map>
#include <mutex>
#include <vector>

namespace tvx {
namespace {

struct Store {
  std::mutex lock;
  std::map<std::u16string, char32_t, std::less<>> ids;
  std::vector<std::u16string> texts;  // the text of FirstTextId + i at i
};

Store& TheStore() {
  static Store store;
  return store;
}

}  // namespace

char32_t TextId(std::u16string_view text) {
  Store& store = TheStore();
  const std::lock_guard guard(store.lock);
  if (const auto found = store.ids.find(text); found != store.ids.end()) return found->second;
  const auto id = static_cast<char32_t>(FirstTextId + store.texts.size());
  store.texts.emplace_back(text);
  store.ids.emplace(std::u16string(text), id);
  return id;
}

std::u16string TextOfId(char32_t id) {
  Store& store = TheStore();
  const std::lock_guard guard(store.lock);
  if (!IsTextId(id) || id - FirstTextId >= store.texts.size()) return {};
  return store.texts[id - FirstTextId];
}

}  // namespace tvx
