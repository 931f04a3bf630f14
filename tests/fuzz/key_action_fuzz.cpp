// A hot-key message with any parameters against any table contents: the action's key events stay
// balanced (every key pressed is released again) and never come from outside the tables.
#include <array>

#include "core/app/KeyAction.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

class CountingKeyboard : public Keyboard {
 public:
  std::array<int, 256> down{};
  void PostVKey(std::uint8_t key, bool up) override { down[key] += up ? -1 : 1; }
  std::int16_t VkKeyScanA(char ch) override {
    const auto c = static_cast<unsigned char>(ch);
    return c >= 0x80 ? -1 : static_cast<std::int16_t>(c ^ scanMask);
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
  TraceParamsLine(wParam, lParam);
  TraceCodeLine(wParam, lParam);
  return 0;
}
