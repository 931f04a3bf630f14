// The hook library's decision over any tables, any layout and any sequence of key events, releases it
// never sees, clock jumps, window and desktop changes and rebuilds, against a model of the system's keys.
// What it reports must name a real table entry, and once the user has let go of every key, no key is
// left down in the system.
#include "core/hook/KeyDecision.h"
#include "core/keymap/Catalogue.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tvx;

namespace {

void Check(const KeyOutput& output) {
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

  // The system's keys as the hook's outputs leave them, and the keys the user holds.
  HookState state;
  KeySystem system;
  std::array<bool, 256> systemDown{}, userHolds{};
  const auto press = [&](std::uint8_t vk, std::uint16_t scan, bool up, bool extended) {
    userHolds[vk] = !up;
    system.modifiersDown = 0;
    const std::uint8_t check = ModifiersToCheck(state);
    for (std::size_t i = 0; i < ModifierVks.size(); ++i)
      if ((check & (1u << i)) && systemDown[ModifierVks[i]]) system.modifiersDown |= 1u << i;
    const KeyOutput output = DecideKey(state, {vk, scan, up, extended, false}, system, tables, layout);
    Check(output);
    if (!output.suppress) systemDown[vk] = !up;
    for (int i = 0; i < output.injectedCount; ++i)
      if (!output.injected[i].unicode) systemDown[output.injected[i].vk] = !output.injected[i].up;
  };
  while (!input.empty()) {
    const std::uint8_t step = input.Byte();
    switch (step % 8) {
      case 0:
        RebuildKeyState(state, systemDown, step & 0x80);
        break;
      case 1: {  // a release the hook never sees (Win+L, an elevated window)
        const std::uint8_t vk = input.Byte();
        userHolds[vk] = systemDown[vk] = false;
        break;
      }
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
        // The low-level hook sees the left or right key, never the generic Shift, Ctrl or Alt.
        std::uint8_t vk = input.Byte();
        const std::uint8_t flags = input.Byte();
        if (vk >= 0x10 && vk <= 0x12)
          vk = static_cast<std::uint8_t>(0xA0 + 2 * (vk - 0x10) + (flags & 2 ? 1 : 0));
        press(vk, input.Value<std::uint16_t>(), (flags & 1) != 0, (flags & 2) != 0);
      }
    }
  }
  for (int vk = 0; vk < 256; ++vk)
    if (userHolds[vk]) press(static_cast<std::uint8_t>(vk), 0, true, false);
  for (int vk = 0; vk < 256; ++vk) fuzz::Require(!systemDown[vk]);
  return 0;
}
