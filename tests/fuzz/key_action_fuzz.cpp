// A hot-key message with any parameters against any table contents: the action's key events stay
// balanced (every key and character pressed is released again) and never come from outside the tables.
#include <array>

#include "core/app/KeyAction.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

class CountingKeyboard : public Keyboard {
 public:
  std::array<int, 256> down{};
  int unicodeDown = 0;
  void PostVKey(std::uint8_t key, bool up) override { down[key] += up ? -1 : 1; }
  void PostUnicode(char16_t, bool up) override { unicodeDown += up ? -1 : 1; }
  char16_t FromAnsi(std::uint8_t ch) override { return ch == 0x81 ? 0 : ch; }
  LayoutKey KeyFor(char16_t ch) override {
    if (ch >= 0x80) return {};
    return {static_cast<std::int16_t>(ch ^ scanMask), (scanMask & 0x80) != 0, (scanMask & 0x40) != 0};
  }
  std::uint16_t scanMask = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  std::array<std::uint8_t, AreaSize> hotKeyBytes{};
  const auto tables = input.Bytes(hotkey_area::TablesEnd - hotkey_area::TablesBegin);
  std::copy(tables.begin(), tables.end(), hotKeyBytes.begin() + hotkey_area::TablesBegin);
  CountingKeyboard keyboard;
  keyboard.scanMask = input.Value<std::uint16_t>();
  const auto wParam = input.Value<std::uint64_t>();
  const auto lParam = input.Value<std::int64_t>();
  KeyActionMsg(wParam, lParam, HotKeyAreaView(hotKeyBytes.data()), keyboard);
  for (const int balance : keyboard.down) fuzz::Require(balance == 0);
  fuzz::Require(keyboard.unicodeDown == 0);
  TraceParamsLine(wParam, lParam);
  TraceCodeLine(wParam, lParam);
  return 0;
}
