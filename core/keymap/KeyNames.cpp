#include "core/keymap/KeyNames.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "core/common/Text.h"
#include "core/keymap/Catalogue.h"

namespace tvx {
namespace {

struct NamedKey {
  std::string_view name;
  std::uint8_t vk;
};

// After the letters, the digits and the action keys: the usual names, which are also what a key is called
// where the action keys' name for it is another ("ESC", "PgUp", "UpA", "Bkspc", "PrtScr").
constexpr std::array<NamedKey, 29> UsualNames{{
    {"Esc", 0x1B},      {"Enter", 0x0D},   {"Tab", 0x09},        {"Space", 0x20},       {"Backspace", 0x08},
    {"Insert", 0x2D},   {"Delete", 0x2E},  {"Home", 0x24},       {"End", 0x23},         {"PageUp", 0x21},
    {"PageDown", 0x22}, {"Up", 0x26},      {"Down", 0x28},       {"Left", 0x25},        {"Right", 0x27},
    {"CapsLock", 0x14}, {"NumLock", 0x90}, {"ScrollLock", 0x91}, {"PrintScreen", 0x2C}, {"Pause", 0x13},
    {"LCtrl", 0xA2},    {"RCtrl", 0xA3},   {"LShift", 0xA0},     {"RShift", 0xA1},      {"LAlt", 0xA4},
    {"RAlt", 0xA5},     {"LWin", 0x5B},    {"RWin", 0x5C},       {"Apps", 0x5D},
}};

// Other names people write for the same keys, taken as input and never shown.
constexpr std::array<NamedKey, 7> Aliases{{
    {"Escape", 0x1B},
    {"Return", 0x0D},
    {"BS", 0x08},
    {"Del", 0x2E},
    {"Ins", 0x2D},
    {"PgDown", 0x22},
    {"Break", 0x13},
}};

constexpr std::string_view LettersAndDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool IsLetterOrDigitKey(std::uint8_t vk) {
  return LettersAndDigits.find(static_cast<char>(vk)) != LettersAndDigits.npos;
}

bool SameName(std::string_view a, std::string_view b) { return UpperCaseAscii(a) == UpperCaseAscii(b); }

template <typename Keys>
std::optional<std::uint8_t> Find(const Keys& keys, std::string_view name) {
  for (const auto& key : keys)
    if (SameName(key.name, name)) return static_cast<std::uint8_t>(key.vk);
  return std::nullopt;
}

// "VK xx": one or two hexadecimal digits, 01 to FE.
std::optional<std::uint8_t> VkNamed(std::string_view name) {
  if (name.size() < 4 || name.size() > 5 || !SameName(name.substr(0, 3), "VK ")) return std::nullopt;
  unsigned value = 0;
  const char* last = name.data() + name.size();
  const auto [end, error] = std::from_chars(name.data() + 3, last, value, 16);
  if (error != std::errc() || end != last || value == 0 || value >= 0xFF) return std::nullopt;
  return static_cast<std::uint8_t>(value);
}

}  // namespace

std::string KeyName(std::uint8_t vk) {
  for (const NamedKey& key : UsualNames)
    if (key.vk == vk) return std::string(key.name);
  for (const ActionKey& key : ActionKeyTable)
    if (key.vk == vk) return std::string(key.name);
  if (IsLetterOrDigitKey(vk)) return std::string(1, static_cast<char>(vk));
  static constexpr char Digits[] = "0123456789ABCDEF";
  return std::string("VK ") + Digits[vk >> 4] + Digits[vk & 15];
}

std::optional<std::uint8_t> KeyNamed(std::string_view name) {
  if (name.size() == 1 && IsLetterOrDigitKey(static_cast<std::uint8_t>(UpperCaseAscii(name)[0])))
    return static_cast<std::uint8_t>(UpperCaseAscii(name)[0]);
  if (const auto vk = Find(ActionKeyTable, name)) return vk;
  if (const auto vk = Find(UsualNames, name)) return vk;
  if (const auto vk = Find(Aliases, name)) return vk;
  return VkNamed(name);
}

std::vector<std::uint8_t> NamedKeys() {
  std::vector<std::uint8_t> keys;
  const auto add = [&keys](std::uint8_t vk) {
    if (std::find(keys.begin(), keys.end(), vk) == keys.end()) keys.push_back(vk);
  };
  for (const char c : LettersAndDigits) add(static_cast<std::uint8_t>(c));
  for (const ActionKey& key : ActionKeyTable) add(static_cast<std::uint8_t>(key.vk));
  for (const NamedKey& key : UsualNames) add(key.vk);
  return keys;
}

}  // namespace tvx
