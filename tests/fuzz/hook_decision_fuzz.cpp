// The hook library's decision over any tables, any layout and any sequence of key events, system key
// states, clock jumps, window and desktop changes and rebuilds. What it reports must name a real table
// entry, and it never injects more than it has room for.
#include "core/hook/KeyDecision.h"
#include "core/keymap/Catalogue.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

void Check(const KeyOutput& output) {
  fuzz::Require(output.injectedCount >= 0 && output.injectedCount <= KeyOutput::MaxInjected);
  if (!output.post) return;
  const int tableNumber = output.postWParam >> 8 & 0x7F, column = output.postWParam & 0xFF;
  if (tableNumber == 0) return;  // a character, carried whole
  const HotKeyTable* table = TableByNumber(tableNumber);
  fuzz::Require(table && column >= 1 && column <= ModifierColumnCount && output.postLParam < table->keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  std::array<std::uint8_t, AreaSize> hotKeyBytes{}, remapBytes{};
  for (int writes = input.Byte() % 64; writes > 0; --writes) {
    const auto at = input.Value<std::uint16_t>();
    (at & 0x8000 ? remapBytes : hotKeyBytes)[(at & 0x7FFF) % AreaSize] = input.Byte();
  }
  KeyLayout layout;
  for (int scans = input.Byte() % 48; scans > 0; --scans) {
    const std::uint8_t ch = input.Byte();
    layout.AddScan(ch, input.Value<std::int16_t>());
  }
  for (int i = 0; i < 256; ++i) layout.unicode[i] = static_cast<char16_t>(i);
  const HookTables tables{HotKeyAreaView(hotKeyBytes.data()), RemapAreaView(remapBytes.data())};

  HookState state;
  KeySystem system;
  while (!input.empty()) {
    const std::uint8_t step = input.Byte();
    switch (step % 8) {
      case 0: {
        std::array<bool, 256> down{};
        for (int i = 0; i < 8; ++i) down[input.Byte()] = true;
        RebuildKeyState(state, down, step & 0x80);
        break;
      }
      case 1:
        system.modifiersDown = input.Byte();
        break;
      case 2:
        system.tick += input.Value<std::uint16_t>();
        break;
      case 3:
        system.foreground += input.Byte();
        break;
      case 4:
        ++system.switches;
        break;
      default: {
        const std::uint8_t vk = input.Byte(), flags = input.Byte();
        const KeyEvent event{vk, input.Value<std::uint16_t>(), (flags & 1) != 0, (flags & 2) != 0,
                             (flags & 4) != 0};
        system.modifiersDown &= ModifiersToCheck(state);
        Check(DecideKey(state, event, system, tables, layout));
      }
    }
  }
  return 0;
}
